#!/usr/bin/env bash
# The main job on the embedded default: starts the array emulator, registers
# it with the provider in a private configuration, and drives the provider
# through the whole life of a shadow copy set as VSS would (create, import,
# release), then shows what the array received.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target KovaArraySim KovaProviderConfig KovaVssShadow

workdir=$(mktemp -d)
state="$workdir/state"  # private hive and machine key; the provider's log goes to $workdir/KovaStorage
sim_pid=""
cleanup() {
  [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$workdir" 2>/dev/null || sudo rm -rf "$workdir"
}
trap cleanup EXIT

# The provider and its configuration tool act for administrators only.
as_admin() {
  local sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" env KOVA_STATE_DIR="$state" ALLUSERSPROFILE="$workdir" "$@"
}

# An array whose volumes have known serials (the array ID's last 16 hex
# digits and a counter), and which knows this host by its iSCSI name.
iqn=$(sed -n 's/^InitiatorName=//p' /etc/iscsi/initiatorname.iscsi 2>/dev/null | head -n 1 || true)
[ -n "$iqn" ] || iqn=iqn.1994-05.com.example:vss-host
array_id=6f1c2a9e-4b7d-4c3a-9e25-8d0b7a4f1e63
id_hex=${array_id//-/}
prefix=${id_hex: -16}
prefix=${prefix^^}
cat >"$workdir/seed.json" <<EOF
{
  "array": {"id": "$array_id", "name": "kova-sim-01"},
  "versions": ["1.0", "1.1", "1.2"],
  "users": [{"username": "admin", "password": "admin-password", "api_token": "0b7e3f52-9d14-4c6a-8e21-5a9f3c7d1e08"}],
  "volumes": [
    {"name": "db01", "size": 1099511627776, "serial": "${prefix}00000001"},
    {"name": "db02", "size": 549755813888, "serial": "${prefix}00000002"},
    {"name": "logs01", "size": 107374182400, "serial": "${prefix}00000003"}
  ],
  "hosts": [{"name": "vss-host", "iqn": ["$iqn"], "wwn": []}]
}
EOF

build/tools/KovaArraySim/KovaArraySim --seed "$workdir/seed.json" --port-file "$workdir/port" \
  --request-log "$workdir/requests" >"$workdir/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -s "$workdir/port" ] && break; sleep 0.1; done
[ -s "$workdir/port" ] || { cat "$workdir/sim.out"; echo "the emulator did not start" >&2; exit 1; }
url="https://127.0.0.1:$(cat "$workdir/port")"
echo "Array emulator at $url"
echo

echo "1. Register the array with the provider (configuration in $state):"
as_admin build/OstaraRegTool/KovaProviderConfig add --url "$url" --user admin \
  --password admin-password array1 | sed -n '/^URL/,/^$/p' | sed '/^$/d; s/^/   /'

# The LUN records this host's disks give for the three volumes (iSCSI,
# vendor "KOVA", the volume's name as the vendor-specific identifier).
lun() {
  printf '{"vendor": "KOVA    ", "product": "Lumenstack", "revision": "6.1", "serial": "%s", "bus_type": 9,
   "device_type": 0, "identifiers": [{"code_set": 2, "type": 0, "data": "%s"}]}' "$2" "$1"
}
printf '[%s,\n %s,\n %s]\n' "$(lun db01 "${prefix}00000001")" "$(lun db02 "${prefix}00000002")" \
  "$(lun logs01 "${prefix}00000003")" >"$workdir/luns.json"

shadow() { as_admin build/tools/KovaVssShadow/KovaVssShadow "$@"; }
echo
echo "2. Create a shadow copy set of db01, db02 and logs01 (KovaVssShadow create):"
shadow create @"$workdir/luns.json" >"$workdir/set.json"
sed 's/^/   /' "$workdir/set.json"
echo
echo "3. Import it: each snapshot becomes a new volume, connected to this host when the array"
echo "   knows this host's iSCSI name (KovaVssShadow import):"
shadow import @"$workdir/set.json" | sed 's/^/   /'
echo "   The provider's log of it:"
as_admin grep -h "Kova\.VssProvider LocateLuns: " "$workdir/KovaStorage/KovaVSSHardwareProvider.log" |
  sed 's/^.* Kova\.VssProvider /     /'
echo
echo "4. Release it: the provider disconnects and deletes what it made (KovaVssShadow delete):"
shadow delete @"$workdir/set.json" | sed 's/^/   /'
echo
echo "What the array received:"
kill -TERM "$sim_pid"
wait "$sim_pid" || true
sim_pid=""
sed 's/^/   /' "$workdir/requests"
