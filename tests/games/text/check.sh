#!/usr/bin/env bash
# Text in baked fonts against a golden image; measuring; bad font files.
. "$(dirname "$0")/../lib.sh"
cp -r "$GAME" "$WORK/game"
GAME="$WORK/game"
mkdir -p "$GAME/data/fonts" "$GAME/data/bad"
cp "$FONTS"/dejavu16.* "$FONTS"/dejavu24* "$GAME/data/fonts/"
bad="$GAME/data/bad"
printf '<font size="10"/>\n<glyph p="0" x="0' > "$bad/truncated10.xml"
{ head -c 10000 /dev/zero | tr '\0' 'x'; printf '\n<glyph p="0"/>\n<char c="a" g="0"/>\n'; } > "$bad/long10.xml"
printf '<glyph p="0"/>\n<char c="a" g="99"/>\n' > "$bad/range10.xml"
awk 'BEGIN { print "<char c=\"a\" g=\"0\"/>"; for (i = 0; i < 1000000; i++) print "<glyph p=\"0\" a=\"1\"/>" }' \
  > "$bad/million10.xml"
run_game --frames 3 --shot "3:$WORK/text.png"
expect_status 0
expect_line "3	Loaded font: fonts/dejavu16.xml"
expect_line "3	Loaded font: bad/long10.xml"
expect_line "1	bad/long10.xml: 1 line(s) longer than 254 characters ignored"
expect_line "3	Can't load font: bad/truncated10.xml"
expect_line "3	Can't load font: bad/range10.xml"
expect_line "1	bad/million10.xml: 934465 glyph(s) beyond the first 65535 ignored"
expect_line "3	double width: true"
# The width of a one-line text without character spacing is the sum of its
# glyphs' advances, as the baked glyph file gives them.
hello=$(awk -F'"' '/^<glyph/ { adv[n++] = $8 } /^<char/ { g[$2] = $4 }
  END { split("H e l l o", c, " "); for (i in c) w += adv[g[c[i]]]; print w }' "$GAME/data/fonts/dejavu16.xml")
[ -n "$hello" ] && [ "$hello" -gt 20 ] || fail "no width read from the glyph file: $hello"
expect_line "3	Hello width: $hello"
expect_line "3	one line high: 16"
expect_line "3	trailing line feed high: 16"
expect_line "1	Font not found: missing"
expect_line "3	no text: 0 0"
expect_line "3	two lines taller: true"
expect_line "3	wrapped taller than two: true"
expect_line "3	scaled: true"
expect_line "3	polys 246"
expect_image "$WORK/text.png" text
finish
