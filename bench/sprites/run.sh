#!/usr/bin/env bash
# Sprite benchmark: runs the sprite game headless on the software renderer
# and reports sprites drawn per second (wall clock) for each case.
set -euo pipefail
build="$1"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
frames=${SPRITE_BENCH_FRAMES:-60}
run_case() {
  local label="$1" size="$2" textures="$3" count=1000
  rm -rf "$work/game" && cp -r "$here" "$work/game"
  "$build/tests/tarn-mkimage" "$work/game/data/sprite_a.png" ring "$size" "$size"
  "$build/tests/tarn-mkimage" "$work/game/data/sprite_b.png" checker "$size" "$size"
  printf 'COUNT = %d\nTEXTURES = %d\n' "$count" "$textures" > "$work/game/data/params.lua"
  local start end
  start=$(date +%s.%N)
  "$build/tarn-headless" --game "$work/game" --profile "$work/profile" --frames $((frames + 1)) > "$work/out.txt"
  end=$(date +%s.%N)
  grep -q "^2	" "$work/out.txt" && { echo "sprite bench: the game failed"; cat "$work/out.txt"; exit 1; }
  awk -v l="$label" -v s="$start" -v e="$end" -v n=$((frames * count)) \
    'BEGIN { printf "  %-34s %10.0f sprites/s\n", l, n / (e - s) }'
}
echo "sprite scene, 1000 alpha-blended rotated tinted sprites per frame, 800x600, software renderer"
run_case "64x64, one texture" 64 1
run_case "16x16, one texture" 16 1
run_case "64x64, two textures alternating" 64 2
