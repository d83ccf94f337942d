# Sourced by wine_checks.sh once the provider program is registered and its
# service stopped: VSS's way to the provider under Wine. KovaArraySim runs
# on the Linux side on 127.0.0.1; "KovaVssShadow.exe --com" makes, imports
# and deletes a shadow copy set through COM, which starts the service by
# activation; the array requests must be those of the in-process
# coordinator (the Linux build) for the same commands, and so must the
# target LUN records. Then a client is killed during a call, and the
# service stops. Uses the helpers of wine_checks.sh.
shadow=$build/tools/KovaVssShadow/KovaVssShadow.exe
sim=$linux_build/tools/KovaArraySim/KovaArraySim
linux_shadow=$linux_build/tools/KovaVssShadow/KovaVssShadow
linux_config=$linux_build/OstaraRegTool/KovaProviderConfig
work=$WINEPREFIX/kova-com
mkdir -p "$work"

array_id=6f1c2a9e-4b7d-4c3a-9e25-8d0b7a4f1e63
serials=9E258D0B7A4F1E63
cat >"$work/seed.json" <<SEED
{
  "array": {"id": "$array_id", "name": "kova-sim-01"},
  "versions": ["1.0", "1.1", "1.2"],
  "users": [{"username": "admin", "password": "admin-password", "api_token": "0b7e3f52-9d14-4c6a-8e21-5a9f3c7d1e08"}],
  "volumes": [
    {"name": "db01", "size": 1099511627776, "serial": "${serials}00000001"},
    {"name": "db02", "size": 549755813888, "serial": "${serials}00000002"}
  ]
}
SEED
printf '[%s,\n %s]\n' "$(lun_record_json db01 "${serials}00000001")" \
  "$(lun_record_json db02 "${serials}00000002")" >"$work/luns.json"

sim_pid=""
sim_url=""
start_sim() {  # start_sim NAME [PORT]: an emulator of the seed, its request log NAME.requests at exit
  rm -f "$work/$1.port"
  timeout 600 "$sim" --seed "$work/seed.json" --port "${2:-0}" --port-file "$work/$1.port" \
    --request-log "$work/$1.requests" >"$work/$1.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do [ -s "$work/$1.port" ] && break; sleep 0.1; done
  sim_url="https://127.0.0.1:$(cat "$work/$1.port" 2>/dev/null)"
}
stop_sim() {
  [ -z "$sim_pid" ] || { kill -TERM "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; }
  sim_pid=""
}
trap 'stop_sim; [ -n "${KOVA_WINE_KEEP:-}" ] || cleanup' EXIT
sim_control() {  # sim_control METHOD PATH [BODY]
  curl -sk --max-time 10 -X "$1" ${3:+-H 'Content-Type: application/json' -d "$3"} "$sim_url$2"
}
snapshot_requested() {  # the snapshot request has reached the array: up to 60 s
  for _ in $(seq 120); do
    sim_control GET /_sim/requests |
      jq -e 'any(.[]; .method == "POST" and (.target | test("^/api/[0-9.]+/volume$")))' >/dev/null && return 0
    sleep 0.5
  done
  return 1
}
# The set's GUID is new in every run; the host's initiator names are the
# machine's (a file on Linux, WMI on Windows), so what reaches the hosts is left out.
normalized() { tr -d '\r' <"$1" | sed -E 's/VSS-[0-9A-F]{32}/VSS-<set>/g; s/\{[0-9A-F-]{36}\}/{<set>}/g' | grep -v '/host' || true; }

# The reference: the same commands in the in-process coordinator of Linux.
reference_ok=0
if [ "$(id -u)" -eq 0 ] && [ -x "$linux_shadow" ] && [ -x "$sim" ]; then
  start_sim reference
  linux_env=(env KOVA_STATE_DIR="$work/linux-state" ALLUSERSPROFILE="$work/linux-logs")
  if timeout 120 "${linux_env[@]}" "$linux_config" add --url "$sim_url" --user admin \
       --password admin-password array1 >"$work/reference-add.out" 2>&1 &&
     timeout 120 "${linux_env[@]}" "$linux_shadow" create @"$work/luns.json" >"$work/reference-set.json" &&
     timeout 120 "${linux_env[@]}" "$linux_shadow" import @"$work/reference-set.json" >/dev/null &&
     timeout 120 "${linux_env[@]}" "$linux_shadow" delete @"$work/reference-set.json" >/dev/null; then
    reference_ok=1
  fi
  stop_sim
fi
check "the in-process coordinator (Linux) makes, imports and deletes the reference set" [ "$reference_ok" -eq 1 ]

start_sim com
check "KovaArraySim listens on 127.0.0.1" [ -s "$work/com.port" ]
set +e
add_output=$(timeout 180 wine "$config_tool" add --url "$sim_url" --user admin --password admin-password array1 2>&1)
set -e
check "KovaProviderConfig.exe add registers the array" grep -qF "array1" <<<"$add_output"

win_luns=$(winepath -w "$work/luns.json")
win_set=$(winepath -w "$work/com-set.json")
shadow_com() {  # keeps |code|
  set +e
  timeout 180 wine "$shadow" --com "$@"
  code=$?
  set -e
}
check "before the first activation the service is stopped" service_state_is STOPPED
shadow_com create @"$win_luns" >"$work/com-set.json" 2>"$work/com-create.err"
check "KovaVssShadow.exe --com create makes the set through COM" exit_code_is 0
[ "$code" -eq 0 ] || cat "$work/com-create.err"
check "the activation started the service" service_state_is RUNNING
check "the target LUN records through COM are those in process" \
  diff <(normalized "$work/reference-set.json") <(normalized "$work/com-set.json")
shadow_com import @"$win_set" >"$work/com-import.out"
check "import through COM" exit_code_is 0
check "LocateLuns answered S_OK" grep -qF "LocateLuns -> 0x00000000" "$work/com-import.out"
shadow_com delete @"$win_set" >"$work/com-delete.out"
check "delete through COM" exit_code_is 0
check "every OnLunEmpty answered S_OK" [ "$(grep -c 'OnLunEmpty -> 0x00000000' "$work/com-delete.out")" -eq 2 ]
stop_sim
check "the array saw through COM exactly the requests of the in-process coordinator" \
  diff <(normalized "$work/reference.requests") <(normalized "$work/com.requests")

# A client killed while its commit is on the wire: the service goes on and
# serves the next client. The array is registered with the port of the last.
start_sim killed "$(cat "$work/com.port")"
sim_control POST /_sim/faults '{"kind": "delay", "method": "POST", "path_contains": "/volume", "times": 1, "delay_ms": 4000}' >/dev/null
# Bounded by the kill below, not by timeout(1), so that the pid is the client's.
wine "$shadow" --com create @"$win_luns" >/dev/null 2>&1 &
client_pid=$!
check "the client's commit reaches the array" snapshot_requested
check "the process killed is the client" grep -qF KovaVssShadow "/proc/$client_pid/cmdline"
kill -KILL "$client_pid" 2>/dev/null || true
wait "$client_pid" 2>/dev/null || true
check "the service runs on after its client was killed" service_state_is RUNNING
printf 'OnLoad\nOnUnload no\n' >"$work/load.txt"
shadow_com script "$(winepath -w "$work/load.txt")" >"$work/after-kill.out"
check "and serves the next client" grep -qF "OnUnload -> 0x00000000" "$work/after-kill.out"
stop_sim

stops_before=$(log_count "OnStop Service : ProcessID=")
timeout 120 wine net stop KovaProvider >/dev/null 2>&1 || true
check "a stop: the service reports stopped" wait_for_state STOPPED
check "and logs its OnStop line" log_has "OnStop Service : ProcessID=" $((stops_before + 1))
check "with the process in eight hex digits" \
  grep -qE "OnStop Service : ProcessID=[0-9a-f]{8}$" <(tr -d '\r' <"$service_log")
