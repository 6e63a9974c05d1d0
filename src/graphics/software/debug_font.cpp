#include "graphics/software/debug_font.h"

namespace tarn::gfx {

namespace {

uint32_t BlendChannel(uint32_t dst, uint32_t src, uint32_t coverage) {
  return (src * coverage + dst * (255 - coverage) + 127) / 255;
}

}  // namespace

void DrawDebugFontText(Surface& target, int x, int y, const std::string& text, uint32_t argb) {
  uint32_t alpha = argb >> 24;
  PlaceDebugText(x, y, text, [&](const PlacedDebugGlyph& placed) {
    const DebugGlyph& glyph = *placed.glyph;
    const unsigned char* bits = DebugGlyphCoverage(glyph);
    for (unsigned row = 0; row < glyph.rows; ++row) {
      int64_t py = placed.y + row;
      if (py < 0 || py >= target.height) continue;
      uint32_t* line = target.Row(static_cast<int>(py));
      for (unsigned col = 0; col < glyph.width; ++col) {
        int64_t px = placed.x + col;
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
  });
}

}  // namespace tarn::gfx
