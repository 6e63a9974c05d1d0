#!/usr/bin/env bash
# Out-of-range script numbers (1e12, -5, NaN, 2^31 - 1) reach the engine's
# integers only through the checked conversion: sizes and resolutions beyond
# the largest texture are refused with a warning, crops and message ids clamp,
# and the game goes on. Optional numbers given as numeric strings count as
# numbers: the frame drawn with strings equals the frame drawn with numbers.
. "$(dirname "$0")/../lib.sh"
cp -r "$GAME" "$WORK/game"
GAME="$WORK/game"
mkdir -p "$GAME/data/gfx"
"$MKIMAGE" "$GAME/data/gfx/tile.png" checker 64 32
run_game --frames 6 --shot "3:$WORK/a.png" --shot "4:$WORK/b.png"
expect_status 0
for size in -640x480 320x0 0x240 2147483647x240 320x2147483647 -2147483648x-5; do
  expect_line "1	gfx_resolution - $size refused, each side must be 1 to 16384"
done
expect_line "3	CreateAppWindow - width=320 height=240 fullScreen=false"
for size in 1000000x1000000 2147483647x1 2147483647x8 8x-2147483648 -5x8 0x8; do
  expect_line "1	Can't create texture: $size, each side must be 1 to 16384"
done
for case in "1e6: nil" "huge: nil" "1e12: nil" "-1e12: nil" "-5: nil" "nan: nil" "strings: 64 32 32 16"; do
  expect_line "3	create $case"
done
for case in "numbers: 16 8" "strings: 16 8" "1e12: 0 32" "-1e12: 64 32" "nan: 64 32" "wide: 0 32" \
  "huge: 0 0"; do
  expect_line "3	crop $case 32 16"
done
expect_line "3	color strings: 7f00ff"
expect_line "3	color extremes: 00ff00"
expect_line "3	planes strings: 500 1000"
expect_line "3	planes nan: 1 200"
expect_order "box	TARN message [5]	id	retry" "box	TARN message [3]	id	retry" \
  "box	TARN message [2147483647]	id	retry" "box	TARN message	id	ok" "box	TARN message	id	ok"
expect_line "3	still running"
grep -q '^2	' "$OUT" && fail "an error was logged"
"$IMGCMP" "$WORK/a.png" "$WORK/b.png" 0 || fail "numeric strings draw differently from numbers"
finish
