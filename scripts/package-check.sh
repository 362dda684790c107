#!/usr/bin/env bash
# CI's package stage: builds the Debian package from a build tree (KAV_BUILD_DIR, default
# build), installs it with apt-get, runs the installed programs and checks the menu entry, icons
# and manual pages, then removes the package and checks that none of its files is left.
# Needs root: it installs the package on this machine, replacing (and at the end removing) a
# kav-skytraq installed before.
set -euo pipefail
cd "$(dirname "$0")/.."
export KAV_BUILD_DIR=${KAV_BUILD_DIR:-build}
deb=$(bash scripts/package.sh | tail -n 1)
version=$(dpkg-deb -f "$deb" Version)
echo "package: $deb"
dpkg-deb -f "$deb" Package Version Architecture Depends Recommends Section Maintainer

expected=(
  /usr/bin/kav-skytraq /usr/bin/kav-skytraq-cli /usr/bin/gt730-sim
  /usr/share/applications/kav-skytraq.desktop
  /usr/share/icons/hicolor/scalable/apps/kav-skytraq.svg
  /usr/share/man/man1/kav-skytraq.1.gz /usr/share/man/man1/kav-skytraq-cli.1.gz
  /usr/share/man/man1/gt730-sim.1.gz
  /usr/share/doc/kav-skytraq/serial-ports.md
  /usr/lib/udev/rules.d/70-kav-skytraq.rules
)
for size in 16 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/kav-skytraq.png")
done

fail() { echo "package check: $*" >&2; exit 1; }

remove() { DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq kav-skytraq; }
if dpkg-query -W -f='${Status}' kav-skytraq 2>/dev/null | grep -q 'ok installed'; then
  echo "removing the kav-skytraq installed before"
  remove
fi
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb"
trap 'remove >/dev/null 2>&1 || true' EXIT  # a failed check leaves nothing installed

for f in "${expected[@]}"; do [ -e "$f" ] || fail "missing after install: $f"; done
[ "$(/usr/bin/kav-skytraq-cli --version)" = "kav-skytraq-cli $version" ] || fail "kav-skytraq-cli --version"
[ "$(/usr/bin/gt730-sim --version)" = "gt730-sim $version" ] || fail "gt730-sim --version"
# Whole outputs are captured first: grep -q closing a pipe early would fail it under pipefail.
grep -q -- '--fault' <<<"$(/usr/bin/gt730-sim --help)" || fail "gt730-sim --help"
grep -q '^Commands:' <<<"$(/usr/bin/kav-skytraq-cli --help)" || fail "kav-skytraq-cli --help"
desktop-file-validate /usr/share/applications/kav-skytraq.desktop
for page in kav-skytraq kav-skytraq-cli gt730-sim; do
  grep -q '^\.SH DESCRIPTION' <<<"$(zcat "/usr/share/man/man1/$page.1.gz")" || fail "man page $page"
  if command -v man >/dev/null; then man -w "$page" >/dev/null || fail "man -w $page"; fi
done
# The window program starts and keeps running (timeout's 124) on the offscreen platform.
home=$(mktemp -d) status=0
HOME=$home QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/kav-skytraq || status=$?
rm -rf "$home"
[ "$status" -eq 124 ] || fail "kav-skytraq ended with status $status instead of running"

remove
trap - EXIT
for f in "${expected[@]}"; do [ ! -e "$f" ] || fail "left after remove: $f"; done
echo "package check passed: kav-skytraq $version installs, runs and removes cleanly"
