#!/usr/bin/env bash
# Sprites drawn from generated images; compared with a golden image.
. "$(dirname "$0")/../lib.sh"
cp -r "$GAME" "$WORK/game"
GAME="$WORK/game"
mkdir -p "$GAME/data/gfx"
"$MKIMAGE" "$GAME/data/gfx/sheet.png" checker 128 64
cp "$GAME/sheet.txt" "$GAME/data/gfx/sheet.txt"
"$MKIMAGE" "$GAME/data/gfx/pad.png" gradient 100 60
"$MKIMAGE" "$GAME/data/gfx/hero.png" gradient 64 64
"$MKIMAGE" "$GAME/data/gfx/hero_alpha.png" grey 64 64
run_game --frames 2 --shot "2:$WORK/sprites.png"
expect_status 0
expect_line "3	missing: nil"
expect_line "3	a: 64 32 32 16"
expect_line "3	pad main: 100 60 50 30"
expect_line "3	cropped away: 0 32 32 16"
expect_line "3	textures 4"  # three images and the main render target
expect_image "$WORK/sprites.png" sprites
finish
