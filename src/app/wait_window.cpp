#include "app/wait_window.h"

#include <algorithm>

#include "graphics/debug_font_data.h"
#include "platform/platform.h"

namespace tarn {

namespace {

constexpr int kScale = 2;  // 12-pixel glyphs drawn 24 pixels high
constexpr uint8_t kFace = 240;
constexpr uint8_t kInk = 0;

void Stamp(std::vector<uint8_t>& image, int64_t x, int64_t y, uint8_t coverage) {
  if (x < 0 || y < 0 || x >= kWaitWindowWidth || y >= kWaitWindowHeight || coverage == 0) return;
  uint8_t* pixel = &image[(static_cast<size_t>(y) * kWaitWindowWidth + static_cast<size_t>(x)) * 4];
  int shade = kFace + (kInk - kFace) * coverage / 255;
  uint8_t value = static_cast<uint8_t>(std::min<int>(pixel[0], shade));  // the darker of two strokes
  pixel[0] = pixel[1] = pixel[2] = value;
}

}  // namespace

std::vector<uint8_t> WaitWindowImage(const std::string& text) {
  std::vector<uint8_t> image(static_cast<size_t>(kWaitWindowWidth) * kWaitWindowHeight * 4, kFace);
  for (size_t i = 3; i < image.size(); i += 4) image[i] = 255;
  int64_t width = static_cast<int64_t>(gfx::DebugTextWidth(text)) * kScale;
  int64_t left = (kWaitWindowWidth - width) / 2;
  int64_t top = (kWaitWindowHeight - gfx::kDebugFontHeight * kScale) / 2;
  gfx::PlaceDebugText(0, 0, text, [&](const gfx::PlacedDebugGlyph& placed) {
    const unsigned char* coverage = gfx::DebugGlyphCoverage(*placed.glyph);
    for (unsigned row = 0; row < placed.glyph->rows; ++row)
      for (unsigned column = 0; column < placed.glyph->width; ++column) {
        uint8_t c = coverage[row * placed.glyph->width + column];
        int64_t x = left + (placed.x + column) * kScale;
        int64_t y = top + (placed.y + row) * kScale;
        // Each glyph pixel is a 2 x 2 block, drawn twice a pixel apart: bold.
        for (int dy = 0; dy < kScale; ++dy)
          for (int dx = 0; dx <= kScale; ++dx) Stamp(image, x + dx, y + dy, c);
      }
  });
  return image;
}

void ShowWaitWindow(const std::string& text) {
  std::vector<uint8_t> image = WaitWindowImage(text);
  Platform::Get().ShowWaitWindow(text, image.data(), kWaitWindowWidth, kWaitWindowHeight);
}

void CloseWaitWindow() { Platform::Get().CloseWaitWindow(); }

}  // namespace tarn
