# shellcheck shell=bash
# The guest's kernel and its guest-side packages (the iSCSI target and
# initiator), sourced by scripts/guest-test.sh. Each is fetched with
# `apt-get download` and unpacked with `dpkg-deb -x` into a cache outside the
# work tree, one folder per package version, so later runs reuse it. Nothing
# is installed on the host and none of these programs runs there.

guest_cache_root() { echo "${XDG_CACHE_HOME:-$HOME/.cache}/kova"; }

guest_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

guest_packages=(tgt open-iscsi libisns0 libopeniscsiusr)

# Sets guest_versions (package -> candidate version) for the kernel
# package and guest_packages, and guest_kernel_package, in one apt-cache
# call (each costs seconds). The package lists are refreshed once when apt
# knows none of them (a machine whose lists were never fetched).
guest_resolve_versions() {
  local listing
  listing=$(apt-cache show --no-all-versions linux-image-cloud-amd64 "${guest_packages[@]}" 2>/dev/null || true)
  if [ -z "$listing" ]; then
    guest_as_root apt-get update -qq >&2
    listing=$(apt-cache show --no-all-versions linux-image-cloud-amd64 "${guest_packages[@]}" 2>/dev/null || true)
  fi
  declare -gA guest_versions=()
  local package="" line
  while IFS= read -r line; do
    case "$line" in
      "Package: "*) package=${line#Package: } ;;
      "Version: "*) guest_versions[$package]=${line#Version: } ;;
      "Depends: linux-image-"*)
        [ "$package" = linux-image-cloud-amd64 ] || continue
        line=${line#Depends: }
        guest_kernel_package=${line%% *}
        guest_versions[$guest_kernel_package]=$(echo "$line" | sed -n 's/^[^ ]* (= \([^)]*\)).*/\1/p')
        ;;
    esac
  done <<<"$listing"
  for package in "${guest_kernel_package:-linux-image-cloud-amd64}" "${guest_packages[@]}"; do
    [ -n "${guest_versions[$package]:-}" ] || { echo "guest: apt knows no version of $package" >&2; return 1; }
  done
}

# A version as part of a folder name.
guest_version_key() { echo "${1//:/%3a}"; }

# guest_unpack DIR PACKAGE...: unpacks the packages' candidate versions
# into DIR, unless an earlier run completed DIR.
guest_unpack() {
  local dir=$1
  shift
  [ -e "$dir/.complete" ] && return 0
  local part
  mkdir -p "$(dirname "$dir")"
  part=$(mktemp -d "$dir.part.XXXXXX")
  echo "guest: fetching $* into $dir" >&2
  if ! (cd "$part" && apt-get download -q -o APT::Sandbox::User=root "$@" >&2); then
    rm -rf "$part"
    echo "guest: apt-get download $* failed" >&2
    return 1
  fi
  local deb
  for deb in "$part"/*.deb; do dpkg-deb -x "$deb" "$part/root"; done
  rm -f "$part"/*.deb
  rm -rf "$dir"
  mv "$part/root" "$dir"
  rmdir "$part"
  touch "$dir/.complete"
}

# Sets guest_kernel_dir (the unpacked package, modules indexed with
# depmod) and guest_kernel_version. The cloud kernel starts fastest; it
# has virtio, SCSI, sd, sg and iSCSI over TCP as modules.
guest_fetch_kernel() {
  local package=$guest_kernel_package
  guest_kernel_version=${package#linux-image-}
  guest_kernel_dir="$(guest_cache_root)/guest-kernel-${package}_$(guest_version_key "${guest_versions[$package]}")"
  [ -e "$guest_kernel_dir/.complete" ] && return 0
  guest_unpack "$guest_kernel_dir" "$package" || return 1
  rm "$guest_kernel_dir/.complete"
  busybox depmod -b "$guest_kernel_dir" "$guest_kernel_version"
  touch "$guest_kernel_dir/.complete"
}

# Sets guest_packages_dir: tgt and open-iscsi with the libraries of theirs
# that the host lacks, unpacked together.
guest_fetch_packages() {
  local key="" package
  for package in "${guest_packages[@]}"; do
    key+="${package}_$(guest_version_key "${guest_versions[$package]}") "
  done
  guest_packages_dir="$(guest_cache_root)/guest-packages-$(echo "$key" | sha256sum | cut -c1-16)"
  guest_unpack "$guest_packages_dir" "${guest_packages[@]}" || return 1
  echo "$key" >"$guest_packages_dir/.versions"
}

# guest_module_order MODULE...: the kernel modules to load, dependencies
# first, as paths below the kernel's module folder.
guest_module_order() {
  local dep="$guest_kernel_dir/lib/modules/$guest_kernel_version/modules.dep"
  local order=() module path item i
  for module in "$@"; do
    path=$(grep -m 1 "^kernel/\([^:]*/\)\?${module}\.ko:" "$dep" | cut -d: -f1)
    [ -n "$path" ] || { echo "guest: kernel module $module not found" >&2; return 1; }
    # modules.dep lists a module's dependencies in the reverse of load order.
    local needed
    read -r -a needed <<<"$(grep -m 1 "^$path:" "$dep" | cut -d: -f2)"
    for ((i = ${#needed[@]} - 1; i >= 0; i--)); do order+=("${needed[i]}"); done
    order+=("$path")
  done
  local seen=" "
  for item in "${order[@]}"; do
    case "$seen" in *" $item "*) continue ;; esac
    seen+="$item "
    echo "$item"
  done
}
