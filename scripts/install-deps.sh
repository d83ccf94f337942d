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
# The installer bootstrapper: the 32-bit mingw-w64 compilers, the 64-bit
# binutils for the event message file, the package tools, and Wine with its
# 32-bit part (from the i386 architecture) to run the 32-bit program.
packages+=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wixl msitools wine wine64 wine32:i386)
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
update_needed=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo_cmd dpkg --add-architecture i386
  update_needed=1
fi
# The Windows build of the provider's code and its tests: the 64-bit
# POSIX-thread compilers, widl, the HTTP library's source package
# (dpkg-source, patch), GoogleTest's sources and ccache; the IDL files that
# widl imports (oaidl.idl and the rest come with Wine's development files).
packages+=(g++-mingw-w64-x86-64-posix mingw-w64-tools dpkg-dev patch googletest ccache libwine-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ "$update_needed" -eq 1 ]; then
  $sudo_cmd apt-get update
fi
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi
