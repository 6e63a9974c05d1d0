#!/usr/bin/env bash
# Effects and music played from an archive on the headless sound output.
. "$(dirname "$0")/../lib.sh"
PACK="$(dirname "$HEADLESS")/tarn-pack"
cp -r "$GAME" "$WORK/game"
GAME="$WORK/game"
mkdir -p "$GAME/src/sounds"
"$MKSOUND" "$GAME/src/sounds/beep.wav" wav 880 0.2 || fail "mksound failed"
"$MKSOUND" "$GAME/src/sounds/long.ogg" ogg 440 1.5 || fail "mksound failed"
"$MKSOUND" "$GAME/src/sounds/hum.flac" flac 220 0.3 || fail "mksound failed"
"$MKSOUND" "$GAME/src/sounds/tune.flac" flac 330 0.25 || fail "mksound failed"
"$PACK" create "$GAME/data.pak" "$GAME/src" --bzip2 > /dev/null || fail "tarn-pack failed"
rm -rf "$GAME/src"
run_game --frames 40
expect_status 0
expect_order "3	volumes 100 100" "3	beep playing false" "3	long playing true" "3	hum playing true" \
  "3	Hum playing false" "3	volume set 50"
expect_line "1	Music file not found <sounds/missing.ogg>"
expect_line "3	hum after stop false"
expect_count "3	music stopped sounds/TUNE.flac" 1  # taken back from its fade, ended by itself, told once under its first name
expect_count "3	music stopped sounds/long.ogg" 0  # stopped at once: no notice
expect_line "3	destroy"
finish
