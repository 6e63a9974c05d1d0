#!/usr/bin/env bash
# tarn-pack --version 1 stores its entries, so sizes are right before an
# entry is opened; asking for bzip2 in version 1 is refused with a message.
. "$(dirname "$0")/../lib.sh"
PACK="$(dirname "$HEADLESS")/tarn-pack"
mkdir -p "$WORK/game/src"
cp "$GAME/config.txt" "$WORK/game/"
cp "$GAME/src/init.lua" "$WORK/game/src/"
GAME="$WORK/game"
for i in $(seq 200); do printf 'compress me '; done > "$GAME/src/repeated.txt"
"$PACK" create "$GAME/data.pak" "$GAME/src" --version 1 > /dev/null || fail "tarn-pack failed"
"$PACK" list "$GAME/data.pak" | grep -q '^file .* stored *repeated.txt$' || fail "version 1 did not store repeated.txt"
status=0
"$PACK" create "$WORK/refused.pak" "$GAME/src" --version 1 --bzip2 > /dev/null 2> "$WORK/refused.txt" || status=$?
[ "$status" -eq 2 ] || fail "--bzip2 with --version 1: exit status $status, expected 2"
grep -q "^tarn-pack: --bzip2 cannot be used with --version 1" "$WORK/refused.txt" || fail "no clear refusal message"
[ -e "$WORK/refused.pak" ] && fail "a refused archive was written"
rm -rf "$GAME/src"
run_game --frames 2
expect_status 0
expect_line "3	search: repeated.txt=2400"
expect_line "3	same: true"
finish
