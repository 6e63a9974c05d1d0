#!/usr/bin/env bash
# fps_limit 30 with 0.01 s per pass: a frame every fourth pass, each with the
# accumulated 0.04 s (the first pass only restarts the timer).
. "$(dirname "$0")/../lib.sh"
run_game --frames 13 --dt 0.01
expect_status 0
expect_order "3	update 1 dt 0.0400" "3	update 2 dt 0.0400" "3	update 3 dt 0.0400"
expect_no_line "3	update 4 dt 0.0400"
finish
