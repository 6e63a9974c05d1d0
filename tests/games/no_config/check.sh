#!/usr/bin/env bash
# Without config.txt the start fails through the fatal path: the parser's
# message, shutdown without any script call, the crash reporter.
. "$(dirname "$0")/../lib.sh"
run_game --frames 5
expect_status 0
expect_order "2	ERROR ------------------------------------------------" \
  "2	Parcon Error: Cannot find file $(cd "$GAME" && pwd)/config.txt!"
grep -q "boot ran" "$OUT" && fail "the script ran without a configuration"
grep -q "^3	Crash reporter" "$OUT" || fail "crash reporter not started"
finish
