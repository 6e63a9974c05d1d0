#!/usr/bin/env bash
# Tilde opens the console (the game pauses), typed characters edit the input
# line, Enter runs it in the game's state, tilde closes it again.
. "$(dirname "$0")/../lib.sh"
run_game --frames 17 --events "$GAME/events.txt" --shot "14:$WORK/open.png" --shot "17:$WORK/closed.png"
expect_status 0
expect_order "0	script output line" "3	update 1 y=0" "6	y=94" "3	update 2 y=94"
expect_no_line "3	update 3 y=0"
expect_image "$WORK/open.png" console_open
expect_image "$WORK/closed.png" console_closed
finish
