#include "graphics/debug_font_data.h"

#include <algorithm>
#include <climits>

namespace tarn::gfx {

namespace {
#include "debug_font_data.inc"
static_assert(sizeof kDebugGlyphs / sizeof kDebugGlyphs[0] == kDebugGlyphCount, "one glyph per printable code");
}  // namespace

int DebugGlyphIndex(char c) {
  unsigned char code = static_cast<unsigned char>(c);
  if (code < 32 || code > 126) code = '?';
  return code - 32;
}

const DebugGlyph& DebugGlyphAt(int index) { return kDebugGlyphs[std::clamp(index, 0, kDebugGlyphCount - 1)]; }

const unsigned char* DebugGlyphCoverage(const DebugGlyph& glyph) { return kDebugGlyphData + glyph.offset; }

int DebugFontBaseline() { return 1 + kDebugFontAscender; }

int DebugTextWidth(const std::string& text) {
  int64_t width = 1;
  for (char c : text) width += DebugGlyphAt(DebugGlyphIndex(c)).advance;
  return static_cast<int>(std::min<int64_t>(width, INT_MAX));
}

}  // namespace tarn::gfx
