#!/usr/bin/env bash
# The script's destroy raising an error, the game ended by the frame limit
# (the quit message) and by closing the window, in and out of developer
# mode: the report, and Shutdown still runs to its end (the device is closed
# after destroy); outside developer mode the crash reporter follows.
. "$(dirname "$0")/../lib.sh"
EVENTS="$GAME/events.txt"
check_destroy_report() {
  expect_status 0
  expect_order "3	destroy runs $1" \
    "2	LUA ERROR [2 - Runtime error],  [C source]: LuaDestroy <lua.cpp:LINE>" \
    "2	[string \"init.lua\"]:15: destroy failed" \
    "2	LUA ERROR: Runtime error" \
    "3	Closing D3D... "
  expect_count "3	destroy runs $1" 1
}
for mode in "" "(dev_mode 1)"; do
  use_variant "(app_name \"Destroy Error\") $mode"
  for ending in frames close; do
    if [ "$ending" = frames ]; then run_game --frames 3; else run_game --frames 50 --events "$EVENTS"; fi
    check_destroy_report early
    expect_no_line "3	update 4"
    if [ -z "$mode" ]; then
      grep -q "^3	Crash reporter" "$OUT" || fail "no crash reporter after a failed destroy ($ending)"
    else
      grep -q "^3	Crash reporter" "$OUT" && fail "crash reporter in developer mode ($ending)"
    fi
  done
done

# A failing exit (confirm_exit) in developer mode freezes the game; the next
# close does not ask the frozen script again and ends the game at once.
use_variant '(app_name "Destroy Error") (dev_mode 1) (confirm_exit 1)'
run_game --frames 50 --events "$BASE_GAME/events_twice.txt"
expect_order "3	exit runs" "2	LUA ERROR [2 - Runtime error],  [C source]: LuaExit <lua.cpp:LINE>" \
  "2	[string \"init.lua\"]:11: exit failed"
expect_count "3	exit runs" 1
check_destroy_report early
finish
