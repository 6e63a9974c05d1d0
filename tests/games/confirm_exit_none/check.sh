#!/usr/bin/env bash
# confirm_exit without a global exit: the close button ends the game at once.
. "$(dirname "$0")/../lib.sh"
run_game --frames 20 --events "$GAME/events.txt"
expect_status 0
expect_line "3	destroy at 1"
finish
