#!/usr/bin/env bash
# Sprite benchmark: runs the sprite game headless on the software renderer,
# then in a window on the OpenGL back end, and reports sprites drawn per
# second (wall clock, start-up excluded) for each case.
build="$(cd "$1" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../lib.sh"
frames=${SPRITE_BENCH_FRAMES:-120}
write_params() { printf 'COUNT = %d\nTEXTURES = %d\n' "$count" "$textures" > "$work/game/data/params.lua"; }
prepare_game() {
  local size="$1"
  rm -rf "$work/game" && cp -r "$here" "$work/game"
  "$build/tests/tarn-mkimage" "$work/game/data/sprite_a.png" ring "$size" "$size"
  "$build/tests/tarn-mkimage" "$work/game/data/sprite_b.png" checker "$size" "$size"
  if [ "$renderer" = opengl ]; then echo '(opengl 1)' >> "$work/game/config.txt"; fi
}
run_case() {
  textures="$3"
  prepare_game "$2"
  steady_rate "$1" "$count" sprites/s
}
all_cases() {
  run_case "64x64, one texture" 64 1
  run_case "16x16, one texture" 16 1
  run_case "64x64, two textures alternating" 64 2
}
count=1000
renderer=software
echo "sprite scene, 1000 alpha-blended rotated tinted sprites per frame, 800x600, software renderer (headless)"
all_cases

# The same game in a window on the OpenGL back end (Mesa's llvmpipe under a
# private Xvfb), for comparison.
start_xvfb || exit 0
renderer=opengl
echo "the same scene in an 800x600 window, OpenGL back end on llvmpipe (Xvfb)"
all_cases
