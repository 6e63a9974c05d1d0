#!/usr/bin/env bash
# Metatables that raise errors on the engine's own lookups of callbacks and
# writes into its tables: each is reported like a script error under the
# callback's context, never a Lua panic; Shutdown still runs to its end.
. "$(dirname "$0")/../lib.sh"
report() {
  expect_status 0
  expect_order "3	update 2" "2	LUA ERROR [2 - Runtime error],  [C source]: $1 <$2:LINE>" "2	$3" \
    "2	LUA ERROR: Runtime error" "3	Closing D3D... "
}
crash_reporter() { grep -q "^3	Crash reporter" "$OUT" || fail "no crash reporter"; }

# The optional destroy is missing, so the globals' __index runs at shutdown.
run_game --frames 4
report LuaDestroy lua.cpp "no global destroy"
expect_line "3	render 3"
crash_reporter

# Outside developer mode the first failed lookup ends the game: on_recreate
# after Alt+Enter, exit on closing with confirm_exit.
run_game --frames 10 --events "$GAME/events_recreate.txt"
report LuaRecreate lua.cpp "no global on_recreate"
expect_no_line "3	update 4"
crash_reporter
use_variant '(app_name "Global Lookup") (confirm_exit 1)'
run_game --frames 10 --events "$GAME/events_close.txt"
report LuaExit lua.cpp "no global exit"
expect_no_line "3	update 4"
crash_reporter

# In developer mode the game freezes after the report, and destroy's lookup
# fails again at shutdown.
use_variant '(app_name "Global Lookup") (dev_mode 1)'
run_game --frames 10 --events "$BASE_GAME/events_recreate.txt"
report LuaRecreate lua.cpp "no global on_recreate"
expect_order "2	no global on_recreate" "2	no global destroy" "3	Closing D3D... "
expect_no_line "3	update 4"

# The engine fills the mouse table before each update.
use_variant '(app_name "Mouse Table")'
run_game --frames 5
report FillMouseTable input.cpp "mouse is read-only"
expect_no_line "3	update 3"
crash_reporter
finish
