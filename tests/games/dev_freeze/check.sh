#!/usr/bin/env bash
# Developer mode: fatal errors do not end the game; it freezes with the error
# view: no more update or render, one separator, destroy at the end.
. "$(dirname "$0")/../lib.sh"
run_game --frames 8
expect_status 0
expect_order "3	update 2" "3	Can't find lua file missing.lua" \
  "2	ERROR ------------------------------------------------" \
  "2	Error loading file" "2	 <missing.lua>" "3	load returned false" \
  "2	LUA ERROR [2 - Runtime error],  [C source]: LuaUpdate <lua.cpp:LINE>" \
  "2	[string \"init.lua\"]:11: second failure" \
  "2	LUA ERROR: Runtime error" "3	destroy"
expect_count "2	ERROR ------------------------------------------------" 1
expect_no_line "3	render 2"
expect_no_line "3	update 3"
grep -q "^3	Crash reporter" "$OUT" && fail "crash reporter started in developer mode"

# Closing the window while the error view shows still shuts down normally.
run_game --frames 100 --events "$GAME/events.txt"
expect_status 0
expect_count "3	destroy" 1
finish
