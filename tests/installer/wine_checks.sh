#!/usr/bin/env bash
# Runs the 32-bit Windows build of the installer bootstrapper under Wine in
# a fresh prefix: its test programs, then KovaVssInstaller.exe itself with
# the product's package it carries (extraction and the package's tables,
# help, the version checks, installing: files, settings, the provider's
# registration; the configuration tool against the array emulator; removal),
# and a package whose provider fails its "/Service" run. Every Wine run is
# bounded; the emulator is ended by its process id, the prefix's wineserver
# is ended and the prefix removed on exit.
#   tests/installer/wine_checks.sh BUILD_WIN32 BUILD_WIN64 BUILD_LINUX
# (the build of installer/, the 64-bit Windows build whose package it
# embeds, and a Linux build with KovaArraySim)
set -euo pipefail
usage="usage: $0 BUILD_WIN32 BUILD_WIN64 BUILD_LINUX"
build=$(cd "${1:?$usage}" && pwd)
build_win64=$(cd "${2:?$usage}" && pwd)
build_linux=$(cd "${3:?$usage}" && pwd)
installer=$build/KovaVssInstaller.exe
failing_package=$build_win64/installer/package/KovaFailingRegistration.msi
array_sim=$build_linux/tools/KovaArraySim/KovaArraySim
for file in "$installer" "$failing_package" "$array_sim"; do
  [ -f "$file" ] || { echo "$file is missing: build it first" >&2; exit 1; }
done
product_code='{C8F3FFE1-E58E-4C47-937A-DF8CEAA7A09C}'

WINEPREFIX=$(mktemp -d /tmp/kova-wine-XXXXXX)
work=$(mktemp -d /tmp/kova-wine-work-XXXXXX)
export WINEPREFIX WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
sim_pid=""
cleanup() {
  [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
  timeout 30 wineserver -k 2>/dev/null || true
  timeout 30 wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX" "$work"
}
trap cleanup EXIT
# shellcheck source=tests/support/wine_checks.bash
source "$(dirname "$0")/../support/wine_checks.bash"

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
output_has() { grep -qF -- "$1" <<<"$output"; }
no_package_in_temp() { [ -z "$(find "$WINEPREFIX/drive_c" -iname KovaVss.msi -print -quit)" ]; }
in_work() { [ -f "$work/$1" ]; }
not_in_work() { [ ! -e "$work/$1" ]; }
run_tests() { (cd "$build/tests/installer" && timeout 300 wine "$1" --gtest_brief=1); }

folder='C:\Program Files\KovaStorage\VSS Hardware Provider'
unix_folder="$WINEPREFIX/drive_c/Program Files/KovaStorage/VSS Hardware Provider"
program_files=(KovaProvider.exe KovaProviderConfig.exe ProviderEvents.dll License.txt)
product_key='HKLM\Software\Classes\Installer\Products\1EFF3F8CE85E74C439A7FDC8AE7A0AC9'
configuration='HKLM\SOFTWARE\KovaStorage\VSS'
settings="$configuration\\Provider"
clsid='HKCR\CLSID\{484E0F8A-B54C-45C6-ACAF-BE682A421F25}'
appid='HKCR\AppID\{63F0BFC9-5C8A-4CC1-BBD9-B51EEC70FC8F}'
service='HKLM\SYSTEM\CurrentControlSet\Services\KovaProvider'
events='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\KovaProvider'

files_in_place() {
  local name
  for name in "${program_files[@]}"; do [ -f "$unix_folder/$name" ] || return 1; done
}
# Not even the maker's folder above the program folder.
no_file_left() { [ ! -e "${unix_folder%/*}" ]; }
is_installed() { files_in_place && key_exists "$product_key"; }
# Nothing of the product: no files, no product registration, no settings,
# no service, no class, no AppID naming the service, no event source.
nothing_installed() {
  no_file_left && key_absent "$product_key" && key_absent "$configuration" &&
    key_absent "$service" && key_absent "$clsid" && value_absent "$appid" LocalService &&
    key_absent "$events"
}
settings_are_initial() {
  value_is "$settings" Version REG_SZ 1.0.3 && value_is "$settings" Build REG_SZ N/A &&
    value_is "$settings" RestVersion REG_SZ 1.1 && value_is "$settings" RestTimeout REG_SZ 10 &&
    value_is "$settings" Logging REG_SZ Enabled && value_is "$settings" LogLevel REG_SZ 4 &&
    value_is "$settings" EradicateVolumes REG_DWORD 0x1 &&
    value_is "$settings" DeleteSnaps REG_DWORD 0x0
}

# The package's tables, read back from the extracted file.
table() { msiinfo export "$work/KovaVSS.msi" "$1"; }
table_has() { grep -qF -- "$2" <<<"$(table "$1")"; }
# The action that follows |first| in the execute sequence.
next_action() {
  table InstallExecuteSequence | awk -F'\t' 'NR > 3 { print $3 "\t" $1 }' | sort -n |
    awk -F'\t' -v first="$1" 'found { print $2; exit } $2 == first { found = 1 }'
}
next_action_is() { [ "$(next_action "$1")" = "$2" ]; }
tab=$'\t'

timeout 300 wine wineboot --init >/dev/null 2>&1

check "installer tests under Wine" run_tests installer_tests.exe
check "event message file tests under Wine" run_tests event_message_file_tests.exe

run_installer "" /e /x
check "/e /x extracts KovaVSS.msi and exits 0" exit_code_is 0
check "msiinfo reads the product code" table_has Property "ProductCode$tab$product_code"
check "the package is for x64" grep -qF "Template: x64;1033" <<<"$(msiinfo suminfo "$work/KovaVSS.msi")"
package_has_files() {
  local name
  for name in "${program_files[@]}"; do table_has File "$tab$name$tab" || return 1; done
}
check "the package carries the four files" package_has_files
check "a deferred, not impersonated, checked run of the provider with \" /Service\"" \
  table_has CustomAction "RegisterProvider${tab}3090${tab}ProviderExe$tab /Service"
check "and with \" /UnregServer\"" \
  table_has CustomAction "UnregisterProvider${tab}3090${tab}ProviderExe$tab /UnregServer"
check "\" /Service\" on first installation only" table_has InstallExecuteSequence "RegisterProvider${tab}NOT Installed$tab"
check "\" /Service\" is the last step before InstallFinalize" next_action_is RegisterProvider InstallFinalize
check "\" /UnregServer\" on removal" table_has InstallExecuteSequence "UnregisterProvider${tab}REMOVE~=\"ALL\"$tab"
check "\" /UnregServer\" is the first step after InstallInitialize" next_action_is InstallInitialize UnregisterProvider
check "a rollback run of the package's own copy of the provider with \" /UnregServer\"" \
  table_has CustomAction "RollBackProviderRegistration${tab}3394${tab}ProviderForRollback$tab /UnregServer"
check "the rollback is scheduled right before \" /Service\"" \
  next_action_is RollBackProviderRegistration RegisterProvider
check "the rollback on first installation only" \
  table_has InstallExecuteSequence "RollBackProviderRegistration${tab}NOT Installed$tab"
check "removal deletes the configuration key" table_has Registry "${tab}2${tab}SOFTWARE\\KovaStorage\\VSS$tab-$tab"
check "removal deletes the event-source key" table_has Registry \
  "${tab}2${tab}SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\KovaProvider$tab-$tab"

run_installer "" "/?" /s /x
check "/? exits 0" exit_code_is 0
check "/? shows the help" output_has "Please use one ore more of the following arguments:"

windows_version win10
run_installer "" /s
check "Windows 10, /s: exit code 30" exit_code_is 30
check "Windows 10, /s: no message" no_output
run_installer ""
check "Windows 10: exit code 30" exit_code_is 30
check "Windows 10: string 112 is shown" output_has "This version of Windows is not supported."
check "Windows 10: nothing installed" nothing_installed

windows_version win2003
run_installer $'n\n' /s
check "Windows Server 2003, answered No: exit code 31" exit_code_is 31
check "Windows Server 2003: string 113 is asked" output_has "Do you wish to continue anyway? [y/n]"
check "Windows Server 2003, answered No: nothing installed" nothing_installed
run_installer $'y\n' /s
check "Windows Server 2003, answered Yes: installed" is_installed
reboot
run_installer "" /x /s
check "Windows Server 2003: removed again" nothing_installed

windows_version win2008r2
run_installer "" /s
check "Windows Server 2008 R2, /s: exit code 0" exit_code_is 0
check "the program folder holds the four files" files_in_place
check "the product is registered" key_exists "$product_key"
check "the settings hold their initial values" settings_are_initial
check "/Service ran: the class's local server is the installed program" \
  value_is "$clsid\\LocalServer32" "" REG_SZ "\"$folder\\KovaProvider.exe\""
check "/Service ran: the service runs the installed program" \
  value_is "$service" ImagePath REG_SZ "\"$folder\\KovaProvider.exe\""
check "/Service ran: the event source names the installed message file" \
  value_is "$events" EventMessageFile REG_EXPAND_SZ "$folder\\ProviderEvents.dll"
check "the Windows Installer log is in the current folder" in_work KovaVssProviderInstaller.log
check "the temporary package is deleted" no_package_in_temp

# The installed configuration tool adds an array that the emulator serves.
cat >"$work/seed.json" <<'EOF'
{
  "array": {"id": "6f1c2a9e-4b7d-4c3a-9e25-8d0b7a4f1e63", "name": "kova-sim-01"},
  "versions": ["1.0", "1.1"],
  "users": [{"username": "admin", "password": "admin-password",
             "api_token": "0b7e3f52-9d14-4c6a-8e21-5a9f3c7d1e08"}],
  "volumes": [{"name": "db01", "size": 1099511627776, "serial": "9E258D0B7A4F1E6300000001"}],
  "hosts": []
}
EOF
timeout 600 "$array_sim" --seed "$work/seed.json" --port-file "$work/port" >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
url="https://127.0.0.1:$(cat "$work/port" 2>/dev/null || echo 0)"
set +e
tool_output=$(cd "$work" && timeout 120 wine "$folder\\KovaProviderConfig.exe" add --url "$url" \
  --user admin --password admin-password array1 2>&1)
tool_code=$?
set -e
check "KovaProviderConfig.exe add exits 0" [ "$tool_code" -eq 0 ]
# Its list row: compatible, online, authenticated.
tool_lists_array() { tr -d '\r' <<<"$tool_output" | grep -qE "^$url +yes +yes +yes +array1 *$"; }
check "and lists the array as compatible, online and authenticated" tool_lists_array
tool_lists_array || echo "$tool_output"
check "the array's URL is stored" value_is "$settings\\array1" URL REG_SZ "$url"
check "the array's protected token is stored" value_is "$settings\\array1" APIKey REG_BINARY ""
check "the installed settings are kept" settings_are_initial

# A shadow copy set made and deleted through the installed service, as VSS
# would: the test machine's proxy/stub of the provider interfaces, and the
# coordinator as a COM client. The service starts at boot.
reboot
timeout 120 wine regsvr32 /s "$(winepath -w "$build_win64/tools/KovaVssProxy/KovaVssProxy.dll")" \
  >/dev/null 2>&1 || true
printf '[%s]\n' "$(lun_record_json db01 9E258D0B7A4F1E6300000001)" >"$work/luns.json"
shadow_com() {  # shadow_com COMMAND OUTPUT INPUT: keeps |code|
  set +e
  (cd "$work" && timeout 180 wine "$build_win64/tools/KovaVssShadow/KovaVssShadow.exe" --com \
    "$1" @"$(winepath -w "$work/$3")" >"$work/$2" 2>"$work/$2.err")
  code=$?
  set -e
}
shadow_com create set.json luns.json
check "KovaVssShadow.exe --com create makes a set through the installed service" exit_code_is 0
[ "$code" -eq 0 ] || cat "$work/set.json.err"
set_has_target() { grep -qF '"serial"' "$work/set.json"; }
check "and prints the set's target LUN" set_has_target
shadow_com delete deleted.out set.json
check "KovaVssShadow.exe --com delete deletes it again" exit_code_is 0
kill "$sim_pid" 2>/dev/null || true
wait "$sim_pid" 2>/dev/null || true
sim_pid=""

reboot
run_installer "" /r /s
check "/r /s: exit code 0" exit_code_is 0
check "/r /s: the installed copy was removed first" in_work KovaVssProviderUninstaller.log
check "/r /s: the removal took the configured array" key_absent "$settings\\array1"
check "/r /s: installed again" is_installed
check "/r /s: and registered again" value_is "$service" ImagePath REG_SZ "\"$folder\\KovaProvider.exe\""

rm -f "$work/KovaVssProviderUninstaller.log"
reboot
run_installer "" /x /s
check "/x /s: exit code 0" exit_code_is 0
check "/x /s: the uninstall log is written" in_work KovaVssProviderUninstaller.log
check "/x /s: the files are removed" no_file_left
check "/x /s: the product is unregistered" key_absent "$product_key"
check "/x /s: the service is gone" key_absent "$service"
check "/x /s: the class is gone" key_absent "$clsid"
check "/x /s: the configuration key is gone" key_absent "$configuration"
check "/x /s: the event-source key is gone" key_absent "$events"

rm -f "$work/KovaVssProviderUninstaller.log"
run_installer "" /x /s
check "/x /s when not installed: exit code 0" exit_code_is 0
check "/x /s when not installed: nothing runs" not_in_work KovaVssProviderUninstaller.log

# A provider whose "/Service" run fails half-way (the AppID's LocalService
# set, then exit code E_FAIL) fails the installation; the Windows Installer
# takes back what it had done and runs "/UnregServer" to take back the rest.
cp "$failing_package" "$work/failing.msi"
set +e
(cd "$work" && timeout 120 wine msiexec /l*v failing.log /quiet /i failing.msi)
code=$?
set -e
check "a failing \" /Service\" run fails the installation" [ "$code" -ne 0 ]
check "the failed installation leaves nothing installed" nothing_installed

echo "wine checks: $failures failed"
[ "$failures" -eq 0 ]
