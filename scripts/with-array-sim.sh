#!/usr/bin/env bash
# Runs a command beside array emulators of its own:
#
#   with-array-sim.sh KOVA_ARRAY_SIM COMMAND [ARGS...]
#
# starts KOVA_ARRAY_SIM (the Linux build's KovaArraySim) KOVA_ARRAY_SIM_COUNT
# times (default 3) on 127.0.0.1, each on a free port, runs COMMAND with
# their URLs in KOVA_ARRAY_SIM_URLS (separated by spaces), then ends each
# emulator by its process id. The Windows test binaries run under Wine
# through it (as the cross-compiling emulator of the suites that need an
# array): Wine cannot start or end a Linux program by a usable process id,
# so the emulators start here. COMMAND's exit code is this script's.
#
# KOVA_ARRAY_SIM_TIMEOUT bounds each emulator's life in seconds (default 600).
set -uo pipefail
if [ $# -lt 2 ]; then
  echo "usage: with-array-sim.sh KOVA_ARRAY_SIM COMMAND [ARGS...]" >&2
  exit 2
fi
sim=$1
shift
dir=$(mktemp -d "${TMPDIR:-/tmp}/kova-sims.XXXXXX")
pids=()

stop_sims() {
  local pid
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$dir"
}
trap stop_sims EXIT

urls=()
for n in $(seq 1 "${KOVA_ARRAY_SIM_COUNT:-3}"); do
  timeout "${KOVA_ARRAY_SIM_TIMEOUT:-600}" "$sim" --port-file "$dir/port$n" >/dev/null 2>"$dir/err$n" &
  pids+=($!)
done
for n in $(seq 1 "${KOVA_ARRAY_SIM_COUNT:-3}"); do
  for _ in $(seq 1 200); do
    [ -s "$dir/port$n" ] && break
    sleep 0.05
  done
  if [ ! -s "$dir/port$n" ]; then
    echo "with-array-sim: $sim did not start: $(cat "$dir/err$n")" >&2
    exit 1
  fi
  urls+=("https://127.0.0.1:$(cat "$dir/port$n")")
done
export KOVA_ARRAY_SIM_URLS="${urls[*]}"
status=0
"$@" || status=$?
exit "$status"
