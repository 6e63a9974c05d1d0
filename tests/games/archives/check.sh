#!/usr/bin/env bash
# A game whose scripts come from data.pak, with data_mod.pak (sorted after it)
# overriding a file; search over a folder and archives lists each name once.
. "$(dirname "$0")/../lib.sh"
PACK="$(dirname "$HEADLESS")/tarn-pack"
cp -r "$GAME" "$WORK/game"
GAME="$WORK/game"
"$PACK" create "$GAME/data.pak" "$GAME/src_base" --bzip2 > /dev/null || fail "tarn-pack failed"
"$PACK" create "$GAME/data_mod.pak" "$GAME/src_mod" --store --version 1 > /dev/null || fail "tarn-pack failed"
rm -rf "$GAME/src_base" "$GAME/src_mod"
run_game --frames 2
expect_status 0
expect_order "3	base init.lua" "3	extra from the mod archive" "3	message: from the mod archive" \
  "3	search: base.txt,message.txt" "3	exists pak: true" "3	now: saved"
finish
