#!/usr/bin/env bash
# Builds the benchmarks in Release (build tree build-bench) and runs them all, printing figures.
# Figures are never judged here: docs/PERFORMANCE.md records them with their aims.
#   KAV_BENCH_BUILD_DIR  build tree (default build-bench)
#   KAV_JOBS             build parallelism (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KAV_BENCH_BUILD_DIR:-build-bench}
benches=(bench_log_decode bench_export bench_link browse_bench bench_flight perf_download)

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKAV_BUILD_BENCH=ON -DKAV_BUILD_TESTS=OFF >/dev/null
present=()
targets=$(cmake --build "$build" --target help)
for b in "${benches[@]}"; do
  if grep -qw -- "$b" <<<"$targets"; then present+=("$b"); else echo "(no target $b: skipped)"; fi
done
cmake --build "$build" -j"${KAV_JOBS:-2}" --target "${present[@]}"

export QT_QPA_PLATFORM=offscreen
status=0
for b in "${present[@]}"; do
  echo
  echo "== $b"
  "$build/bin/$b" || { echo "$b exited with an error"; status=1; }
done

# The full-memory conversion on the disk against a RAM disk (POSIX only).
if grep -qw bench_memory_image <<<"$targets" && [ -d /dev/shm ]; then
  echo
  echo "== convert on the disk and on a RAM disk"
  cmake --build "$build" -j"${KAV_JOBS:-2}" --target kav-skytraq-cli bench_memory_image >/dev/null
  bash bench/export/convert_disk_bench.sh "$build" 7 || status=1
fi

# The download station: one emulated logger alone against four at once (POSIX only).
if grep -qw gt730-sim <<<"$targets" && grep -qw bench_memory_image <<<"$targets"; then
  echo
  echo "== station"
  cmake --build "$build" -j"${KAV_JOBS:-2}" --target kav-skytraq-cli gt730-sim bench_memory_image \
    >/dev/null
  image=$(mktemp "${TMPDIR:-/tmp}/kav-station-image.XXXXXX")
  "$build/bin/bench_memory_image" "$image.full" >/dev/null
  head -c $((200 * 4096)) "$image.full" >"$image"
  bash bench/station/station_bench.sh "$build" "$image" 4 fast || status=1
  rm -f "$image" "$image.full" "$image.full.ini"
fi
exit "$status"
