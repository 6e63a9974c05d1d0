#!/usr/bin/env bash
# Collision masks from generated images: point tests, channels, shared data,
# the "pMask==NULL" paths, and the report of a mask left at shutdown.
. "$(dirname "$0")/../lib.sh"
cp -r "$GAME" "$WORK/game"
GAME="$WORK/game"
mkdir -p "$GAME/data/gfx"
"$MKIMAGE" "$GAME/data/gfx/ring.png" ring 16 16
for channel in alpha blue green none Blue; do
  "$MKIMAGE" "$GAME/data/gfx/checker_$channel.png" checker 32 16
done
scenario() { printf '%s\n' "$1" >"$GAME/data/scenario.txt"; }
BOX="box	Not released collision mask(s)	Some collision masks are not released, for more information read a log file.	ok"
LEFT="3	Collision mask is not released: gfx/ring.png [ref: 1]"

check_points() {
  run_game --frames 2
  expect_status 0
  expect_line "3	ring size: 16 16"
  expect_line "3	centre: true"
  expect_line "3	corner: false"
  expect_line "3	beside: false"
  expect_line "3	beside scaled: true"
  expect_line "3	numeric strings: true"
  expect_line "3	not a number: false"
  expect_line "3	infinite: false"
  expect_line "3	scale 0: false"
  expect_line "3	pivot 0: true false"
  expect_line "3	turned: true true"
  expect_line "3	still held: true"
  expect_line "3	channel alpha: 1 1 1 1"
  expect_line "3	channel blue: 1 1 0 0"   # the third byte: red
  expect_line "3	channel green: 1 0 1 1"
  expect_line "3	channel none: 1 0 1 0"   # the first byte: blue
  expect_line "3	channel Blue: 1 0 1 0"   # names are case sensitive
  expect_line "3	second channel: 1 0 1 0" # the first load's bits
  expect_order "3	destroy" "$LEFT" "$BOX"
  expect_count "$BOX" 1
  expect_no_line "2	pMask==NULL"
}

# The box shows in and outside developer mode.
scenario points
check_points
use_variant '(app_name "Masks")
(dev_mode 1)'
check_points

# Wrong, released and missing masks in developer mode: each call stops with a
# script error; the error view then keeps the box away, the log line stays.
scenario errors
run_game --frames 2
expect_status 0
for line in "bitmap as mask: false" "released mask: false" "released twice: false" "a number: false" \
  "missing file: false" "missing again: false" "ring after errors: 16 16"; do
  expect_line "3	$line"
done
expect_count "2	pMask==NULL" 6
expect_count "2	Error loading file" 1  # a failed path is not tried again
expect_line "$LEFT"
expect_no_line "$BOX"

# A nil mask outside developer mode ends the game.
use_variant '(app_name "Masks")'
scenario nil
run_game --frames 2
expect_status 0
expect_order "3	before nil" "2	pMask==NULL" "$LEFT"
expect_no_line "3	after nil"
expect_no_line "$BOX"
finish
