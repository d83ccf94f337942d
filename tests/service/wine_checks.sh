#!/usr/bin/env bash
# Runs the Windows build of KovaProvider.exe under Wine in a fresh prefix:
# "/Service" with every key, value and the service's configuration it must
# leave, first without a VSS coordinator, then with VSS's stand-ins (the
# proxy/stub KovaVssProxy.dll and KovaVssShadow.exe as the coordinator's
# class) registered and once more with the provider already registered; the
# program started from a console, the service started and stopped by the
# service manager, restarted by KovaProviderConfig.exe, reached through COM
# (wine_com_checks.sh), and "/UnregServer". Every Wine run is bounded; the
# prefix's wineserver is ended and the prefix removed on exit.
#   tests/service/wine_checks.sh BUILD_DIR [LINUX_BUILD_DIR]
# BUILD_DIR is the Windows build of the project; LINUX_BUILD_DIR (default:
# "build" beside it) gives KovaArraySim and the in-process coordinator.
set -euo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR [LINUX_BUILD_DIR]}" && pwd)
linux_build=$(cd "${2:-$build/../build}" && pwd)
provider=$build/provider/service/KovaProvider.exe
config_tool=$build/OstaraRegTool/KovaProviderConfig.exe

WINEPREFIX=$(mktemp -d /tmp/kova-wine-XXXXXX)
export WINEPREFIX WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  timeout 30 wineserver -k 2>/dev/null || true
  timeout 30 wineserver -w 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
[ -n "${KOVA_WINE_KEEP:-}" ] || trap cleanup EXIT

# shellcheck source=tests/support/wine_checks.bash
source "$(dirname "$0")/../support/wine_checks.bash"
run_provider() {  # keeps |code| and |output|
  set +e
  output=$(timeout 120 wine "$provider" "$@" 2>&1)
  code=$?
  set -e
}
# The program's log; the service's own, under LocalSystem's profile folder.
log_file=$WINEPREFIX/drive_c/ProgramData/KovaStorage/KovaVSSHardwareProvider.log
service_log=$WINEPREFIX/drive_c/users/Public/KovaStorage/KovaVSSHardwareProvider.log
log_count() { cat "$log_file" "$service_log" 2>/dev/null | grep -cF -- "$1" || true; }
log_has() { [ "$(log_count "$1")" -ge "${2:-1}" ]; }
service_state_is() { timeout 60 wine sc query KovaProvider 2>/dev/null | tr -d '\r' | grep -q "STATE.*$1"; }
wait_for_state() {  # wait_for_state STATE: up to 30 s
  for _ in $(seq 60); do service_state_is "$1" && return 0; sleep 0.5; done
  return 1
}

timeout 300 wine wineboot --init >/dev/null 2>&1
path=$(winepath -w "$provider")
folder=${path%\\*}
clsid='HKCR\CLSID\{484E0F8A-B54C-45C6-ACAF-BE682A421F25}'
appid='HKCR\AppID\{63F0BFC9-5C8A-4CC1-BBD9-B51EEC70FC8F}'
typelib='HKCR\TypeLib\{ADE4E74B-C9A2-461B-A104-42917DCD7E02}'
service='HKLM\SYSTEM\CurrentControlSet\Services\KovaProvider'
events='HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\KovaProvider'

run_provider /Service
check "/Service exits 0" exit_code_is 0
check "/Service shows no message" no_output
[ -z "$output" ] || echo "$output"
check "the class's name" value_is "$clsid" "" REG_SZ "KovaVssProvider Class"
check "the class's AppID" value_is "$clsid" AppID REG_SZ "{63F0BFC9-5C8A-4CC1-BBD9-B51EEC70FC8F}"
check "Programmable" key_exists "$clsid\\Programmable"
check "LocalServer32: the quoted path" value_is "$clsid\\LocalServer32" "" REG_SZ "\"$path\""
check "LocalServer32: ServerExecutable" value_is "$clsid\\LocalServer32" ServerExecutable REG_SZ "$path"
check "the class's type library" value_is "$clsid\\TypeLib" "" REG_SZ "{ADE4E74B-C9A2-461B-A104-42917DCD7E02}"
check "the class's version" value_is "$clsid\\Version" "" REG_SZ "1.0"
check "the AppID names the service" value_is "$appid" LocalService REG_SZ KovaProvider
check "the type library from the program's resource" value_is "$typelib\\1.0\\0\\win64" "" REG_SZ "$path"
check "the type library's help string" value_is "$typelib\\1.0" "" REG_SZ "KovaProvider 1.0 Type Library"
check "IKovaVssProvider is registered" key_exists 'HKCR\Interface\{B71907E9-222C-4C9A-83E5-4FB75CC76537}'
check "the service starts automatically" value_is "$service" Start REG_DWORD 0x2
check "the service has its own process" value_is "$service" Type REG_DWORD 0x10
check "the service depends on VSS only" value_is "$service" DependOnService REG_MULTI_SZ VSS
check "the service's display name" value_is "$service" DisplayName REG_SZ "Kova Storage VSS Hardware Provider (64-bit)"
check "the service runs the quoted path" value_is "$service" ImagePath REG_SZ "\"$path\""
check "the service runs as LocalSystem" value_is "$service" ObjectName REG_SZ LocalSystem
check "the service's description" value_is "$service" Description REG_SZ \
  "Kova Storage VSS Hardware Provider (64-bit) version 1.0.3.717.2016-04-14_16-23-12 (64-bit Release)"
check "the event message file" value_is "$events" EventMessageFile REG_EXPAND_SZ "$folder\\ProviderEvents.dll"
check "the category message file" value_is "$events" CategoryMessageFile REG_EXPAND_SZ "$folder\\ProviderEvents.dll"
check "the parameter message file" value_is "$events" ParameterMessageFile REG_EXPAND_SZ "$folder\\ProviderEvents.dll"
check "the supported types" value_is "$events" TypesSupported REG_DWORD 0x7
check "the category count" value_is "$events" CategoryCount REG_DWORD 0x2
check "Wine has no VSS coordinator: its error is logged" \
  log_has "KOVASTORAGE ERROR: Failed to get reference to IVssAdmin: 80040154"
check "the run is one log session" log_has "( LOG SESSION ENDED )"

# VSS's side, as the test machine has it from here on: the proxy/stub of
# the provider interfaces and IVssAdmin, and the coordinator's stand-in.
proxy=$(winepath -w "$build/tools/KovaVssProxy/KovaVssProxy.dll")
timeout 120 wine regsvr32 /s "$proxy" >/dev/null 2>&1 || true
reg64 add 'HKCR\CLSID\{E579AB5F-1CC4-44B4-BED9-DE0991FF0623}\LocalServer32' /ve /f \
  /d "\"$(winepath -w "$build/tools/KovaVssShadow/KovaVssShadow.exe")\"" >/dev/null
for iid in 9593A157-44E9-4344-BBEB-44FBF9B06B10 7F5BA925-CDB1-4D11-A71F-339EB7E709FD \
  5F894E5B-1E39-4778-8E23-9ABAD9F0E08C E561901F-03A5-4AFE-86D0-72BAEECE7004 \
  77ED5996-2F63-11D3-8A39-00C04F72D8E3; do
  check "regsvr32 KovaVssProxy.dll: a proxy/stub for {$iid}" \
    key_exists "HKCR\\Interface\\{$iid}\\ProxyStubClsid32"
done
vss_provider='HKLM\SYSTEM\CurrentControlSet\Services\VSS\Providers\{781C006A-5829-4A25-81E3-D5E43BD005AB}'

reboot
check "at boot the service starts by itself" wait_for_state RUNNING

run_provider -SERVICE
check "a second /Service stops the running service and exits 0" exit_code_is 0
check "it shows no message" no_output
check "and leaves the service configured" value_is "$service" Start REG_DWORD 0x2
check "the second run logs the stop" log_has "OnStop Service : ProcessID="
check "with VSS's stand-in the provider is registered" log_has "KOVASTORAGE INFORM: Registration return code: 0"
check "VSS records its name" value_is "$vss_provider" "" REG_SZ "Kova Storage VSS Hardware Provider (64-bit)"
check "its type" value_is "$vss_provider" Type REG_DWORD 0x3
check "its version" value_is "$vss_provider" Version REG_SZ 1.0.3
check "its version identifier" value_is "$vss_provider" VersionId REG_SZ "{174057F8-922A-456B-A42F-43C6F4E9C4DA}"
check "its class" value_is "$vss_provider\\CLSID" "" REG_SZ "{484E0F8A-B54C-45C6-ACAF-BE682A421F25}"
reboot
check "the service created again starts at boot" wait_for_state RUNNING
timeout 120 wine net stop KovaProvider >/dev/null 2>&1 || true
check "net stop: the service stops" wait_for_state STOPPED
run_provider /Service
check "/Service with the provider registered already exits 0" exit_code_is 0
check "and logs VSS's code for it" log_has "KOVASTORAGE INFORM: Registration return code: 80042303"
reboot
wait_for_state RUNNING || true
timeout 120 wine net stop KovaProvider >/dev/null 2>&1 || true
wait_for_state STOPPED || true

run_provider
check "started from a console: the dispatcher's error 1063" exit_code_is 1063
run_provider /RegServer
check "a COM-only switch is ignored: 1063" exit_code_is 1063
run_provider /ServiceX
check "/ServiceX tries to run: 1063" exit_code_is 1063

stops_before=$(log_count "OnStop Service : ProcessID=")
timeout 120 wine net start KovaProvider >/dev/null 2>&1 || true
check "net start: the service runs" wait_for_state RUNNING
set +e
tool_output=$(timeout 180 wine "$config_tool" restartprovider 2>&1)
tool_code=$?
set -e
check "KovaProviderConfig restartprovider exits 0" [ "$tool_code" -eq 0 ]
check "it reports the restart" grep -qF "Successfully restarted '" <<<"$tool_output"
check "the service was stopped once more" log_has "OnStop Service : ProcessID=" $((stops_before + 1))
check "and runs again" wait_for_state RUNNING
timeout 120 wine net stop KovaProvider >/dev/null 2>&1 || true
wait_for_state STOPPED || true

# shellcheck source=tests/service/wine_com_checks.sh
. "$(dirname "$0")/wine_com_checks.sh"

run_provider /UnregServer
check "/UnregServer exits 0" exit_code_is 0
check "VSS's record of the provider is gone" key_absent "$vss_provider"
check "the class is removed" key_absent "$clsid"
check "the type library is removed" key_absent "$typelib\\1.0"
check "the AppID key stays" key_exists "$appid"
check "without its LocalService" value_absent "$appid" LocalService
check "the service is removed" key_absent "$service"
check "the event source stays" value_is "$events" CategoryCount REG_DWORD 0x2

# Wine keeps no event log: ReportEventW only writes its arguments to the
# debug channels, so the Windows backend is checked there, once per type.
event_trace() {  # event_trace TYPE CATEGORY EVENT_ID INSERTION
  WINEDEBUG=fixme+advapi,+eventlog timeout 120 wine "$build/tests/platform/event_report.exe" \
    KovaProvider "$@" 2>&1 | tr -d '\r'
}
reported_as() {  # reported_as TRACE TYPE CATEGORY EVENT_ID CHANNEL INSERTION
  grep -qE "RegisterEventSourceW \(\(null\),L\"KovaProvider\"\)" <<<"$1" &&
    grep -qE "ReportEventW \([0-9A-F]+,$2,$3,$4,[0-9A-F]+,0x0001," <<<"$1" &&
    grep -qF "$5:eventlog:ReportEventW L\"$6\"" <<<"$1"
}
trace=$(event_trace 1 1 0xC0003000 "not an administrator")
check "an error event reaches ReportEventW with its source, category, identifier and text" \
  reported_as "$trace" 0x0001 0x0001 0xc0003000 err "not an administrator"
trace=$(event_trace 4 0 0x40000001 "Service Starting")
check "so does an information event" \
  reported_as "$trace" 0x0004 0x0000 0x40000001 trace "Service Starting"

if [ "$failures" -ne 0 ]; then
  echo "provider wine checks: $failures failed"
  exit 1
fi
echo "provider wine checks: all passed"
