#!/usr/bin/env bash
# The main job: builds the tool, starts the built-in emulated logger on a pseudo-terminal and
# downloads its memory over the real serial stack, writing every track to ./tracks.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAV_BUILD_TESTS=OFF -DKAV_BUILD_BENCH=OFF
cmake --build build -j"$(nproc)"
out=${1:-tracks}
if [ -x build/bin/kav-skytraq-cli ]; then
  exec build/bin/kav-skytraq-cli demo --out "$out"
fi
# Without the command-line front end, start the window program (offscreen when no display).
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
exec build/bin/kav-skytraq
