#!/usr/bin/env bash
# Builds the HTTP library for 64-bit Windows with mingw-w64 from Debian's
# source package of the very version Linux links, with our patch applied:
# a static library with the WinHTTP client and the Windows PPLX, without
# websockets, compression, the listener or Boost.
#
# The result lands in a cache outside the work tree, keyed by the source
# version and a hash of the patch and the build options, so a second run
# only prints where it is. Prints the install prefix (for cpprestsdk_DIR:
# PREFIX/lib/cmake/cpprestsdk) as its last line; progress goes to stderr.
#
# KOVA_CACHE_DIR moves the cache (default ${XDG_CACHE_HOME:-~/.cache}/kova).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
patch_file=$repo/third_party/cpprestsdk/mingw-w64.patch
toolchain=$repo/cmake/toolchains/x86_64-w64-mingw32.cmake
options=(
  -DCMAKE_BUILD_TYPE=Release
  -DCMAKE_CXX_STANDARD=17
  -DBUILD_SHARED_LIBS=OFF
  -DBUILD_TESTS=OFF
  -DBUILD_SAMPLES=OFF
  -DWERROR=OFF
  -DCPPREST_EXCLUDE_WEBSOCKETS=ON
  -DCPPREST_EXCLUDE_COMPRESSION=ON
  -DCPPREST_PPLX_IMPL=winpplx
  -DCPPREST_HTTP_LISTENER_IMPL=none
)

say() { echo "build-cpprest-mingw: $*" >&2; }

installed_version() {
  local package=libcpprest-dev
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    say "$package is not installed (run scripts/install-deps.sh)"
    exit 1
  fi
  source_package=$(dpkg-query -W -f='${source:Package}' "$package")
  version=$(dpkg-query -W -f='${source:Version}' "$package")
}

# Writes deb-src entries for this release's suites, made from the machine's
# own deb entries, so the source comes from where its packages come from.
write_source_entries() {
  local parts=$1 codename
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -e "$file" ] || continue
    awk -v code="$codename" -f "$repo/scripts/deb822-to-deb-src.awk" "$file"
  done >"$parts/deb-src.sources"
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -e "$file" ] || continue
    awk -v code="$codename" '$1 == "deb" && $0 ~ ("[ \t]" code "(-[a-z]+)?[ \t]") { $1 = "deb-src"; print }' "$file"
  done >"$parts/deb-src.list"
}

# Downloads and unpacks the source package into $1 with a private apt state,
# leaving the machine's package lists and caches as they were.
fetch_source() {
  local work=$1 apt_dir=$1/apt
  mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  write_source_entries "$apt_dir/parts"
  local apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/parts"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o APT::Sandbox::User=root)
  say "fetching the source of $source_package $version"
  timeout 600 apt-get -qq "${apt_options[@]}" update >&2
  (cd "$work" && timeout 600 apt-get -qq "${apt_options[@]}" source --only-source \
    "$source_package=$version" >&2)
}

build_into() {
  local work=$1 destination=$2
  local source_dir
  source_dir=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name "${source_package}-*" | head -n 1)
  [ -n "$source_dir" ] || { say "the source package did not unpack"; exit 1; }
  patch -d "$source_dir" -p1 --quiet <"$patch_file"
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  say "building (a few minutes on two cores)"
  cmake -S "$source_dir" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$destination" "${launcher[@]}" "${options[@]}" >"$work/configure.log"
  cmake --build "$work/build" -j"$(nproc)" >"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log" >&2; exit 1; }
  cmake --install "$work/build" >"$work/install.log"
}

installed_version
key=$version-$(printf '%s\n' "${options[@]}" | cat "$patch_file" - | sha256sum | cut -c1-12)
cache_root=${KOVA_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kova}/cpprestsdk-mingw-w64
prefix=$cache_root/$key
mkdir -p "$cache_root"

# One builder at a time; a waiting one then finds the finished cache.
exec 9>"$cache_root/.lock"
flock 9
if [ ! -f "$prefix/.complete" ]; then
  work=$(mktemp -d "$cache_root/.work.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  rm -rf "$prefix"
  fetch_source "$work"
  build_into "$work" "$prefix"
  touch "$prefix/.complete"
  say "built into $prefix"
else
  say "reusing $prefix"
fi
echo "$prefix"
