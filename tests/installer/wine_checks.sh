#!/usr/bin/env bash
# Runs the 32-bit Windows build of the installer bootstrapper under Wine in
# a fresh prefix: its test programs, then KovaVssInstaller.exe itself
# (extraction, help, the version checks, installing and removing the
# embedded package). Every Wine run is bounded; the prefix's wineserver is
# ended and the prefix removed on exit.
#   tests/installer/wine_checks.sh BUILD_DIR   (the build of installer/)
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
installer=$build/KovaVssInstaller.exe
product_key='HKLM\Software\Classes\Installer\Products\1EFF3F8CE85E74C439A7FDC8AE7A0AC9'

WINEPREFIX=$(mktemp -d /tmp/kova-wine-XXXXXX)
work=$(mktemp -d /tmp/kova-wine-work-XXXXXX)
export WINEPREFIX WINEDEBUG=-all
cleanup() {
  timeout 30 wineserver -k 2>/dev/null || true
  timeout 30 wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX" "$work"
}
trap cleanup EXIT

failures=0
check() {  # check DESCRIPTION COMMAND...
  local description=$1; shift
  if "$@"; then
    echo "ok: $description"
  else
    echo "FAILED: $description"
    failures=$((failures + 1))
  fi
}
# Runs the installer in the work folder with |input| on its standard input
# and keeps its exit code and output.
run_installer() {  # run_installer INPUT ARGUMENTS...
  local input=$1; shift
  set +e
  output=$(cd "$work" && printf '%s' "$input" | timeout 120 wine "$installer" "$@")
  code=$?
  set -e
}
windows_version() { timeout 60 wine winecfg /v "$1"; }
exit_code_is() { [ "$code" -eq "$1" ]; }
output_has() { grep -qF -- "$1" <<<"$output"; }
output_empty() { [ -z "$output" ]; }
installed_file="$WINEPREFIX/drive_c/Program Files/KovaStorage/VSS Hardware Provider/placeholder.txt"
is_installed() { [ -f "$installed_file" ] && timeout 60 wine reg query "$product_key" >/dev/null 2>&1; }
is_removed() { [ ! -e "$installed_file" ] && ! timeout 60 wine reg query "$product_key" >/dev/null 2>&1; }
no_package_in_temp() { [ -z "$(find "$WINEPREFIX/drive_c" -iname KovaVss.msi -print -quit)" ]; }
in_work() { [ -f "$work/$1" ]; }
not_in_work() { [ ! -e "$work/$1" ]; }
# Read whole before matching: grep -q ending the pipe early would fail it.
package_readable() {
  local properties
  properties=$(msiinfo export "$work/KovaVSS.msi" Property) &&
    grep -qF "{C8F3FFE1-E58E-4C47-937A-DF8CEAA7A09C}" <<<"$properties"
}
run_tests() { (cd "$build/tests/installer" && timeout 300 wine "$1" --gtest_brief=1); }

timeout 300 wine wineboot --init >/dev/null 2>&1

check "installer tests under Wine" run_tests installer_tests.exe
check "event message file tests under Wine" run_tests event_message_file_tests.exe

run_installer "" /e /x
check "/e /x extracts KovaVSS.msi and exits 0" exit_code_is 0
check "msiinfo reads the extracted package" package_readable

run_installer "" "/?" /s /x
check "/? exits 0" exit_code_is 0
check "/? shows the help" output_has "Please use one ore more of the following arguments:"

windows_version win10
run_installer "" /s
check "Windows 10, /s: exit code 30" exit_code_is 30
check "Windows 10, /s: no message" output_empty
run_installer ""
check "Windows 10: exit code 30" exit_code_is 30
check "Windows 10: string 112 is shown" output_has "This version of Windows is not supported."

windows_version win2003
run_installer $'n\n' /s
check "Windows Server 2003, answered No: exit code 31" exit_code_is 31
check "Windows Server 2003: string 113 is asked" output_has "Do you wish to continue anyway? [y/n]"
check "Windows Server 2003, answered No: nothing installed" is_removed
run_installer $'y\n' /s
check "Windows Server 2003, answered Yes: installed" is_installed
run_installer "" /x /s
check "Windows Server 2003: removed again" is_removed

windows_version win2008r2
run_installer "" /s
check "Windows Server 2008 R2, /s: exit code 0" exit_code_is 0
check "Windows Server 2008 R2, /s: the package is installed" is_installed
check "the Windows Installer log is in the current folder" in_work KovaVssProviderInstaller.log
check "the temporary package is deleted" no_package_in_temp

run_installer "" /r /s
check "/r /s: exit code 0" exit_code_is 0
check "/r /s: the installed copy was removed first" in_work KovaVssProviderUninstaller.log
check "/r /s: installed again" is_installed

rm -f "$work/KovaVssProviderUninstaller.log"
run_installer "" /x /s
check "/x /s: exit code 0" exit_code_is 0
check "/x /s: the package is removed" is_removed
check "/x /s: the uninstall log is written" in_work KovaVssProviderUninstaller.log

rm -f "$work/KovaVssProviderUninstaller.log"
run_installer "" /x /s
check "/x /s when not installed: exit code 0" exit_code_is 0
check "/x /s when not installed: nothing runs" not_in_work KovaVssProviderUninstaller.log

echo "wine checks: $failures failed"
[ "$failures" -eq 0 ]
