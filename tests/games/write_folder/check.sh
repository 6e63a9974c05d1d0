#!/usr/bin/env bash
# The write folder follows publisher_dir and app_dir; create_log writes
# log.txt there afresh every run; print output stays out of the file.
. "$(dirname "$0")/../lib.sh"
folder="$PROFILE/Saved Games/Test Publisher/Folder Game"
run_game --frames 3
expect_status 0
expect_line "0	printed, not in the log file"
[ -f "$folder/log.txt" ] || fail "no log.txt in $folder"
head -4 "$folder/log.txt" > "$WORK/head.txt"
printf 'Config loaded\nTarn engine version: 1.4.7 (Aug 12 2010)\nPlatform: linux\nOpenGL: false\n' > "$WORK/want.txt"
cmp -s "$WORK/head.txt" "$WORK/want.txt" || fail "log.txt does not start with the configuration lines"
grep -qx "boot: Shown Name" "$folder/log.txt" || fail "script log line missing from log.txt"
grep -q "printed" "$folder/log.txt" && fail "print reached log.txt"
run_game --frames 2
[ "$(grep -c '^Config loaded$' "$folder/log.txt")" -eq 1 ] || fail "log.txt was not started afresh"
finish
