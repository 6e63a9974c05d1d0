#include "graphics/software/debug_font.h"

namespace tarn::gfx {

namespace {

struct DebugGlyph {
  int advance;
  int left;
  int top;
  unsigned width;
  unsigned rows;
  unsigned long offset;
};

#include "debug_font_data.inc"

const DebugGlyph& GlyphFor(char c) {
  unsigned char code = static_cast<unsigned char>(c);
  if (code < 32 || code > 126) code = '?';
  return kDebugGlyphs[code - 32];
}

uint32_t BlendChannel(uint32_t dst, uint32_t src, uint32_t coverage) {
  return (src * coverage + dst * (255 - coverage) + 127) / 255;
}

}  // namespace

int MeasureDebugFontText(const std::string& text) {
  int width = 0;
  for (char c : text) width += GlyphFor(c).advance;
  return width;
}

void DrawDebugFontText(Surface& target, int x, int y, const std::string& text, uint32_t argb) {
  uint32_t alpha = argb >> 24;
  int penX = x;
  int baseline = y + 1 + kDebugFontAscender;
  for (char c : text) {
    const DebugGlyph& glyph = GlyphFor(c);
    const unsigned char* bits = kDebugGlyphData + glyph.offset;
    for (unsigned row = 0; row < glyph.rows; ++row) {
      int py = baseline - glyph.top + static_cast<int>(row);
      if (py < 0 || py >= target.height) continue;
      uint32_t* line = target.Row(py);
      for (unsigned col = 0; col < glyph.width; ++col) {
        int px = penX + glyph.left + static_cast<int>(col);
        if (px < 0 || px >= target.width) continue;
        uint32_t coverage = bits[row * glyph.width + col] * alpha / 255;
        if (coverage == 0) continue;
        uint32_t dst = line[px];
        uint32_t r = BlendChannel((dst >> 16) & 0xFF, (argb >> 16) & 0xFF, coverage);
        uint32_t g = BlendChannel((dst >> 8) & 0xFF, (argb >> 8) & 0xFF, coverage);
        uint32_t b = BlendChannel(dst & 0xFF, argb & 0xFF, coverage);
        line[px] = (dst & 0xFF000000u) | r << 16 | g << 8 | b;
      }
    }
    penX += glyph.advance;
  }
}

}  // namespace tarn::gfx
