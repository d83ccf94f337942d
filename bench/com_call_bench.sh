#!/usr/bin/env bash
# Runs com_call_bench under Wine in a fresh prefix: the proxy/stub of the
# provider interfaces registered (KovaVssProxy.dll), the provider program
# registered with "/Service" and its service running; then one provider
# call through COM against the same call in process. Every Wine run is
# bounded (scripts/wine-run.sh); the prefix's wineserver is ended and the
# prefix removed on exit.
#   bench/com_call_bench.sh BUILD_DIR [CALLS]
# BUILD_DIR is a Windows build configured with -DKOVA_BENCH=ON.
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR [CALLS]}" && pwd)
run=$(cd "$(dirname "$0")/../scripts" && pwd)/wine-run.sh
WINEPREFIX=$(mktemp -d /tmp/kova-wine-bench-XXXXXX)
export WINEPREFIX WINEDEBUG=-all
trap '"$run" --end' EXIT
"$run" --begin
"$run" regsvr32 /s "$(winepath -w "$build/tools/KovaVssProxy/KovaVssProxy.dll")"
"$run" "$build/provider/service/KovaProvider.exe" /Service
# Wine's service manager knows the new service after a restart, which
# starts it (automatic start).
timeout 30 wineserver -k 2>/dev/null || true
timeout 30 wineserver -w 2>/dev/null || true
"$run" wineboot >/dev/null 2>&1 || true
"$run" "$build/bench/com_call_bench.exe" "${2:-2000}"
