#!/usr/bin/env bash
# The same two textures kept in full, in 16-bit formats and compressed
# (configuration keys tex_16bit and tex_force_dxt): images and memory counts.
. "$(dirname "$0")/../lib.sh"
cp -r "$GAME" "$WORK/game"
GAME="$WORK/game"
"$MKIMAGE" "$GAME/data/gradient.tga" gradient 64 64  # no alpha channel
"$MKIMAGE" "$GAME/data/ring.png" ring 64 64
config="$(cat "$GAME/config.txt")"
# The main render target (160 x 80, no alpha) is counted with the textures.
target=$((160 * 80 * 3))
for variant in full 16bit dxt; do
  case "$variant" in
    full) extra="" bytes=$((target + 64 * 64 * 3 + 64 * 64 * 4)) ;;
    16bit) extra="(tex_16bit 1)" bytes=$((target + 64 * 64 * 2 * 2)) ;;
    dxt) extra="(tex_force_dxt 1)" bytes=$((target + 64 * 64 / 2 + 64 * 64)) ;;
  esac
  printf '%s\n%s\n' "$config" "$extra" > "$GAME/config.txt"
  run_game --frames 3 --shot "3:$WORK/$variant.png"
  expect_status 0
  expect_line "3	texture bytes $bytes"
  expect_image "$WORK/$variant.png" "texture_storage_$variant"
done
finish
