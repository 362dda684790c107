#!/usr/bin/env bash
# Installs what the build needs, builds everything and runs every test (unit, widget, end to end).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${KAV_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${KAV_CMAKE_ARGS:-}
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
