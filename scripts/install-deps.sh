#!/usr/bin/env bash
# Installs the Debian packages needed to build, test and run the project.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail
packages=(
  cmake g++ make pkg-config ccache
  qt6-base-dev qt6-serialport-dev libgl-dev libqt6sql6-sqlite
  libzip-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  dpkg-dev file help2man librsvg2-bin desktop-file-utils
  clang clang-14 libclang-rt-14-dev
)
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
