#!/usr/bin/env bash
# confirm_exit: the close button asks the script's exit and the window stays
# until the script calls sys_exit; a session end closes without asking.
. "$(dirname "$0")/../lib.sh"
run_game --frames 20 --events "$GAME/events.txt"
expect_status 0
expect_order "3	exit asked at 1" "3	leaving" "3	destroy at 4"

run_game --frames 20 --events "$GAME/events_session.txt"
expect_status 0
expect_no_line "3	exit asked at 1"
expect_line "3	destroy at 1"
finish
