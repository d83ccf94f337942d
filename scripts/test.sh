#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite three
# times: once as built for use, once under AddressSanitizer and
# UndefinedBehaviorSanitizer, and once built for Windows with mingw-w64 and
# run under Wine in a prefix of its own; the concurrency suites once more
# under ThreadSanitizer, and the provider program's Wine checks. Then runs the guest test on the
# release build (the programs on real SCSI disks in a QEMU guest) and gives
# each fuzz target a short run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# Full debug information costs about a quarter of every compile and ten
# times the object size; the passes that run as built for use carry none,
# and the sanitizer passes keep the line tables that their reports need.
# (Release's own C flags already hold none; CMake's C++ Release means -O3.)
optimised=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG")

passed=0
skipped=0
ctest_options=()
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" "${launcher[@]}" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure -j"$jobs" "${ctest_options[@]}") | tee "$dir/ctest.out"
  local count skips
  count=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$dir/ctest.out")
  # ctest marks a skipped case "***Skipped"; a case's name may hold the word.
  skips=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*\*\*\*Skipped +[0-9.]+ sec' "$dir/ctest.out" || true)
  echo "$dir: $((${count:-0} - skips)) passed, $skips skipped"
  passed=$((passed + ${count:-0} - skips))
  skipped=$((skipped + skips))
}

# The Windows pass: the HTTP library from the cache, the build, and ctest
# running every Windows binary through scripts/wine-run.sh in one fresh
# prefix that is removed afterwards; the suites that talk to an array run
# beside the release build's KovaArraySim (scripts/with-array-sim.sh).
run_windows_suite() {
  local started=$SECONDS cpprest
  cpprest=$(scripts/build-cpprest-mingw.sh)
  WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/kova-wine.XXXXXX")
  export WINEPREFIX
  trap 'scripts/wine-run.sh --end' EXIT
  scripts/wine-run.sh --begin
  # About one Windows test process in 500 finishes its test and then does
  # not exit under Wine; a case that times out (60 s there) gets one more run.
  ctest_options=(--repeat after-timeout:2)
  run_suite build-win -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/x86_64-w64-mingw32.cmake" \
    -Dcpprestsdk_DIR="$cpprest/lib/cmake/cpprestsdk" "${optimised[@]}" \
    -DKOVA_BENCH=OFF -DKOVA_LINUX_ARRAY_SIM="$PWD/build/tools/KovaArraySim/KovaArraySim"
  ctest_options=()
  scripts/wine-run.sh --end
  trap - EXIT
  unset WINEPREFIX
  echo "build-win: the Windows pass took $((SECONDS - started)) s"
}

# The suites whose cases run threads against one another, built with
# ThreadSanitizer; any report ends the run.
run_tsan_suites() {
  local targets=(kova_provider_concurrency_tests kova_service_tests kova_provider_tests kova_log_tests)
  cmake -S . -B build-tsan "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" -DKOVA_TSAN=ON \
    -DKOVA_BENCH=OFF >/dev/null
  cmake --build build-tsan -j"$jobs" --target "${targets[@]}"
  local name binary count
  for name in "${targets[@]}"; do
    binary=$(find build-tsan/tests -type f -name "$name" | head -n 1)
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp" \
      "$binary" --gtest_brief=1 | tee build-tsan/"$name".out
    count=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p' build-tsan/"$name".out)
    echo "build-tsan: $name: ${count:-0} passed"
    passed=$((passed + ${count:-0}))
  done
}

echo "== [${SECONDS} s] Release build and tests"
run_suite build "${optimised[@]}"
echo "== [${SECONDS} s] AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DKOVA_SANITIZE=ON -DKOVA_BENCH=OFF
echo "== [${SECONDS} s] Windows build (mingw-w64) and tests under Wine"
run_windows_suite
echo "== [${SECONDS} s] ThreadSanitizer build of the concurrency suites"
run_tsan_suites
echo "== [${SECONDS} s] KovaProvider.exe under Wine: registration, the service, removal"
tests/service/wine_checks.sh build-win build
echo "== [${SECONDS} s] The installer bootstrapper (32-bit) with the package KOVA64.MSI under Wine"
# The package comes from the Windows build above; the emulator that the
# installed configuration tool talks to from the release build.
cmake -S installer -B build-win32 "${optimised[@]}" "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/i686-w64-mingw32.cmake" \
  -DKOVA_PACKAGE_MSI="$PWD/build-win/installer/package/KOVA64.MSI" >/dev/null
cmake --build build-win32 -j"$jobs"
tests/installer/wine_checks.sh build-win32 build-win build

echo "== [${SECONDS} s] Guest test: KovaArraySim, KovaProviderConfig and KovaVssShadow on SCSI disks in a QEMU guest"
scripts/guest-test.sh build | tee build/guest.out
guest_passed=$(sed -n 's/^guest: \([0-9]*\) passed, 0 failed$/\1/p' build/guest.out)
passed=$((passed + ${guest_passed:-0}))

echo "== [${SECONDS} s] Fuzz smoke runs"
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DKOVA_FUZZ=ON \
  -DKOVA_TESTS=OFF -DKOVA_BENCH=OFF >/dev/null
fuzzers=$(for source in fuzz/*_fuzz.cc; do basename "$source" .cc; done)
# shellcheck disable=SC2086  # one target name per word
cmake --build build-fuzz -j"$jobs" --target $fuzzers
# Each fuzzer is one process; they run a core each. A failing one shows its
# whole output, and the command fails once every run has ended.
fuzz_one() {
  local name=$1 corpus status=0
  corpus=$(mktemp -d)
  build-fuzz/fuzz/"$name" -max_total_time=15 -print_final_stats=0 "$corpus" fuzz/corpus \
    >build-fuzz/"$name".out 2>&1 || status=$?
  rm -rf "$corpus"
  if [ "$status" -ne 0 ]; then cat build-fuzz/"$name".out; return "$status"; fi
  echo "$name: $(tail -n 1 build-fuzz/"$name".out)"
}
running=()
fuzz_failed=0
for name in $fuzzers; do
  fuzz_one "$name" &
  running+=($!)
  if [ "${#running[@]}" -ge "$jobs" ]; then
    wait "${running[0]}" || fuzz_failed=1
    running=("${running[@]:1}")
  fi
done
for pid in "${running[@]}"; do wait "$pid" || fuzz_failed=1; done
[ "$fuzz_failed" -eq 0 ]

echo "[${SECONDS} s] suites: $passed passed, 0 failed, $skipped skipped"
