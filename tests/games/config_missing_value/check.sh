#!/usr/bin/env bash
# A config.txt entry that names a key without its value: the parser's error
# is logged with the file, the line and the key, the script never runs, and
# the start ends through the fatal path.
. "$(dirname "$0")/../lib.sh"
run_game --frames 5
expect_status 0
expect_order "2	Parcon Error: More data expected! Last read:" \
  "2	File: $(cd "$GAME" && pwd)/config.txt" \
  "2	Value: full_screen" \
  "2	List name: full_screen" \
  "2	Line: 3"
grep -q "boot ran" "$OUT" && fail "the script ran after a broken configuration"
grep -q "^3	Crash reporter" "$OUT" || fail "crash reporter not started"
finish
