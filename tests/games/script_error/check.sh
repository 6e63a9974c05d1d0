#!/usr/bin/env bash
# A runtime error in update outside developer mode: the exact report, the
# error separator once, then shutdown (destroy) and the crash reporter.
. "$(dirname "$0")/../lib.sh"
run_game --frames 10
expect_status 0
expect_order "3	update 2" \
  "2	ERROR ------------------------------------------------" \
  "2	LUA ERROR [2 - Runtime error],  [C source]: LuaUpdate <lua.cpp:LINE>" \
  "2	[string \"init.lua\"]:9: attempt to index local 'broken' (a nil value)" \
  "2	stack traceback:" \
  "2	LUA ERROR: Runtime error" \
  "3	destroy"
expect_count "2	ERROR ------------------------------------------------" 1
expect_no_line "3	render 2"
expect_no_line "3	update 3"
grep -q "^3	Crash reporter" "$OUT" || fail "crash reporter not started"
finish
