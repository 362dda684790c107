#!/usr/bin/env bash
# Times the download station: one emulated logger alone, then N at once (default 4), each
# serving the same memory image at its real line rate; prints the seconds from plugging in to
# the last logger's line. Usage: station_bench.sh BUILD_DIR IMAGE [N] [SPEED]
set -euo pipefail
build=$1 image=$2 count=${3:-4} speed=${4:-fast}
work=$(mktemp -d "${TMPDIR:-/tmp}/kav-station-bench.XXXXXX")
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
trap 'pkill -P $$ 2>/dev/null || true; rm -rf "$work"' EXIT

# Runs watch, plugs in n emulators at once and waits for their n lines; prints the seconds.
serve() {
  local n=$1 out=$work/out-$1
  "$build/bin/kav-skytraq-cli" watch --out "$out" --format gpx --speed "$speed" \
    >"$out.lines" 2>"$out.log" &
  local watch=$!
  sleep 1
  local start=$(date +%s.%N)
  for i in $(seq "$n"); do
    "$build/bin/gt730-sim" --image "$image" --serial "BENCH-$n-$i" >/dev/null 2>&1 &
  done
  while [ "$(wc -l <"$out.lines")" -lt "$n" ]; do sleep 0.1; done
  local end=$(date +%s.%N)
  kill -TERM "$watch"; wait "$watch" || true
  pkill -f "gt730-sim --image $image --serial BENCH-$n-" || true
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

sectors=$(( $(stat -c %s "$image") / 4096 ))
one=$(serve 1)
many=$(serve "$count")
printf 'station, %d sectors each at %s speed: 1 logger %.1f s, %d loggers at once %.1f s\n' \
  "$sectors" "$speed" "$one" "$count" "$many"
