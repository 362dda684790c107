#!/usr/bin/env bash
# Times `convert` of a full memory (500 tracks) to GPX on the disk and on a RAM disk, in turn,
# and prints each run's wall seconds, the medians and their ratio: every file is flushed to the
# disk before the command ends, so the ratio is the price of durability.
# Usage: convert_disk_bench.sh BUILD_DIR [RUNS] [DISK_DIR] [RAM_DIR]
set -euo pipefail
build=$1 runs=${2:-7}
disk=$(mktemp -d "${3:-${TMPDIR:-/tmp}}/kav-convert-disk.XXXXXX")
ram=$(mktemp -d "${4:-/dev/shm}/kav-convert-ram.XXXXXX")
trap 'rm -rf "$disk" "$ram"' EXIT
"$build/bin/bench_memory_image" "$disk/full.raw" >/dev/null

# Prints the wall seconds of one conversion into a fresh folder under $1.
convert_into() {
  rm -rf "$1/out"
  local start end
  start=$(date +%s.%N)
  "$build/bin/kav-skytraq-cli" convert "$disk/full.raw" --out "$1/out" --format gpx --no-logbook >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

convert_into "$ram" >/dev/null  # warm-up
: >"$disk/times.disk"; : >"$ram/times.ram"
for _ in $(seq "$runs"); do
  convert_into "$disk" >>"$disk/times.disk"
  convert_into "$ram" >>"$ram/times.ram"
done
on_disk=$(median <"$disk/times.disk") on_ram=$(median <"$ram/times.ram")
echo "convert, 500 GPX files: disk $(paste -sd' ' "$disk/times.disk") s"
echo "convert, 500 GPX files: RAM disk $(paste -sd' ' "$ram/times.ram") s"
awk -v d="$on_disk" -v r="$on_ram" \
  'BEGIN { printf "median: disk %.3f s, RAM disk %.3f s, disk / RAM disk %.2f\n", d, r, d / r }'
