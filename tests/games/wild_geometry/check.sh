#!/usr/bin/env bash
# Geometry that is not finite or lies absurdly far away is dropped (counted as
# skipped) in both projections: the game runs on and its frames are those of
# the same game without it.
. "$(dirname "$0")/../lib.sh"
cp -r "$GAME" "$WORK/game"
GAME="$WORK/game"
for projection in 1 0; do
  printf '(app_name "Wild Geometry")\n(perspective %s)\n' "$projection" > "$GAME/config.txt"
  rm -f "$GAME/data/hostile"
  run_game --frames 4 --shot "4:$WORK/calm.png"
  expect_status 0
  calm=$(grep -m1 "DrawImage - drawn:" "$OUT")
  echo x > "$GAME/data/hostile"
  run_game --frames 4 --shot "4:$WORK/hostile.png"
  expect_status 0
  expect_line "$(printf '3\tDrawImage - drawn: 15, skipped: 30 (66.7%%)')"
  [ "$calm" = "$(printf '3\tDrawImage - drawn: 15, skipped: 0 ( 0.0%%)')" ] || fail "without the wild quads: $calm"
  "$IMGCMP" "$WORK/hostile.png" "$WORK/calm.png" 0 || fail "perspective $projection: the wild quads changed the image"
done
expect_image "$WORK/calm.png" wild_geometry
finish
