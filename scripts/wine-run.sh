#!/usr/bin/env bash
# Runs Windows programs under Wine, headless and bounded in time.
#
#   wine-run.sh --begin             make the prefix $WINEPREFIX (a fresh,
#                                   empty or missing folder) and start its
#                                   wineserver
#   wine-run.sh --end               end that prefix's wineserver and remove
#                                   the prefix
#   wine-run.sh PROGRAM [ARGS...]   run PROGRAM in $WINEPREFIX; its exit code
#                                   is this script's (124 after the time-out)
#
# One prefix serves a whole test run: the test command makes it in a
# temporary folder with --begin and removes it with --end. A program run
# without WINEPREFIX gets a prefix of its own for that run alone. This is
# the cross-compiling emulator of the Windows build (cmake/toolchains), so
# ctest runs every Windows test binary through it.
#
# KOVA_WINE_TIMEOUT bounds one program run in seconds (default 300).
set -euo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}  # no Mono or Gecko prompts
# Headless: no display, so nothing waits for a window.
unset DISPLAY WAYLAND_DISPLAY

say() { echo "wine-run: $*" >&2; }

begin_prefix() {
  mkdir -p "$WINEPREFIX"
  if ! timeout 180 wine wineboot --init >/dev/null 2>&1; then
    say "wineboot could not make the prefix $WINEPREFIX"
    return 1
  fi
  timeout 60 wineserver -w
  # One server for the run (it outlives each program by up to a minute),
  # so that each program does not start one.
  wineserver -p60
}

end_prefix() {
  [ -d "$WINEPREFIX" ] || return 0
  # -k ends the server of this prefix only; wait for it to be gone before
  # the prefix goes.
  wineserver -k 2>/dev/null || true
  timeout 30 wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}

# Now and then, under load, Wine's launcher fails to start the program at
# all ("ShellExecuteEx failed: Internal error"); nothing of the program ran,
# so it is started again, up to three times in all. Its standard error is
# passed on after it ends.
run_program() {
  local status attempt errors
  errors=$(mktemp "${TMPDIR:-/tmp}/wine-run-errors.XXXXXX")
  for attempt in 1 2 3; do
    status=0
    timeout --kill-after=10 "${KOVA_WINE_TIMEOUT:-300}" wine "$@" 2>"$errors" || status=$?
    if [ "$status" -ne 0 ] && grep -q "^ShellExecuteEx failed" "$errors"; then
      say "Wine could not start $1 (attempt $attempt of 3)"
      continue
    fi
    break
  done
  cat "$errors" >&2
  rm -f "$errors"
  [ "$status" -ne 124 ] || say "$1 did not end within ${KOVA_WINE_TIMEOUT:-300} s"
  return "$status"
}

case "${1:-}" in
  --begin)
    : "${WINEPREFIX:?set WINEPREFIX to the prefix folder}"
    begin_prefix
    ;;
  --end)
    : "${WINEPREFIX:?set WINEPREFIX to the prefix folder}"
    end_prefix
    ;;
  "")
    say "usage: wine-run.sh --begin | --end | PROGRAM [ARGS...]"
    exit 2
    ;;
  *)
    if [ -n "${WINEPREFIX:-}" ]; then
      run_program "$@"
    else
      WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/kova-wine.XXXXXX")
      export WINEPREFIX
      trap end_prefix EXIT
      begin_prefix
      run_program "$@"
    fi
    ;;
esac
