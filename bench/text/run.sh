#!/usr/bin/env bash
# Text benchmark: 200 strings of 50 characters a frame in a 16-pixel font,
# each laid out and drawn every frame, coloured per line; once left-aligned
# without a box, once centred and wrapped in a 300-pixel box. Headless on the
# software renderer, then in a window on the OpenGL back end; reports glyphs
# drawn per second (wall clock, start-up excluded).
build="$(cd "$1" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../lib.sh"
frames=${TEXT_BENCH_FRAMES:-120}
strings=200
write_params() { printf 'STRINGS = %d\nWRAPPED = %s\n' "$strings" "$wrapped" > "$work/game/data/params.lua"; }
prepare_game() {
  rm -rf "$work/game" && cp -r "$here" "$work/game"
  mkdir -p "$work/game/data/fonts"
  cp "$build"/fonts/dejavu16.* "$work/game/data/fonts/"
  if [ "$renderer" = opengl ]; then echo '(opengl 1)' >> "$work/game/config.txt"; fi
}
all_cases() {
  prepare_game
  wrapped=false
  steady_rate "plain, left-aligned, no box" $((strings * 50)) glyphs/s
  wrapped=true
  steady_rate "centred, wrapped in a 300-pixel box" $((strings * 50)) glyphs/s
}
renderer=software
echo "text scene, 200 strings of 50 characters per frame, 16-pixel font, 800x600, software renderer (headless)"
all_cases
start_xvfb || exit 0
renderer=opengl
echo "the same scene in an 800x600 window, OpenGL back end on llvmpipe (Xvfb)"
all_cases
