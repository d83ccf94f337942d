# shellcheck shell=bash
# The guest's whole root file system as one initramfs, sourced by
# scripts/guest-test.sh: busybox for the shell and the base commands, the
# programs under test copied from the build tree, the host's copies of the
# few other programs the scenarios use, and every shared library these load
# (as the host's loader finds them), at the paths the host has them.

# The staging folder; /bin, /sbin, /lib and /lib64 lead into /usr as on the
# host, so libraries land where the loader looks for them.
guest_stage_base() {
  local root=$1
  mkdir -p "$root"/usr/{bin,sbin,lib,lib64} "$root"/{dev,proc,sys,tmp,run,etc,var,kova}
  ln -s usr/bin "$root/bin"
  ln -s usr/sbin "$root/sbin"
  ln -s usr/lib "$root/lib"
  ln -s usr/lib64 "$root/lib64"
  ln -s ../run "$root/var/run"
  cp /bin/busybox "$root/usr/bin/busybox"
  echo "root:x:0:0:root:/root:/bin/sh" >"$root/etc/passwd"
  echo "root:x:0:" >"$root/etc/group"
  printf '127.0.0.1 localhost\n::1 localhost\n' >"$root/etc/hosts"
}

# guest_stage_program ROOT FILE [DEST] [LIBRARY_DIR]: copies FILE to DEST
# (default: its own path) below ROOT with the libraries it needs, looked up
# in LIBRARY_DIR before the host's; those found there go to the guest's
# /usr/lib/x86_64-linux-gnu. Copies lose their debugging sections.
guest_stage_program() {
  local root=$1 file=$2 dest=${3:-$2} library_dir=${4:-}
  mkdir -p "$(dirname "$root$dest")"
  strip --strip-debug -o "$root$dest" "$file"
  local line library target missing=""
  while read -r line; do
    case "$line" in
      *"=> not found"*) missing+=" ${line%% *}" ;;
      *"=> /"*) library=${line#*=> } ;;
      /*) library=$line ;;
      *) continue ;;
    esac
    library=${library%% (*}
    target=$library
    [ -z "$library_dir" ] || [ "${library#"$library_dir"/}" = "$library" ] ||
      target=/usr/lib/x86_64-linux-gnu/${library##*/}
    [ -e "$root$target" ] || { mkdir -p "$(dirname "$root$target")" && cp -L "$library" "$root$target"; }
  done < <(LD_LIBRARY_PATH=$library_dir ldd "$file")
  [ -z "$missing" ] || { echo "guest: $file needs libraries the host lacks:$missing" >&2; return 1; }
}

# guest_stage_modules ROOT MODULE...: the kernel modules and /etc/kova/modules,
# the order the guest loads them in (guest_fetch_kernel first).
guest_stage_modules() {
  local root=$1
  shift
  local path source="$guest_kernel_dir/lib/modules/$guest_kernel_version"
  local order
  order=$(guest_module_order "$@") || return 1
  mkdir -p "$root/etc/kova"
  for path in $order; do
    mkdir -p "$(dirname "$root/lib/modules/$guest_kernel_version/$path")"
    cp "$source/$path" "$root/lib/modules/$guest_kernel_version/$path"
  done
  echo "$order" >"$root/etc/kova/modules"
}

# guest_pack ROOT OUT: the cpio archive the kernel unpacks, LZ4 (legacy
# format, which the kernel reads) compressed.
guest_pack() {
  (cd "$1" && find . -mindepth 1 | LC_ALL=C sort | busybox cpio -o -H newc 2>/dev/null) | lz4 -l -q -1 >"$2"
}
