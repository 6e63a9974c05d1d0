#!/usr/bin/env bash
# Particle effects after a fixed number of frames, compared with a golden;
# running and finished effects; the "part==NULL" paths.
. "$(dirname "$0")/../lib.sh"
cp -r "$GAME" "$WORK/game"
GAME="$WORK/game"
mkdir -p "$GAME/data/gfx"
"$MKIMAGE" "$GAME/data/gfx/disc.png" ring 16 16
"$MKIMAGE" "$GAME/data/gfx/bar.png" gradient 4 12
"$MKIMAGE" "$GAME/data/gfx/ring.png" ring 9 9
printf 'scene' >"$GAME/data/scenario.txt"
run_game --frames 92 --shot "28:$WORK/particles.png"
expect_status 0
expect_line "3	generator file alone: nil"
expect_line "3	started: userdata userdata"
expect_order "3	fountain running: true" "3	dark after kill: false" "3	fountain still running: true" \
  "3	fountain at the end: false"
expect_image "$WORK/particles.png" particles

use_variant '(app_name "Particles") (dev_mode 1)'
printf 'errors' >"$GAME/data/scenario.txt"
run_game --frames 2
expect_status 0
for call in released nil bitmap number missing; do expect_line "3	$call: false"; done
expect_count "2	part==NULL" 4
expect_line "2	Parcon Error: Cannot find file fx/missing.eff!"
finish
