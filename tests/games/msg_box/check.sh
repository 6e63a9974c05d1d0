#!/usr/bin/env bash
# msg: plain OK boxes without a positive id; Abort/Retry/Ignore boxes with one,
# Ignore and Abort silence the id, Abort closes the game.
. "$(dirname "$0")/../lib.sh"
run_game --frames 20 --answer ok --answer ok --answer ok --answer ignore --answer retry \
  --answer junk --answer abort
expect_status 0
expect_order "box	TARN message	plain	ok" "box	TARN message	zero id	ok" "box	TARN message	negative id	ok" \
  "box	TARN message [7]	line one\nline two	ignore" "box	TARN message [8]	eight	retry" \
  "box	TARN message [8]	eight again	retry" "box	TARN message [9]	nine	abort" "3	init done" "3	destroy at 0"
expect_no_line "box	TARN message [7]	again seven	ignore"
grep -q "nine again" "$OUT" && fail "silenced id 9 showed again"
finish
