#!/usr/bin/env bash
# Precompiled (binary) Lua chunks are refused by every loader: loadstring,
# load, file_load_lua, loadfile, dofile and init.lua itself, with a clear
# error; source text loads as before (loadfile and dofile read the game's
# files).
. "$(dirname "$0")/../lib.sh"
REFUSED="precompiled chunk refused: only Lua source text can be loaded"
run_game --frames 2
expect_status 0
expect_order "3	loadstring: nil | $REFUSED" \
  "3	loadstring named: nil | named: $REFUSED" \
  "3	load: nil | (load): $REFUSED" \
  "1	LUA ERROR [3 - Syntax error during pre-compilation] during loading file: \"payload.luac\"" \
  "1	$REFUSED" \
  "3	file_load_lua: boolean | nil" \
  "3	loadfile: nil | payload.luac: $REFUSED" \
  "3	dofile: boolean | payload.luac: $REFUSED" \
  "3	source: 2 5 5"
expect_no_line "3	bytecode ran"
grep -q "^2	" "$OUT" && fail "an error was logged"

# A binary init.lua is a fatal load error.
run_game --frames 2
expect_order "2	LUA ERROR [3 - Syntax error during pre-compilation] during loading file: \"init.lua\"" \
  "2	$REFUSED" "2	LUA ERROR: Syntax error during pre-compilation"
expect_no_line "3	binary init ran"
finish
