#!/usr/bin/env bash
# Installs what the build needs, then:
#   1. plain: builds everything and runs every test (unit, widget, end to end, fuzz corpus
#      replay);
#   2. package: makes the Debian package from that build, installs it, runs the installed
#      programs and removes it again (scripts/package-check.sh; needs root);
#   3. sanitize: builds again with AddressSanitizer and UndefinedBehaviorSanitizer and runs
#      every test;
#   4. fuzz: runs each libFuzzer target for a bounded time (FUZZ_SECONDS, default 30).
# Compiler warnings are errors in the plain and sanitizer builds.
# KAV_TEST_STAGES picks stages (default "plain package sanitize fuzz").
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
stages=${KAV_TEST_STAGES:-plain package sanitize fuzz}
export QT_QPA_PLATFORM=offscreen
# ccache (when installed) keyed on paths relative to the checkout, so any clone reuses it.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}

run_suite() {  # build-dir, extra cmake args...
  local build=$1; shift
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAV_BUILD_TESTS=ON -DKAV_WERROR=ON "$@"
  cmake --build "$build" -j"$jobs"
  ctest --test-dir "$build" --output-on-failure -j"$jobs"
}

for stage in $stages; do
  echo "=== stage: $stage"
  started=$SECONDS
  case $stage in
    plain) run_suite build ;;
    package) KAV_BUILD_DIR=build bash scripts/package-check.sh ;;
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
  echo "=== stage $stage took $((SECONDS - started)) s"
done
