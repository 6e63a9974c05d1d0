#!/usr/bin/env bash
# file_load_lua: a missing file with fatal false is only an information line;
# a broken chunk with fatal false is a warning (no error view); names are
# found whatever their case and separators.
. "$(dirname "$0")/../lib.sh"
run_game --frames 2
expect_status 0
expect_order "3	Can't find lua file nothing/here.lua" "3	missing: false" \
  "1	LUA ERROR [3 - Syntax error during pre-compilation] during loading file: \"broken.lua\"" \
  "1	[string \"broken.lua\"]:1: '=' expected near 'is'" \
  "3	broken: false" "3	good: true" "3	good value 42"
grep -q "^2	" "$OUT" && fail "an error was logged"
finish
