#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# The guest test (scripts/guest-test.sh) needs QEMU, a static busybox for
# the guest's shell, lz4 to pack its root file system, and curl and jq for
# its scenarios; it fetches the guest's kernel, tgt and open-iscsi itself
# into a cache, without installing them on this machine.
set -euo pipefail
packages=(cmake g++ clang libclang-rt-14-dev make libcpprest-dev libboost-dev libssl-dev libsqlite3-dev
  libgtest-dev libgmock-dev openssl ca-certificates
  qemu-system-x86 busybox-static lz4 curl jq)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi
