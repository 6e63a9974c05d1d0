#!/usr/bin/env bash
# sys_exit inside update: the rest of update runs, the frame is not drawn and
# no further update is called; shutdown runs once.
. "$(dirname "$0")/../lib.sh"
run_game --frames 10
expect_status 0
expect_order "3	update 1" "3	render 1" "3	update 2" "3	after sys_exit" "3	destroy"
expect_no_line "3	render 2"
expect_no_line "3	update 3"
expect_count "3	destroy" 1
finish
