// The debug font's glyphs laid out in one coverage image, for back ends that
// draw the font from a texture.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/debug_font_data.h"

namespace tarn::gfx {

struct DebugFontAtlas {
  int width = 0;   // a power of two
  int height = 0;  // a power of two
  std::vector<uint8_t> coverage;  // width x height bytes, top row first; 0 around the glyphs
  // Where each glyph's bitmap has its top-left corner, by glyph index.
  int cellX[kDebugGlyphCount] = {};
  int cellY[kDebugGlyphCount] = {};
};

// A grid of equal cells, one glyph in each, with an empty row and column
// between neighbours.
DebugFontAtlas BuildDebugFontAtlas();

}  // namespace tarn::gfx
