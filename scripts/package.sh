#!/usr/bin/env bash
# Builds the Debian package kav-skytraq_<version>_<arch>.deb and prints its path last.
#   KAV_BUILD_DIR   the build tree to use (default build-package); a configured tree is reused
#                   as it is, so CI packages the tree it has just tested
# Install the result with:  sudo apt-get install ./kav-skytraq_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KAV_BUILD_DIR:-build-package}
{
  bash scripts/install-deps.sh
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DKAV_BUILD_TESTS=OFF -DKAV_BUILD_BENCH=OFF
  fi
  cmake --build "$build" -j"$(nproc)"
  rm -f "$build"/kav-skytraq_*.deb
  cpack --config "$build/CPackConfig.cmake" -G DEB -B "$build"
} >&2
deb=$(ls "$build"/kav-skytraq_*.deb)
echo "$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")"
