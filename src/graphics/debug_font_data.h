// The engine's embedded 12-pixel debug font: glyph metrics, coverage bitmaps,
// placement and measuring, shared by every back end that draws it.
#pragma once

#include <cstdint>
#include <string>

namespace tarn::gfx {

inline constexpr int kDebugFontHeight = 12;
// One glyph for each printable ASCII code, 32 to 126, in code order.
inline constexpr int kDebugGlyphCount = 95;

struct DebugGlyph {
  int advance;           // pen movement to the next character
  int left;              // the bitmap's left edge, right of the pen
  int top;               // the bitmap's top row, above the baseline
  unsigned width;        // bitmap columns
  unsigned rows;         // bitmap rows
  unsigned long offset;  // where the bitmap starts in the coverage data
};

// The glyph a character draws with: printable ASCII as itself, anything
// else as '?'.
int DebugGlyphIndex(char c);
// index 0 .. kDebugGlyphCount - 1.
const DebugGlyph& DebugGlyphAt(int index);
// rows x width coverage bytes (0 empty .. 255 covered), top row first.
const unsigned char* DebugGlyphCoverage(const DebugGlyph& glyph);
// From the top of a line of text down to its baseline.
int DebugFontBaseline();

// The width the font reports for a text: its advances plus one, as large as
// int holds at most.
int DebugTextWidth(const std::string& text);

// One character of a text placed by PlaceDebugText: its glyph and the
// top-left corner of the glyph's bitmap, in target pixels. 64-bit, so that a
// text starting near the end of int's range cannot overflow.
struct PlacedDebugGlyph {
  const DebugGlyph* glyph;
  int index;
  int64_t x;
  int64_t y;
};

// Calls place(const PlacedDebugGlyph&) for each character of the text drawn
// with its top-left corner at (x, y).
template <typename Place>
void PlaceDebugText(int x, int y, const std::string& text, Place&& place) {
  int64_t pen = x;
  int64_t baseline = static_cast<int64_t>(y) + DebugFontBaseline();
  for (char c : text) {
    int index = DebugGlyphIndex(c);
    const DebugGlyph& glyph = DebugGlyphAt(index);
    place(PlacedDebugGlyph{&glyph, index, pen + glyph.left, baseline - glyph.top});
    pen += glyph.advance;
  }
}

}  // namespace tarn::gfx
