#!/usr/bin/env bash
# Runs the fault matrix (emulator fault switches and user actions through the real serial stack,
# in the window program and in the command line) and writes its table to docs/RELIABILITY.md.
# Fails when a row fails.
#   KAV_BUILD_DIR  build tree (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KAV_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"${KAV_JOBS:-2}" --target reliability_window_tests reliability_cli_tests
out=$(mktemp)
status=0
for test in reliability_window_tests reliability_cli_tests; do
  QT_QPA_PLATFORM=offscreen "$build/tests/$test" >>"$out" 2>&1 || status=$?
done

{
  echo "# Reliability"
  echo
  echo "Whole downloads of the emulator's sample day (17 sectors, 8560 fixes, 4 tracks) through"
  echo "the real serial stack, one emulator fault switch or user action at a time, in both front"
  echo "ends: the window program (its main window, message boxes answered by the test) and"
  echo "\`kav-skytraq-cli download\` run as a separate process. Every row checks the same three"
  echo "things: each sector kept (the window's session, the command line's raw copy) is"
  echo "byte-for-byte the logger's; the tracks are those the kept sectors give, the one whose end"
  echo "was not read marked in the table or named \`..._incomplete.gac\`; and what the user is told"
  echo "(message boxes and status bar, or standard error and exit status) is the truth. A row also"
  echo "fails when the run does not end within 30 s."
  echo
  echo "Produced by \`scripts/reliability-report.sh\` (tests \`reliability_window_tests\` and"
  echo "\`reliability_cli_tests\`, tests/e2e/reliability/) on $(date -u +%Y-%m-%d)."
  echo
  echo "| front end | row | fault or action | what the user is told | what is kept | result |"
  echo "|---|---|---|---|---|---|"
  grep '^RELIABILITY|' "$out" | while IFS='|' read -r _ front name what seen kept result; do
    echo "| $front | $name | $what | $seen | $kept | $result |"
  done
  echo
  echo "$(grep -c '^RELIABILITY|.*|pass$' "$out") of $(grep -c '^RELIABILITY|' "$out") rows pass."
} >docs/RELIABILITY.md
cat docs/RELIABILITY.md
[ "$status" -eq 0 ] || { grep -E 'Failure|FAILED' -A3 "$out" | head -40; }
rm -f "$out"
exit "$status"
