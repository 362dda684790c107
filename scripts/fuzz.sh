#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build tree build-fuzz) and runs each for a bounded
# time from a copy of its corpus; fails when any of them finds a crash.
#   FUZZ_SECONDS   seconds per target (default 45)
#   FUZZ_TARGETS   targets to run (default: receiver sector rawlog settings startlist
#                  conversation)
#   FUZZ_JOBS      build parallelism (default 2)
# Needs clang-14 and libclang-rt-14-dev (the libFuzzer and sanitizer runtimes).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-45}
targets=(${FUZZ_TARGETS:-receiver sector rawlog settings startlist conversation})
build=${KAV_FUZZ_BUILD_DIR:-build-fuzz}

declare -A max_len=([receiver]=8200 [sector]=12289 [rawlog]=12800 [settings]=2048 [startlist]=4096
  [conversation]=8)

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKAV_FUZZ=ON -DKAV_SANITIZE=ON -DKAV_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" -j"${FUZZ_JOBS:-2}" --target "${targets[@]/#/fuzz_}"

work=$(mktemp -d "${TMPDIR:-/tmp}/kav-fuzz.XXXXXX")
echo "fuzz work folder: $work"
failed=()
for t in "${targets[@]}"; do
  mkdir -p "$work/$t/corpus" "$work/$t/crashes"
  cp tests/fuzz/corpus/"$t"/* "$work/$t/corpus/"
  echo "== fuzz_$t for ${seconds}s"
  if ! QT_QPA_PLATFORM=offscreen "$build/fuzz/fuzz_$t" "$work/$t/corpus" \
      -max_total_time="$seconds" -max_len="${max_len[$t]:-4096}" -timeout=20 \
      -artifact_prefix="$work/$t/crashes/" -print_final_stats=1 2>"$work/$t/log"; then
    failed+=("$t")
  fi
  grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::new_units_added)' "$work/$t/log" || true
  ls "$work/$t/crashes" | grep -q . && failed+=("$t")
done

if [ "${#failed[@]}" -gt 0 ]; then
  echo "crashes found in: ${failed[*]} (inputs under $work/<target>/crashes, logs in $work/<target>/log)"
  echo "add each input to tests/fuzz/corpus/<target>/ once the fault is fixed"
  exit 1
fi
echo "no crash in ${targets[*]}"
rm -rf "$work"
