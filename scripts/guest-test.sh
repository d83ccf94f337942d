#!/usr/bin/env bash
# The guest test: boots a small Linux guest under QEMU (TCG) whose disks are
# emulated SCSI disks, and runs KovaArraySim, KovaProviderConfig and
# KovaVssShadow from the build tree inside it against them and against an
# iSCSI LUN that the guest serves and logs in to over its own loopback
# (scripts/guest/scenarios.sh says what is checked).
#
#   scripts/guest-test.sh [--record] [BUILD_DIR]     (default: build)
#
# Ends with "guest: N passed, N failed" and exit code 0 only when every
# check passed; where QEMU cannot run it prints one "guest: skipped: ..."
# line and exits 0. The boot is bounded by KOVA_GUEST_TIME_LIMIT seconds
# (default 150) and QEMU is then ended by its process id. --record writes
# the pages the disks answered to tests/identity/recorded instead of
# comparing them. KOVA_GUEST_KEEP=1 keeps the work folder (the guest's
# console and report, its root file system) and names it at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/guest/assets.sh
. scripts/guest/initramfs.sh

build=build
record=""
for arg in "$@"; do
  case "$arg" in
    --record) record=1 ;;
    -h | --help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) build=$arg ;;
  esac
done
time_limit=${KOVA_GUEST_TIME_LIMIT:-150}
recorded=tests/identity/recorded
started=$SECONDS

# QEMU must exist and start a machine; it is ended by its own id either way.
qemu_problem() {
  command -v qemu-system-x86_64 >/dev/null || { echo "qemu-system-x86_64 is not installed"; return; }
  local log pid
  log=$(mktemp)
  qemu-system-x86_64 -nodefaults -machine none -accel tcg -display none -monitor none >/dev/null 2>"$log" &
  pid=$!
  sleep 1
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    wait "$pid" 2>/dev/null || true
  else
    wait "$pid" 2>/dev/null || true
    echo "qemu-system-x86_64 does not start a machine: $(head -n 1 "$log")"
  fi
  rm -f "$log"
}
problem=$(qemu_problem)
if [ -n "$problem" ]; then
  echo "guest: skipped: $problem"
  exit 0
fi

work=$(mktemp -d)
qemu_pid=""
cleanup() {
  if [ -n "$qemu_pid" ]; then kill -KILL "$qemu_pid" 2>/dev/null || true; fi
  if [ -n "${KOVA_GUEST_KEEP:-}" ]; then echo "guest: kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

guest_resolve_versions
guest_fetch_kernel
guest_fetch_packages
echo "guest: kernel and packages ready after $((SECONDS - started)) s"

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target KovaArraySim KovaProviderConfig KovaVssShadow kova_device_probe >/dev/null
built() { find "$build" -name "$1" -type f -perm -u+x -not -path '*/CMakeFiles/*' | head -n 1; }

# The array's identity: its volumes' serials begin with the ID's last 16 hex digits.
array_id=6f1c2a9e-4b7d-4c3a-9e25-8d0b7a4f1e63
id_hex=${array_id//-/}
prefix=${id_hex: -16}
prefix=${prefix^^}
long_name=$(printf 'long-%0242d' 0 | tr 0 7)  # 247 bytes, the most QEMU puts into page 0x83

# The emulated disks, one SCSI target each:
# key|target|vendor|product|revision|serial|device_id ("-": none given)|wwn|volume on the array
disks=(
  "qemu-db01|1|KOVA|Lumenstack|6.1|${prefix}00000001|db01||db01"
  "qemu-db02|2|KOVA|Lumenstack|6.1|${prefix}00000002|db02||db02"
  "qemu-logs01|3|KOVA|Lumenstack|6.1|${prefix}00000003|logs01||logs01"
  "qemu-foreign|4|EXAMPLE|Disk|2.0|${prefix}00000004|db04||db04"
  "qemu-no-device-id|5|KOVA|Lumenstack|6.1|${prefix}00000005|-||vol05"
  "qemu-long-name|6|KOVA|Lumenstack|6.1|${prefix}00000011|${long_name}||"
  "qemu-blank-name|7|KOVA|Lumenstack|6.1|${prefix}00000012|db 01, nightly copy||"
  "qemu-wwn|8|KOVA|Lumenstack|6.1|${prefix}00000013|db13|0x5000c50015ea71ac|"
)
iscsi_disk="tgt-iscsi06|1|KOVA|Lumenstack|6.1|${prefix}00000006|iscsi06||iscsi06"
iqn=iqn.2024-05.test.kova:guest01

root="$work/root"
guest_stage_base "$root"
for program in KovaArraySim KovaProviderConfig KovaVssShadow kova_device_probe; do
  file=$(built "$program")
  [ -n "$file" ] || { echo "guest: $program was not built in $build" >&2; exit 1; }
  guest_stage_program "$root" "$file" "/kova/bin/$program"
done
for program in /usr/bin/curl /usr/bin/jq; do guest_stage_program "$root" "$program"; done
package_libraries="$guest_packages_dir/usr/lib/x86_64-linux-gnu"
for program in usr/sbin/tgtd usr/sbin/tgtadm sbin/iscsid sbin/iscsiadm; do
  guest_stage_program "$root" "$guest_packages_dir/$program" "/usr/sbin/${program##*/}" "$package_libraries"
done
guest_stage_modules "$root" virtio_pci virtio_scsi sd_mod sg iscsi_tcp
install -m 0755 scripts/guest/init "$root/init"
cp scripts/guest/scenarios.sh "$root/kova/scenarios.sh"
printf '%s\n' "${disks[@]}" >"$root/kova/disks"
echo "$iscsi_disk" >"$root/kova/iscsi-disk"
printf 'ARRAY_ID=%s\nIQN=%s\n' "$array_id" "$iqn" >"$root/kova/settings"
guest_pack "$root" "$work/initrd"
echo "guest: root file system packed after $((SECONDS - started)) s ($(du -k "$work/initrd" | cut -f1) KiB)"

# shellcheck disable=SC2054  # commas separate QEMU's own option values
qemu_args=(-nodefaults -accel tcg -machine pc -m 768 -smp 1 -display none -no-reboot
  -kernel "$guest_kernel_dir/boot/vmlinuz-$guest_kernel_version" -initrd "$work/initrd"
  -append "console=ttyS0 quiet panic=-1"
  -serial "file:$work/console" -serial "file:$work/report"
  -device virtio-scsi-pci,id=scsi0)
for disk in "${disks[@]}"; do
  IFS='|' read -r key target vendor product revision serial device_id wwn _ <<<"$disk"
  options="bus=scsi0.0,drive=disk$target,scsi-id=$target,lun=0,vendor=$vendor,product=$product"
  options+=",ver=$revision,serial=$serial"
  [ "$device_id" = "-" ] || options+=",device_id=${device_id//,/,,}"
  [ -z "$wwn" ] || options+=",wwn=$wwn"
  qemu_args+=(-blockdev "driver=null-co,node-name=disk$target,read-zeroes=on,size=67108864"
    -device "scsi-hd,$options")
done

echo "guest: booting (kernel $guest_kernel_version, limit ${time_limit} s)"
boot_started=$SECONDS
qemu-system-x86_64 "${qemu_args[@]}" 2>"$work/qemu.err" &
qemu_pid=$!
while kill -0 "$qemu_pid" 2>/dev/null && [ $((SECONDS - boot_started)) -lt "$time_limit" ]; do
  sleep 1
done
if kill -0 "$qemu_pid" 2>/dev/null; then
  echo "guest: no end after ${time_limit} s, stopping QEMU (pid $qemu_pid)"
  kill -TERM "$qemu_pid" 2>/dev/null || true
  sleep 2
  kill -KILL "$qemu_pid" 2>/dev/null || true
fi
wait "$qemu_pid" 2>/dev/null || true
qemu_pid=""
boot_seconds=$((SECONDS - boot_started))

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "guest: ok - $*"; }
fail() { failed=$((failed + 1)); echo "guest: not ok - $*"; }

# The serial port turned each line end into CR LF.
report="$work/report.txt"
tr -d '\r' <"$work/report" >"$report" 2>/dev/null || true
while IFS= read -r line; do
  case "$line" in
    "ok - "*) pass "${line#ok - }" ;;
    "not ok - "*) fail "${line#not ok - }" ;;
    "# "*) echo "guest: $line" ;;
  esac
done <"$report"

# The pages each disk answered, against the ones the suite's parser tests read.
# Every recorded disk must have answered.
probed_keys=$(sed -n 's/^probe \([^ ]*\) \(inquiry\|vpd80\|vpd83\) .*/\1/p' "$report")
recorded_keys=$([ -n "$record" ] || find "$recorded" -name '*.txt' -exec basename {} .txt \;)
for key in $(printf '%s\n' $probed_keys $recorded_keys | sort -u); do
  answered=$(sed -n "s/^probe $key \(\(inquiry\|vpd80\|vpd83\) .*\)/\1/p" "$report")
  if [ -n "$record" ]; then
    mkdir -p "$recorded"
    echo "$answered" >"$recorded/$key.txt"
    echo "guest: recorded $recorded/$key.txt"
  elif [ "$answered" = "$(cat "$recorded/$key.txt" 2>/dev/null)" ]; then
    pass "$key answers the pages recorded in $recorded/$key.txt"
  else
    fail "$key answers other pages than $recorded/$key.txt:"
    diff <(cat "$recorded/$key.txt" 2>/dev/null) <(echo "$answered") | sed 's/^/guest:   /' || true
  fi
done

if ! grep -qx 'done' "$report"; then
  fail "the guest did not finish its scenarios within ${time_limit} s"
  echo "guest: last console lines:"
  tail -n 25 "$work/console" | sed 's/^/guest:   /'
  sed 's/^/guest:   qemu: /' "$work/qemu.err"
fi
echo "guest: boot and scenarios ${boot_seconds} s, whole guest test $((SECONDS - started)) s"
echo "guest: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
