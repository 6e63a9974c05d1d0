#!/usr/bin/env bash
# "re" typed into the console (in any case) asks for the display to be made
# again under the default renderer, on the same window; no script runs it.
. "$(dirname "$0")/../lib.sh"
run_game --frames 12 --events "$GAME/events.txt"
expect_status 0
expect_order "6	Re" "3	Recreate D3D" "3	recreateOnActivateApp" "3	recreated"
expect_count "3	Recreate D3D" 1
grep -q "LUA ERROR" "$OUT" && fail "the command ran as Lua"
finish
