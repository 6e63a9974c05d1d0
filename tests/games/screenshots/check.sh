#!/usr/bin/env bash
# Screenshots and texture dumps written in the write folder, compared with goldens.
. "$(dirname "$0")/../lib.sh"
cp -r "$GAME" "$WORK/game"
GAME="$WORK/game"
mkdir -p "$GAME/data/gfx"
"$MKIMAGE" "$GAME/data/gfx/ring.png" ring 32 32
printf '2 keydown f12\n3 keyup f12\n' > "$WORK/events.txt"
run_game --frames 8 --events "$WORK/events.txt"
expect_status 0
DIR="$PROFILE/Saved Games/Veskor Games/Shots"
for f in screenshots/screen000.bmp screenshots/screen001.bmp screenshots/screen002.bmp shots/whole.tga \
  tex/temp_tex000.tga; do
  [ -s "$DIR/$f" ] || fail "no $f"
done
[ -e "$DIR/shots/bad.bmp" ] && fail "a bad rectangle wrote a file"
[ -e "$PROFILE/Saved Games/Veskor Games/outside.png" ] && fail "a screenshot left the write folder"
expect_order "2	Bad source rect {left=100, top=100, rigth=50, bottom=50}!" "2	 <shots/bad.bmp>"
expect_line "2	Proba zapisania pliku w niedozwolonym katalogu"  # the sandbox refusal is fatal: the run ends
expect_line '3	TakeScreenshot: "shots/part.png", srcRect={10, 20, 90, 70}, destSize={80, 50}'
expect_line '3	TakeScreenshot: "shots/small.png", srcRect={0, 0, 160, 120}, destSize={80, 60}'
expect_order '3	TakeScreenshot: "screenshots/screen000.bmp", srcRect={0, 0, 160, 120}, destSize={160, 120}' \
  '3	TakeScreenshot: "screenshots/screen002.bmp", srcRect={0, 0, 160, 120}, destSize={160, 120}'
expect_image "$DIR/shots/part.png" screenshot_part
expect_image "$DIR/shots/small.png" screenshot_small
expect_image "$DIR/shots/ring.png" screenshot_ring
finish
