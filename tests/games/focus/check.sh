#!/usr/bin/env bash
# Without the foreground the loop sleeps 50 ms a pass and redraws without
# updating; back in the foreground the timer restarts, so no long frame.
. "$(dirname "$0")/../lib.sh"
run_game --frames 10 --dt 0.01 --events "$GAME/events.txt"
expect_status 0
# Pass 1 restarts the timer (zero frame time, skipped); 2 updates; 3-5 sleep
# and redraw (0.01 + 0.05 each); 6 restarts the timer; 7 updates; 8 is
# minimized; 9 restarts; 10 updates.
expect_order "3	update 1 dt 0.0100 time 0.02 active true" "3	update 2 dt 0.0100 time 0.22 active true" \
  "3	update 3 dt 0.0100 time 0.30 active true"
grep -q "update 4" "$OUT" && fail "too many updates"
# Render: passes 2, 3, 4, 5, 7, 8 and 10.
expect_line "3	renders 7"
finish
