#!/usr/bin/env bash
# Runs the fault matrix (emulator fault switches and user actions through the real serial stack,
# in the window program and in the command line; every wire fault against the conversation core
# at virtual time) and writes its table to docs/RELIABILITY.md.
# Fails when a row fails.
#   KAV_BUILD_DIR  build tree (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KAV_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"${KAV_JOBS:-2}" --target reliability_window_tests reliability_cli_tests \
  conversation_sim_test link_tests
out=$(mktemp)
core=$(mktemp)
status=0
for test in reliability_window_tests reliability_cli_tests; do
  QT_QPA_PLATFORM=offscreen "$build/tests/$test" >>"$out" 2>&1 || status=$?
done
"$build/tests/conversation_sim_test" --gtest_filter='SampleDay/FaultMatrix.*' >>"$out" 2>&1 ||
  status=$?
for test in conversation_sim_test link_tests; do
  "$build/tests/$test" --gtest_filter='Logger/Scenarios.*:Rows/CoreTable.*:Seeds.*' \
    >>"$core" 2>&1 || status=$?
done

{
  echo "# Reliability"
  echo
  echo "Whole downloads of the emulator's sample day (17 sectors, 8560 fixes, 4 tracks), one"
  echo "emulator fault switch or user action at a time."
  echo
  echo "Every wire fault runs against the conversation core at virtual time (front end"
  echo "\`core (virtual time)\`, \`SampleDay/FaultMatrix\` in tests/fuzz/conversation/): the"
  echo "emulator's logger model serves the sample day over a simulated line at the transfer speed the"
  echo "front ends ask for (Fast: 230400 baud, 8 sectors a request; Standard: 115200, one), and the"
  echo "row checks how the run ends and why (end kind, failure kind, command and sector), that the"
  echo "sectors kept are byte for byte the logger's first ones, the line rate the download used and"
  echo "that the logger is left at 115200. Its \"told\" column is the core's end in words."
  echo
  echo "Through the real serial stack, in both front ends (the window program: its main window,"
  echo "driven by clicks on its buttons and menu actions, message boxes answered by the test; and"
  echo "\`kav-skytraq-cli download\` run as a separate process), run the faults the port, its"
  echo "pacing, its real line rates or the loss of the device could break: a clean run through the"
  echo "rate switch (frame_bytes_in_data), a failure that must reach the user"
  echo "(sector_checksum_always), the device gone at either speed (device_vanishes,"
  echo "standard_device_vanishes), the faster rate refused (rate_refused), a rate left on"
  echo "the device by another program (logger_left_at_230400), text streaming before the output stop"
  echo "(continuous_output); and every user action (the window's own commands during a download,"
  echo "the command line's Ctrl+C). These rows check the same three things: each sector kept (the"
  echo "window's session, the command line's raw copy) is byte-for-byte the logger's; the tracks"
  echo "are those the kept sectors give, the one whose end was not read marked in the table or named"
  echo "\`..._incomplete.gac\`; and what the user is told (message boxes and status bar, or standard"
  echo "error and exit status) is the truth. A row also fails when the run does not end within 30 s."
  echo
  echo "Produced by \`scripts/reliability-report.sh\` (tests \`reliability_window_tests\`,"
  echo "\`reliability_cli_tests\` in tests/e2e/reliability/ and \`conversation_sim_test\`) on"
  echo "$(date -u +%Y-%m-%d)."
  echo
  echo "| front end | row | fault or action | what the user is told | what is kept | result |"
  echo "|---|---|---|---|---|---|"
  grep '^RELIABILITY|' "$out" | while IFS='|' read -r _ front name what seen kept result; do
    echo "| $front | $name | $what | $seen | $kept | $result |"
  done
  echo
  echo "$(grep -c '^RELIABILITY|.*|pass$' "$out") of $(grep -c '^RELIABILITY|' "$out") rows pass."
  echo
  echo "## The conversation core at virtual time"
  echo
  echo "The same kinds of fault, and the cases the pseudo-terminal cannot time, against the"
  echo "conversation core alone: \`CoreTable\` (tests/unit/link/conversation_test.cpp) feeds the core"
  echo "bytes and time by hand and checks what it writes after each input, how the run ends, the"
  echo "sectors kept and the line rate left; \`Scenarios\` and \`Seeds\`"
  echo "(tests/fuzz/conversation/) run the emulator's logger model and a faulty line at virtual"
  echo "time and check after every run that each kept sector is the logger's own, that the run"
  echo "ended exactly once, that the logger was left at 115200 when it can still hear, and that"
  echo "no run succeeds with a sector missing. The fuzz stage (scripts/fuzz.sh, target"
  echo "\`conversation\`) draws further seeds; a failing seed is printed and becomes a row of \`Seeds\`."
  echo
  echo "| row | result |"
  echo "|---|---|"
  grep -E '^\[ +(OK|FAILED) +\] [A-Za-z/]+\.' "$core" | sed -E 's/^\[ +(OK|FAILED) +\] ([^ ]+).*/| \2 | \1 |/' | sort -u
} >docs/RELIABILITY.md
rm -f "$core"
cat docs/RELIABILITY.md
[ "$status" -eq 0 ] || { grep -E 'Failure|FAILED' -A3 "$out" | head -40; }
rm -f "$out"
exit "$status"
