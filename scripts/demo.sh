#!/usr/bin/env bash
# The main job on the embedded default: starts the array emulator, walks the
# array library through what the provider does on an array, and shows what
# the array received.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target KovaArraySim KovaArrayDemo

workdir=$(mktemp -d)
trap 'kill "$sim_pid" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$workdir"' EXIT
build/tools/KovaArraySim/KovaArraySim --port-file "$workdir/port" --request-log "$workdir/requests" \
  >"$workdir/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -s "$workdir/port" ] && break; sleep 0.1; done
[ -s "$workdir/port" ] || { cat "$workdir/sim.out"; echo "the emulator did not start" >&2; exit 1; }
url="https://127.0.0.1:$(cat "$workdir/port")"

echo "Array emulator at $url"
echo
echo "What the library did:"
build/tools/KovaArrayDemo/KovaArrayDemo "$url" admin admin-password \
  iqn.1994-05.com.example:vss-host
echo
echo "What the array received:"
kill -TERM "$sim_pid"; wait "$sim_pid" || true
sed 's/^/  /' "$workdir/requests"
