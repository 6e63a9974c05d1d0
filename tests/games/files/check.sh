#!/usr/bin/env bash
# The script's file functions end to end, in developer mode so that the
# sandbox messages are logged and the game goes on.
. "$(dirname "$0")/../lib.sh"
run_game --frames 2
expect_status 0
expect_line "3	load: ab"
expect_line "3	empty: []"
expect_line "3	packed: true"
folder="$PROFILE/Saved Games/Veskor Games/Files"
[ "$(head -c 4 "$folder/packed.sav")" = "TEef" ] || fail "packed.sav is not an envelope"
[ "$(stat -c %s "$folder/packed.sav")" -lt 300 ] || fail "packed.sav is not compressed"
[ -s "$folder/empty.txt" ] && fail "an empty file was wrapped"
expect_line "3	exists sav: true"
expect_line "3	exists none: false"
expect_line "3	exists empty: false"
expect_line "3	exists no kinds: false"
expect_line "3	search: save.txt=5,table.txt=$(stat -c %s "$GAME/data/table.txt")"
expect_line "3	remove dir: false"
expect_line "3	remove dir recursive: true"
expect_line "3	dir gone: false"
expect_line "3	rename onto existing: false"
expect_line "3	rename: true"
expect_line "3	removed: 1"
expect_line "3	table: number 3 true 5 7.5"
expect_line "3	after blank: 1"
expect_line "3	strings: Hallo|eins/zwei|a/b"
expect_order "2	Proba utworzenia podkatalogu w niedozwolonym miejscu" "2	 <relative/folder>" "3	create relative: false"
expect_line "2	Proba zapisania pliku w niedozwolonym katalogu"
[ -e "$PROFILE/Saved Games/Veskor Games/escape.txt" ] && fail "a file was written outside the write folder"
finish
