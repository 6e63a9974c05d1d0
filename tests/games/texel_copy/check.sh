#!/usr/bin/env bash
# An unscaled sprite at a whole pixel reproduces its texels exactly: images
# with and without alpha, on targets of even and odd sizes, at a new place in
# each frame.
. "$(dirname "$0")/../lib.sh"
cp -r "$GAME" "$WORK/game"
GAME="$WORK/game"
script="$(cat "$GAME/data/init.lua")"
"$MKIMAGE" "$WORK/texels.png" noise 192 144
for size in "320 240" "401 333"; do
  set -- $size
  for file in photo.png photo.tga; do
    "$MKIMAGE" "$GAME/data/$file" noise 192 144
    printf '%s\n' "$script" | sed "s/^local W, H, FILE = .*/local W, H, FILE = $1, $2, \"$file\"/" > "$GAME/data/init.lua"
    run_game --frames 6 --shot "2:$WORK/2.png" --shot "3:$WORK/3.png" --shot "6:$WORK/6.png"
    expect_status 0
    for shot in 2 3 6; do
      # The shot after pass N shows the (N-1)th render (the first
      # pass only brings the game to the foreground, see the README).
      at=$(grep -m1 -P "^3\trender $((shot - 1)) at " "$OUT" | cut -d' ' -f4,5)
      [ -n "$at" ] || { fail "no position for the shot after pass $shot"; continue; }
      "$IMGCMP" "$WORK/$shot.png" "$WORK/texels.png" 0 $at || fail "$file on $1x$2, pass $shot at $at: not the texels"
    done
  done
done
finish
