#!/usr/bin/env bash
# Sprite benchmark: runs the sprite game headless on the software renderer,
# then in a window on the OpenGL back end, and reports sprites drawn per
# second (wall clock, start-up excluded) for each case.
set -euo pipefail
build="$(cd "$1" && pwd)"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
frames=${SPRITE_BENCH_FRAMES:-120}
warmup=10
# Seconds (wall clock) for a run of $1 passes; stops the bench if the game fails.
timed_run() {
  local start end status=0
  printf 'COUNT = %d\nTEXTURES = %d\n' "$count" "$textures" > "$work/game/data/params.lua"
  if [ "$renderer" = opengl ]; then printf 'FRAMES = %d\n' "$1" >> "$work/game/data/params.lua"; fi
  start=$(date +%s.%N)
  if [ "$renderer" = opengl ]; then
    (cd "$work/game" && HOME="$work/home" SDL_AUDIODRIVER=dummy "$build/tarn" > "$work/out.txt" 2>&1) || status=$?
  else
    "$build/tarn-headless" --game "$work/game" --profile "$work/profile" --frames "$1" > "$work/out.txt" || status=$?
  fi
  end=$(date +%s.%N)
  if [ "$status" != 0 ] || grep -q "^2	" "$work/out.txt"; then
    echo "sprite bench: the game failed" >&2
    cat "$work/out.txt" >&2
    exit 1
  fi
  awk -v s="$start" -v e="$end" 'BEGIN { print e - s }'
}
prepare_game() {
  local size="$1"
  rm -rf "$work/game" && cp -r "$here" "$work/game"
  "$build/tests/tarn-mkimage" "$work/game/data/sprite_a.png" ring "$size" "$size"
  "$build/tests/tarn-mkimage" "$work/game/data/sprite_b.png" checker "$size" "$size"
  if [ "$renderer" = opengl ]; then echo '(opengl 1)' >> "$work/game/config.txt"; fi
}
run_case() {
  local label="$1" size="$2"
  textures="$3"
  # Steady drawing: the time of a short run (start-up, loading, first
  # frames) is taken from that of a long one.
  local short long
  prepare_game "$size"
  short=$(timed_run $((warmup + 1)))
  long=$(timed_run $((warmup + frames + 1)))
  [ -n "${SPRITE_BENCH_DEBUG:-}" ] && echo "short $short long $long" >&2
  if [ "$renderer" = opengl ] && ! grep -q "^OpenGL: true" "$work/out.txt"; then
    echo "sprite bench: the window did not run on OpenGL" >&2
    exit 1
  fi
  awk -v l="$label" -v s="$short" -v e="$long" -v n=$((frames * count)) \
    'BEGIN { printf "  %-34s %10.0f sprites/s\n", l, n / (e - s) }'
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
if [ ! -x /usr/bin/Xvfb ]; then
  echo "OpenGL figures skipped: Xvfb is not installed (./tarn setup installs it)"
  exit 0
fi
display=""
for n in $(seq 90 110); do
  [ -e "/tmp/.X$n-lock" ] || { display=$n; break; }
done
[ -n "$display" ] || { echo "OpenGL figures skipped: no free X display number"; exit 0; }
/usr/bin/Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2> /dev/null; wait $xvfb 2> /dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
export DISPLAY=":$display"
renderer=opengl
echo "the same scene in an 800x600 window, OpenGL back end on llvmpipe (Xvfb)"
all_cases
