#include "graphics/debug_font_atlas.h"

#include <algorithm>
#include <cstring>

namespace tarn::gfx {

namespace {

constexpr int kColumns = 16;

int PowerOfTwoAtLeast(int n) {
  int side = 1;
  while (side < n) side *= 2;
  return side;
}

}  // namespace

DebugFontAtlas BuildDebugFontAtlas() {
  int cellWidth = 1, cellHeight = 1;
  for (int i = 0; i < kDebugGlyphCount; ++i) {
    cellWidth = std::max(cellWidth, static_cast<int>(DebugGlyphAt(i).width) + 1);
    cellHeight = std::max(cellHeight, static_cast<int>(DebugGlyphAt(i).rows) + 1);
  }
  const int rows = (kDebugGlyphCount + kColumns - 1) / kColumns;
  DebugFontAtlas atlas;
  atlas.width = PowerOfTwoAtLeast(kColumns * cellWidth);
  atlas.height = PowerOfTwoAtLeast(rows * cellHeight);
  atlas.coverage.assign(static_cast<size_t>(atlas.width) * static_cast<size_t>(atlas.height), 0);
  for (int i = 0; i < kDebugGlyphCount; ++i) {
    const DebugGlyph& glyph = DebugGlyphAt(i);
    atlas.cellX[i] = (i % kColumns) * cellWidth;
    atlas.cellY[i] = (i / kColumns) * cellHeight;
    const unsigned char* bits = DebugGlyphCoverage(glyph);
    for (unsigned row = 0; row < glyph.rows; ++row) {
      size_t at = static_cast<size_t>(atlas.cellY[i] + static_cast<int>(row)) * static_cast<size_t>(atlas.width) +
                  static_cast<size_t>(atlas.cellX[i]);
      std::memcpy(&atlas.coverage[at], bits + static_cast<size_t>(row) * glyph.width, glyph.width);
    }
  }
  return atlas;
}

}  // namespace tarn::gfx
