#!/usr/bin/env bash
# "options" on the command line: the Advanced Options window instead of the
# game. Reset profiles answered No keeps everything, Yes empties the write
# folder (the last run's log and the system checks' marker too) and the
# window stays; View game data opens the folder; Exit ends the program with
# the last run's log untouched.
. "$(dirname "$0")/../lib.sh"
DIR="$PROFILE/Saved Games/Veskor Games/Trouble"
TEXT="These are advanced options for Trouble to help you troubleshoot problems. Please be careful when using them!\n\nReset profiles: Deletes your progress and player profiles and lets you start over. Sometimes this can fix game errors.\n\nView game data: Shows contents of the folder with player profiles and progress data."
WINDOW="box	Advanced Options	$TEXT"
QUESTION="box	Reset profiles	Do you really want to delete all player data?"
mkdir -p "$DIR/profiles"
printf 'old run\n' >"$DIR/log.txt"
printf 'progress' >"$DIR/save.dat"
printf 'player' >"$DIR/profiles/p1.txt"
: >"$DIR/_dxdiag"

run_game --frames 5 --answer "Reset profiles" --answer no -- options
expect_status 0
expect_order "$WINDOW	Reset profiles" "$QUESTION	no" "$WINDOW	Exit"
expect_no_line "3	Config loaded"
expect_no_line "3	game started"
[ "$(cat "$DIR/log.txt")" = "old run" ] || fail "the last run's log changed: $(cat "$DIR/log.txt")"
[ -e "$DIR/save.dat" ] && [ -e "$DIR/profiles/p1.txt" ] && [ -e "$DIR/_dxdiag" ] || fail "No deleted player data"

run_game --frames 5 --answer "reset profiles" --answer yes --answer "View game data" --answer exit -- x OPTIONS
expect_order "$WINDOW	Reset profiles" "$QUESTION	yes" "$WINDOW	View game data" "open	$DIR/" "$WINDOW	Exit"
[ -d "$DIR" ] || fail "the write folder itself was deleted"
[ -z "$(ls -A "$DIR")" ] || fail "left after Reset profiles: $(ls -A "$DIR" | tr '\n' ' ')"
expect_no_line "3	game started"

# Without the word the game starts as always.
run_game --frames 5
expect_line "3	game started"
finish
