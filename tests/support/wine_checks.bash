# Shared by the Wine check scripts (sourced, with WINEPREFIX set): counting
# checks, and reading the 64-bit registry view through Wine's reg.exe.

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
# |code| and |output| are those of the last program run.
# Wine hands a Windows exit code to Linux as its low byte.
exit_code_is() { [ "$code" -eq $(($1 & 255)) ]; }
no_output() { [ -z "$output" ]; }
# reg.exe of the 64-bit view: "wine reg" may be the 32-bit one, which sees
# the redirected CLSID and Interface keys.
reg64() { timeout 60 wine reg "$@" /reg:64; }
key_exists() { reg64 query "$1" >/dev/null 2>&1; }
key_absent() { ! key_exists "$1"; }
# value_is KEY NAME TYPE DATA ("" as NAME: the default value)
value_is() {
  local listing
  if [ -z "$2" ]; then listing=$(reg64 query "$1" /ve 2>/dev/null) || return 1
  else listing=$(reg64 query "$1" /v "$2" 2>/dev/null) || return 1; fi
  grep -qF -- "$3    $4" <<<"$(tr -d '\r' <<<"$listing")"
}
value_absent() { ! reg64 query "$1" /v "$2" >/dev/null 2>&1; }
# Wine's service manager finds a service it has just created by name again
# only after it starts anew; ending the prefix's wineserver is the reboot
# after an installation, and the service then starts by itself.
reboot() {
  timeout 30 wineserver -k 2>/dev/null || true
  timeout 30 wineserver -w 2>/dev/null || true
  timeout 120 wine wineboot >/dev/null 2>&1 || true
}
# The record of a LUN of the array as the coordinator's JSON gives it: the
# volume's name in a vendor-specific ASCII identifier.
lun_record_json() {  # lun_record_json VOLUME SERIAL
  printf '{"vendor": "KOVA    ", "product": "Lumenstack", "revision": "6.1", "serial": "%s", "bus_type": 9,
   "device_type": 0, "identifiers": [{"code_set": 2, "type": 0, "data": "%s"}]}' "$2" "$1"
}
