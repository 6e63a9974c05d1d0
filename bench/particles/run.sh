#!/usr/bin/env bash
# Particle benchmark: ten added effects of about 1,000 and then 5,000 live
# particles each, updated and drawn every frame at 800x600 through
# gfx_particle_update and gfx_particle_render. Headless on the software
# renderer, then in a window on the OpenGL back end; reports particles
# updated and drawn per second (wall clock, start-up excluded).
build="$(cd "$1" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/../lib.sh"
frames=${PARTICLE_BENCH_FRAMES:-120}
write_params() { printf 'PER = %d\n' "$per" > "$work/game/data/params.lua"; }
prepare_game() {
  rm -rf "$work/game" && cp -r "$here" "$work/game"
  "$build/tests/tarn-mkimage" "$work/game/data/disc.png" ring 16 16
  if [ "$renderer" = opengl ]; then echo '(opengl 1)' >> "$work/game/config.txt"; fi
}
all_cases() {
  prepare_game
  per=1000
  steady_rate "10 effects x 1,000 live (10,000)" 10000 particles/s
  per=5000
  steady_rate "10 effects x 5,000 live (50,000)" 50000 particles/s
}
renderer=software
echo "particle scene, 10 added effects of 16x16 discs, 800x600, software renderer (headless)"
all_cases
start_xvfb || exit 0
renderer=opengl
echo "the same scene in an 800x600 window, OpenGL back end on llvmpipe (Xvfb)"
all_cases
