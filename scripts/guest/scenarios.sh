# shellcheck shell=dash
# The guest test's scenarios, run by the guest's /init (busybox sh) with
# the report on fd 3: "ok - ..." and "not ok - ..." lines, "# ..." notes and
# "probe KEY ..." lines (the pages a disk answered, which the host compares
# with the recorded ones). KovaArraySim, KovaProviderConfig and
# KovaVssShadow all run here, on the guest's loopback.
#
# 1. Emulated disks: the LUN records KovaVssShadow reads from them, field by
#    field against what QEMU was told; a shadow copy set of three volumes,
#    one snapshot request each; the disk without a name found by the array
#    scan; a set with another vendor's disk not supported; import and
#    delete leave the array as it was.
# 2. iSCSI: a tgt LUN logged in to through open-iscsi; the bus type is read
#    from the device; import connects each copy to the host the array knows
#    by this guest's IQN, delete disconnects and deletes.
# 3. Page 0x83 variants (a long name, a name with blanks and a comma, a name
#    with a binary NAA designator, which QEMU puts after it, no device_id):
#    the name QueryPage83VolumeName reads through SG_IO, and the pages
#    themselves for the recorded-bytes tests of the suite.

. /kova/settings
bin=/kova/bin
work=/tmp/kova
mkdir -p "$work"
export KOVA_STATE_DIR="$work/state" ALLUSERSPROFILE="$work"
provider_log="$work/KovaStorage/KovaVSSHardwareProvider.log"

ok() { echo "ok - $*" >&3; }
not_ok() { echo "not ok - $*" >&3; }
note() { echo "# $*" >&3; }
# not_ok_with FILE DESCRIPTION: a failure with the output that tells why.
not_ok_with() {
  not_ok "$2"
  sed 's/^/# /' "$1" >&3
}
at() { note "$* at $(cut -d' ' -f1 /proc/uptime) s"; }

# expect DESCRIPTION EXPECTED ACTUAL
expect() {
  if [ "$2" = "$3" ]; then
    ok "$1"
  else
    not_ok "$1"
    note "  expected: $2"
    note "  actual:   $3"
  fi
}

# field N LINE: field N of a "|"-separated disk line.
field() { echo "$2" | cut -d'|' -f"$1"; }

hex() { printf '%s' "$1" | hexdump -v -e '/1 "%02X"'; }

# The block device at SCSI address HOST:0:TARGET:LUN, once it exists.
device_at() {
  for block in /sys/bus/scsi/devices/"$1":0:"$2":"$3"/block/*; do
    [ -e "$block" ] && echo "/dev/${block##*/}"
  done
}

# wait_for SECONDS COMMAND...: until the command succeeds.
wait_for() {
  local limit=$(($1 * 10))
  shift
  while [ "$limit" -gt 0 ]; do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
    limit=$((limit - 1))
  done
  return 1
}

scsi_host_named() {
  for host in /sys/class/scsi_host/host*; do
    [ "$(cat "$host/proc_name")" = "$1" ] && echo "${host##*host}"
  done
}

shadow() { "$bin/KovaVssShadow" "$@"; }
sim() { curl -sSk -X "$1" "$url$2"; }

# The array as the scenarios compare it: everything but its sessions.
array_state() { sim GET /_sim/state | jq -S -c 'del(.sessions)'; }

# The snapshot requests since the request log was last emptied: the sorted
# source names of each, one request per line.
snapshot_requests() {
  sim GET /_sim/requests | jq -r '.[] | select(.method == "POST" and (.target | test("^/api/[^/]+/volume$")))
    | .body | fromjson | select(.snap == true) | .source | sort | join(" ")'
}

# The connection requests since the request log was last emptied, as
# "METHOD /host/..." lines.
host_requests() {
  sim GET /_sim/requests | jq -r '.[] | select(.target | test("/host/")) | "\(.method) \(.target)"' |
    sed 's|/api/[^/]*||'
}

# The name QEMU puts into page 0x83 for a disk line: its device_id, or
# without one the first 20 bytes of the serial.
qemu_device_name() {
  if [ "$(field 7 "$1")" = "-" ]; then field 6 "$1" | cut -c1-20; else field 7 "$1"; fi
}

# The record QEMU's answers give for a disk line: vendor and product blank
# padded, the revision NUL padded (so it ends at the NUL), the name as a
# vendor-specific ASCII designator and a wwn as a binary NAA one.
qemu_record() {
  local line=$1 ids="" name wwn
  name=$(qemu_device_name "$line")
  wwn=$(field 8 "$line")
  [ -z "$name" ] || ids="{\"code_set\": 2, \"type\": 0, \"hex\": \"$(hex "$name")\"}"
  [ -z "$wwn" ] || ids="$ids${ids:+, }{\"code_set\": 1, \"type\": 3, \"hex\": \"$(echo "${wwn#0x}" | tr a-f A-F)\"}"
  printf '[{"vendor": "%-8.8s", "product": "%-16.16s", "revision": "%s", "serial": "%s", "bus_type": 1, "device_type": 0, "identifiers": [%s], "command_queueing": true}]' \
    "$(field 3 "$line")" "$(field 4 "$line")" "$(field 5 "$line")" "$(field 6 "$line")" "$ids"
}

# probe KEY DEVICE: the disk's pages and what the identity code reads, into the report.
probe() {
  "$bin/kova_device_probe" "$2" >"$work/probe.$1" 2>&1
  sed "s/^/probe $1 /" "$work/probe.$1" >&3
}

# probed KEY WHAT: the value of one probe line.
probed() { sed -n "s/^$2 //p" "$work/probe.$1"; }

seed_volumes() {
  for line in $(cat /kova/disks /kova/iscsi-disk | tr ' ' '~'); do
    volume=$(field 9 "$line")
    [ -z "$volume" ] || printf '{"name": "%s", "size": 1073741824, "serial": "%s"},' "$volume" "$(field 6 "$line")"
  done | sed 's/,$//'
}

start_array() {
  cat >"$work/seed.json" <<EOF
{"array": {"id": "$ARRAY_ID", "name": "guest-array"},
 "versions": ["1.0", "1.1", "1.2"],
 "users": [{"username": "admin", "password": "admin-password", "api_token": "0b7e3f52-9d14-4c6a-8e21-5a9f3c7d1e08"}],
 "volumes": [$(seed_volumes)],
 "hosts": [{"name": "guest-host", "iqn": ["$IQN"], "wwn": []}]}
EOF
  "$bin/KovaArraySim" --seed "$work/seed.json" --port-file "$work/port" >"$work/sim.out" 2>&1 &
  if ! wait_for 60 test -s "$work/port"; then
    not_ok_with "$work/sim.out" "KovaArraySim starts"
    return 1
  fi
  url="https://127.0.0.1:$(cat "$work/port")"
  if "$bin/KovaProviderConfig" add --url "$url" --user admin --password admin-password array1 \
    >"$work/add.out" 2>&1; then
    ok "KovaProviderConfig adds the array at $url"
  else
    not_ok_with "$work/add.out" "KovaProviderConfig adds the array at $url"
    return 1
  fi
  # Debug lines show which way the provider found each volume.
  "$bin/KovaProviderConfig" log --enable --loglevel 3 >>"$work/add.out" 2>&1
  initial_state=$(array_state)
}

# --- 1. emulated disks ---------------------------------------------------

find_disks() {
  virtio_host=$(scsi_host_named virtio_scsi)
  count=$(wc -l </kova/disks)
  all_present() {
    [ "$(for t in $(cut -d'|' -f2 /kova/disks); do device_at "$virtio_host" "$t" 0; done | wc -l)" -eq "$count" ]
  }
  if ! wait_for 30 all_present; then
    not_ok "all $count emulated disks appear"
    return 1
  fi
  while read -r line; do
    eval "disk_$(field 2 "$line" | tr -c '0-9\n' _)=$(device_at "$virtio_host" "$(field 2 "$line")" 0)"
  done </kova/disks
}

# disk KEY: the device of the disk line with that key.
disk() {
  target=$(grep "^$1|" /kova/disks | cut -d'|' -f2)
  eval "echo \$disk_$target"
}

check_qemu_records() {
  while IFS= read -r line; do
    key=$(field 1 "$line")
    device=$(disk "$key")
    expect "$key ($device): the LUN record read from the disk is what QEMU was told" \
      "$(qemu_record "$line")" "$(shadow show "$device" 2>&1 </dev/null)"
  done </kova/disks
}

# create_set NAME LUN...: KovaVssShadow create into $work/NAME.json.
create_set() {
  local name=$1
  shift
  sim DELETE /_sim/requests >/dev/null
  shadow create "$@" >"$work/$name.json" 2>"$work/$name.err"
}

scenario_emulated_disks() {
  find_disks || return
  check_qemu_records
  db01=$(disk qemu-db01)
  if create_set set1 "$db01" "$(disk qemu-db02)" "$(disk qemu-logs01)"; then
    ok "create of db01, db02 and logs01 from their disks succeeds"
  else
    not_ok_with "$work/set1.err" "create of db01, db02 and logs01 from their disks succeeds"
  fi
  expect "create sends one snapshot request per LUN" "db01
db02
logs01" "$(snapshot_requests | sort)"
  expect "the targets are the snapshots, named by the set" \
    "$(jq -r '.snapshot_set_id | ltrimstr("{") | rtrimstr("}") | gsub("-"; "") |
      "db01.VSS-\(.) db02.VSS-\(.) logs01.VSS-\(.)"' "$work/set1.json" 2>&1)" \
    "$(jq -r '[.targets[].identifiers[] | select(.type == 0) | .data] | join(" ")' "$work/set1.json" 2>&1)"

  serial5=$(field 6 "$(grep '^qemu-no-device-id|' /kova/disks)")
  create_set set5 "$(disk qemu-no-device-id)"
  expect "create of the disk QEMU gave no device_id succeeds (exit code)" 0 $?
  expect "that disk's volume is found by the array scan" 1 \
    "$(grep -c "Array scan fallback to find volume name for serial ($serial5)" "$provider_log")"
  expect "its snapshot is one request for vol05" vol05 "$(snapshot_requests)"

  create_set foreign "$db01" "$(disk qemu-foreign)"
  expect "create of a set with another vendor's disk is refused (exit code)" 1 $?
  expect "the set is not supported" "AreLunsSupported failed: 0x00000000 (the provider does not support these LUNs)" \
    "$(cat "$work/foreign.err")"
  expect "no snapshot is requested for it" "" "$(snapshot_requests)"

  expect "import of the set locates the LUNs" "LocateLuns -> 0x00000000" "$(shadow import "@$work/set1.json" 2>&1)"
  expect "import made a volume copy of each snapshot" \
    "$(jq -r '[.targets[].serial | "VSS-" + .] | sort | join(" ")' "$work/set1.json")" \
    "$(sim GET /_sim/state | jq -r '[.volumes[].name | select(startswith("VSS-"))] | sort | join(" ")')"
  expect "delete releases every LUN" "OnLunEmpty -> 0x00000000
OnLunEmpty -> 0x00000000
OnLunEmpty -> 0x00000000
OnLunEmpty -> 0x00000000" "$(shadow delete "@$work/set1.json" "@$work/set5.json" 2>&1)"
  expect "after import and delete the array is as it was" "$initial_state" "$(array_state)"
}

# --- 2. iSCSI ------------------------------------------------------------

start_iscsi_target() {
  line=$(cat /kova/iscsi-disk)
  target_iqn=iqn.2024-05.test.kova:lumenstack
  dd if=/dev/zero of="$work/lun.img" bs=1M count=0 seek=64 2>/dev/null
  tgtd --iscsi portal=127.0.0.1:3260 >"$work/tgtd.out" 2>&1
  wait_for 20 tgtadm --lld iscsi --mode sys --op show || return 1
  tgtadm --lld iscsi --mode target --op new --tid 1 --targetname "$target_iqn" &&
    tgtadm --lld iscsi --mode logicalunit --op new --tid 1 --lun 1 --backing-store "$work/lun.img" &&
    tgtadm --lld iscsi --mode logicalunit --op update --tid 1 --lun 1 --params \
      "vendor_id=$(field 3 "$line"),product_id=$(field 4 "$line"),product_rev=$(field 5 "$line"),scsi_sn=$(field 6 "$line"),scsi_id=$(field 7 "$line")" &&
    tgtadm --lld iscsi --mode target --op bind --tid 1 --initiator-address 127.0.0.1
}

log_in() {
  mkdir -p /etc/iscsi/nodes /etc/iscsi/send_targets /etc/iscsi/ifaces /run/lock/iscsi
  echo "InitiatorName=$IQN" >/etc/iscsi/initiatorname.iscsi
  printf 'node.startup = manual\nnode.session.scan = auto\nnode.conn[0].timeo.login_timeout = 15\n' \
    >/etc/iscsi/iscsid.conf
  iscsid >"$work/iscsid.out" 2>&1
  iscsiadm -m discovery -t sendtargets -p 127.0.0.1:3260 >"$work/discovery.out" 2>&1 &&
    iscsiadm -m node -T "$target_iqn" -p 127.0.0.1:3260 --login >"$work/login.out" 2>&1
}

iscsi_device() {
  iscsi_host=$(scsi_host_named iscsi_tcp)
  [ -n "$iscsi_host" ] && device_at "$iscsi_host" 0 1 | grep .
}

scenario_iscsi() {
  if start_iscsi_target; then ok "tgtd serves the LUN on 127.0.0.1:3260"; else
    not_ok_with "$work/tgtd.out" "tgtd serves the LUN on 127.0.0.1:3260"
    return
  fi
  if log_in && wait_for 30 iscsi_device; then ok "open-iscsi logs in and the LUN appears as a disk"; else
    cat "$work/iscsid.out" "$work/discovery.out" "$work/login.out" >"$work/iscsi.out" 2>/dev/null
    not_ok_with "$work/iscsi.out" "open-iscsi logs in and the LUN appears as a disk"
    return
  fi
  iscsi=$(iscsi_device)
  line=$(cat /kova/iscsi-disk)
  record=$(shadow show "$iscsi" 2>&1)
  note "tgt LUN record: $record"
  expect "the bus type read from $iscsi is iSCSI (9)" 9 "$(echo "$record" | jq '.[0].bus_type')"
  expect "its serial is the volume's, byte for byte" "$(field 6 "$line")" "$(echo "$record" | jq -r '.[0].serial')"
  expect "its vendor, product and revision are tgt's padded ones" "KOVA    |Lumenstack      |6.1 " \
    "$(echo "$record" | jq -r '.[0] | "\(.vendor)|\(.product)|\(.revision)"')"

  create_set iscsi "$iscsi"
  expect "create of the iSCSI LUN succeeds (exit code)" 0 $?
  expect "tgt gives it no volume name: it is found by the array scan" 1 \
    "$(grep -c "Array scan fallback to find volume name for serial ($(field 6 "$line"))" "$provider_log")"
  expect "its snapshot is one request for iscsi06" iscsi06 "$(snapshot_requests)"
  sim DELETE /_sim/requests >/dev/null
  expect "import locates the LUN" "LocateLuns -> 0x00000000" "$(shadow import "@$work/iscsi.json" 2>&1)"
  copy="VSS-$(jq -r '.targets[0].serial' "$work/iscsi.json")"
  expect "import connects the copy to the host the array knows by $IQN" "POST /host/guest-host/volume/$copy" \
    "$(host_requests)"
  expect "the array holds that connection" "guest-host $copy" \
    "$(sim GET /_sim/state | jq -r '.connections[] | "\(.host) \(.volume)"')"
  sim DELETE /_sim/requests >/dev/null
  expect "delete releases the LUN" "OnLunEmpty -> 0x00000000" "$(shadow delete "@$work/iscsi.json" 2>&1)"
  expect "delete disconnects the copy first" "DELETE /host/guest-host/volume/$copy" \
    "$(host_requests)"
  expect "after import and delete the array is as it was" "$initial_state" "$(array_state)"
  probe tgt-iscsi06 "$iscsi"
  expect "tgt-iscsi06: the serial of its right-aligned page 0x80 is the volume's" "$(field 6 "$line")" \
    "$(probed tgt-iscsi06 serial)"
  expect "tgt-iscsi06: QueryPage83VolumeName finds no vendor-specific name" "0x00000000 " \
    "$(probed tgt-iscsi06 page83_name)"
}

# --- 3. page 0x83 variants -----------------------------------------------

scenario_page83() {
  for key in qemu-db01 qemu-no-device-id qemu-long-name qemu-blank-name qemu-wwn; do
    line=$(grep "^$key|" /kova/disks)
    device=$(disk "$key")
    [ -n "$device" ] || continue
    probe "$key" "$device"
    expect "$key: QueryPage83VolumeName reads the name QEMU was given" "0x00000000 $(qemu_device_name "$line")" \
      "$(probed "$key" page83_name)"
    expect "$key: the serial is the one QEMU was given" "$(field 6 "$line")" "$(probed "$key" serial)"
  done
}

at "array emulator"
if start_array; then
  at "scenario 1, emulated disks,"
  scenario_emulated_disks
  at "scenario 2, iSCSI,"
  scenario_iscsi
fi
at "scenario 3, page 0x83 variants,"
scenario_page83
