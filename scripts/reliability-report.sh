#!/usr/bin/env bash
# Runs the fault matrix (emulator fault switches through the real serial stack) and writes its
# table to docs/RELIABILITY.md. Fails when a scenario fails.
#   KAV_BUILD_DIR  build tree (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KAV_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"${KAV_JOBS:-2}" --target reliability_e2e_tests
out=$(mktemp)
status=0
QT_QPA_PLATFORM=offscreen "$build/tests/reliability_e2e_tests" >"$out" 2>&1 || status=$?

{
  echo "# Reliability"
  echo
  echo "Whole downloads of the emulator's sample day (17 sectors, 8560 fixes, 4 tracks) through"
  echo "the real serial stack, one emulator fault switch or user interruption at a time. Every"
  echo "scenario also checks that each stored sector is byte-for-byte the logger's, that the fixes"
  echo "and tracks kept are exactly those the stored sectors give, and that the run ends within 20 s."
  echo
  echo "Produced by \`scripts/reliability-report.sh\` (test \`reliability_e2e_tests\`,"
  echo "tests/e2e/reliability/) on $(date -u +%Y-%m-%d)."
  echo
  echo "| scenario | fault | what the user sees | what is kept | result |"
  echo "|---|---|---|---|---|"
  grep '^RELIABILITY|' "$out" | while IFS='|' read -r _ name what seen kept result; do
    echo "| $name | $what | ${seen//|/\\|} | $kept | $result |"
  done
  echo
  echo "$(grep -c '^RELIABILITY|.*|pass$' "$out") of $(grep -c '^RELIABILITY|' "$out") scenarios pass."
} >docs/RELIABILITY.md
cat docs/RELIABILITY.md
[ "$status" -eq 0 ] || { grep -E 'Failure|FAILED' -A3 "$out" | head -40; }
rm -f "$out"
exit "$status"
