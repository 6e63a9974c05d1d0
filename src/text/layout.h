// Text layout: a UTF-16 text broken into lines inside an optional box,
// aligned line by line and as a block, as glyph items in font pixels
// relative to the anchor. Drawing (renderer.h) scales and places them.
#pragma once

#include <cstdint>
#include <string>

#include "text/font.h"

namespace tarn::text {

// The capacity of a layout in glyphs, and of a text in UTF-16 units.
inline constexpr int kMaxDrawChars = 4000;
inline constexpr int kMaxTextUnits = 3999;

enum Alignment {
  kAlignLeft = 0x1,
  kAlignRight = 0x2,
  kAlignCenter = 0x4,
  kAlignTop = 0x8,
  kAlignBottom = 0x10,
  kAlignVCenter = 0x20,
  kBlockLeft = 0x40,
  kBlockRight = 0x80,
  kBlockCenter = 0x100,
  kBlockTop = 0x200,
  kBlockBottom = 0x400,
  kBlockVCenter = 0x800,
  kConstWidth = 0x1000,
  kConstHeight = 0x2000,
};

struct GlyphItem {
  float x = 0;  // pen position, font pixels from the anchor
  float y = 0;  // baseline of the glyph's line
  uint32_t colour = 0;  // ARGB
  const Glyph* glyph = nullptr;
};

struct Layout {
  GlyphItem items[kMaxDrawChars];
  int count = 0;
  float textWidth = 0;   // unscaled
  float textHeight = 0;
  const Font* font = nullptr;  // the font the items point into
};

// Keywords separated by blanks, commas or semicolons, any case; unknown
// words are ignored. At most the first 59 characters count.
int ParseAlignment(const std::string& keywords);

// Lays the text out with the font at the scale (the box is given in scaled
// pixels; 0 or less: no limit). Fills 'out' and returns the item count.
int LayoutText(const Font& font, float scale, const std::u16string& text, float boxWidth, float boxHeight,
               int flags, uint32_t colour, Layout& out);

}  // namespace tarn::text
