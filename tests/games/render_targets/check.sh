#!/usr/bin/env bash
# Render targets: cleared, drawn into and drawn as bitmaps, compared with a
# golden; the script's results; the static render target shared at the game
# resolution, surviving gfx_release_bitmap and a rebuilt window.
. "$(dirname "$0")/../lib.sh"
run_game --frames 10 --shot "4:$WORK/targets.png"
expect_status 0
expect_line "0	nil outside 0 0"
expect_line "0	forged false false false"
expect_line "0	released false"
expect_line "0	update begin true"
expect_line "0	same handle false"
expect_line "0	begin after release false"
expect_line "0	again false"
expect_line "0	recreated false false"
expect_image "$WORK/targets.png" render_targets
grep -q "Texture is not released" "$OUT" && fail "a texture was left"

use_variant '(app_name "Targets") (static_rendertarget 1)'
run_game --frames 10 --shot "4:$WORK/static.png"
expect_status 0
expect_line "0	same handle true"
expect_line "0	begin after release true"
expect_line "0	back 0"
expect_line "0	again true"
expect_line "0	other size true"
expect_line "0	recreated true false"
expect_line "0	recreated begin true"
expect_image "$WORK/static.png" render_targets
grep -q "Texture is not released" "$OUT" && fail "a texture was left"
finish
