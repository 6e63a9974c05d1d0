// The parts of text layout shared by the line walk and the alignment pass:
// the lines a layout made, and the block they are aligned in.
#pragma once

#include "text/layout.h"

namespace tarn::text {

// The most lines one layout makes.
inline constexpr int kMaxLines = 1000;

struct LineSpan {
  int end = 0;      // one past the line's last item; the line starts where the one before ends
  float width = 0;  // the right edge of its last glyph, 0 without glyphs
};

struct Lines {
  LineSpan line[kMaxLines];
  int count = 0;
};

// The block the lines are aligned in, font pixels.
struct Block {
  float width = 0, height = 0;
  float textHeight = 0;
};

// Adds the defaults: left and top when no text alignment of that axis is
// given, and the block alignment of each axis copied from the text alignment
// when none is given.
int CompleteAlignment(int flags);

// Shifts the items of every line by the completed flags, relative to the anchor.
void AlignItems(int flags, const Block& block, const Lines& lines, GlyphItem* items);

}  // namespace tarn::text
