#!/usr/bin/env bash
# Installs what the build needs, then:
#   1. builds everything and runs every test (unit, widget, end to end, fuzz corpus replay);
#   2. builds again with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test;
#   3. runs each libFuzzer target for a bounded time (FUZZ_SECONDS, default 30).
# KAV_TEST_STAGES picks stages (default "plain sanitize fuzz").
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
stages=${KAV_TEST_STAGES:-plain sanitize fuzz}
export QT_QPA_PLATFORM=offscreen

run_suite() {  # build-dir, extra cmake args...
  local build=$1; shift
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$build" -j"$jobs"
  ctest --test-dir "$build" --output-on-failure -j"$jobs"
}

for stage in $stages; do
  echo "=== stage: $stage"
  case $stage in
    plain) run_suite build ;;
    sanitize)
      export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
      export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
      export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
      # -O1 and line tables only: the usual sanitizer setting, and half the build time of -O2 -g.
      run_suite build-asan -DKAV_SANITIZE=ON -DKAV_BUILD_BENCH=OFF \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" ;;
    fuzz) FUZZ_SECONDS=${FUZZ_SECONDS:-30} bash scripts/fuzz.sh ;;
    *) echo "unknown stage $stage" >&2; exit 2 ;;
  esac
done
