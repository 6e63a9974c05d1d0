#!/usr/bin/env bash
# Sprite benchmark: runs the sprite game headless on the software renderer
# and reports sprites drawn per second (wall clock, start-up excluded) for
# each case.
set -euo pipefail
build="$1"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
frames=${SPRITE_BENCH_FRAMES:-120}
warmup=10
# Seconds (wall clock) for a run of $1 passes; stops the bench if the game fails.
timed_run() {
  local start end
  start=$(date +%s.%N)
  "$build/tarn-headless" --game "$work/game" --profile "$work/profile" --frames "$1" > "$work/out.txt"
  end=$(date +%s.%N)
  if grep -q "^2	" "$work/out.txt"; then
    echo "sprite bench: the game failed" >&2
    cat "$work/out.txt" >&2
    exit 1
  fi
  awk -v s="$start" -v e="$end" 'BEGIN { print e - s }'
}
run_case() {
  local label="$1" size="$2" textures="$3" count=1000
  rm -rf "$work/game" && cp -r "$here" "$work/game"
  "$build/tests/tarn-mkimage" "$work/game/data/sprite_a.png" ring "$size" "$size"
  "$build/tests/tarn-mkimage" "$work/game/data/sprite_b.png" checker "$size" "$size"
  printf 'COUNT = %d\nTEXTURES = %d\n' "$count" "$textures" > "$work/game/data/params.lua"
  # Steady drawing: the time of a short run (start-up, loading, first
  # frames) is taken from that of a long one.
  local short long
  short=$(timed_run $((warmup + 1)))
  long=$(timed_run $((warmup + frames + 1)))
  awk -v l="$label" -v s="$short" -v e="$long" -v n=$((frames * count)) \
    'BEGIN { printf "  %-34s %10.0f sprites/s\n", l, n / (e - s) }'
}
echo "sprite scene, 1000 alpha-blended rotated tinted sprites per frame, 800x600, software renderer"
run_case "64x64, one texture" 64 1
run_case "16x16, one texture" 16 1
run_case "64x64, two textures alternating" 64 2
