// The embedded debug font: which glyph a character draws with, measuring,
// placement, the software drawing at the target's edges, and the atlas the
// texture-based back ends upload.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "graphics/debug_font_atlas.h"
#include "graphics/debug_font_data.h"
#include "graphics/software/debug_font.h"

namespace tarn::gfx {
namespace {

const int kQuestion = '?' - 32;

TEST(DebugFont, CharactersOutsidePrintableAsciiDrawAsQuestionMarks) {
  const struct {
    int code;
    int index;
  } cases[] = {{' ', 0}, {'!', 1}, {'A', 'A' - 32}, {'~', 94}, {'?', kQuestion}, {0, kQuestion}, {'\n', kQuestion},
               {31, kQuestion}, {127, kQuestion}, {128, kQuestion}, {0xC3, kQuestion}, {255, kQuestion}};
  for (const auto& c : cases) {
    EXPECT_EQ(DebugGlyphIndex(static_cast<char>(c.code)), c.index) << "code " << c.code;
  }
}

TEST(DebugFont, WidthIsTheAdvancesPlusOne) {
  EXPECT_EQ(DebugTextWidth(""), 1);
  for (int i = 0; i < kDebugGlyphCount; ++i) {
    const char c = static_cast<char>(32 + i);
    EXPECT_EQ(DebugTextWidth(std::string(1, c)), DebugGlyphAt(i).advance + 1) << c;
    EXPECT_GE(DebugGlyphAt(i).advance, 1) << c;
  }
  const struct {
    const char* a;
    const char* b;
  } same[] = {{"\x01", "?"}, {"caf\xC3\xA9", "caf??"}, {"\t\n\x7F", "???"}};
  for (const auto& s : same) EXPECT_EQ(DebugTextWidth(s.a), DebugTextWidth(s.b)) << s.b;
  // Wider letters measure wider; widths add up.
  EXPECT_GT(DebugTextWidth("W"), DebugTextWidth("i"));
  EXPECT_EQ(DebugTextWidth("Wi"), DebugTextWidth("W") + DebugTextWidth("i") - 1);
  EXPECT_EQ(DebugTextWidth(std::string(1000, 'm')), 1000 * (DebugTextWidth("m") - 1) + 1);
}

TEST(DebugFont, PlacementFollowsThePenAndTheBaseline) {
  const std::string text = "Ay\x01 g";
  std::vector<PlacedDebugGlyph> placed;
  PlaceDebugText(INT_MAX - 3, 50, text, [&](const PlacedDebugGlyph& p) { placed.push_back(p); });
  ASSERT_EQ(placed.size(), text.size());
  int64_t pen = INT_MAX - 3;  // far out: the pen must run past int's range without wrapping
  for (size_t i = 0; i < text.size(); ++i) {
    const DebugGlyph& glyph = DebugGlyphAt(DebugGlyphIndex(text[i]));
    EXPECT_EQ(placed[i].glyph, &glyph);
    EXPECT_EQ(placed[i].x, pen + glyph.left) << i;
    EXPECT_EQ(placed[i].y, 50 + DebugFontBaseline() - glyph.top) << i;
    pen += glyph.advance;
  }
  EXPECT_GT(placed.back().x, INT_MAX);
  // No glyph reaches above the text's top.
  for (int i = 0; i < kDebugGlyphCount; ++i) EXPECT_GE(DebugFontBaseline() - DebugGlyphAt(i).top, 0) << i;
}

Surface Filled(int w, int h, uint32_t argb) {
  Surface s;
  s.Resize(w, h);
  for (uint32_t& p : s.pixels) p = argb;
  return s;
}

// Text cut by an edge shows the same pixels as uncut text, shifted.
TEST(DebugFont, SoftwareDrawingCutsAtTheEdges) {
  const std::string text = "Wgy|";
  const uint32_t ground = 0x40203040, ink = 0xC0F0E0D0;
  Surface whole = Filled(64, 24, ground);
  DrawDebugFontText(whole, 8, 6, text, ink);
  ASSERT_NE(whole.pixels, Filled(64, 24, ground).pixels);
  const struct {
    int x, y;
  } shifts[] = {{-5, -4}, {-8, 0}, {0, -9}, {40, 12}, {-100, 0}, {0, 30}, {INT_MIN, 0}, {INT_MAX - 10, INT_MAX - 10}};
  for (const auto& s : shifts) {
    Surface cut = Filled(64, 24, ground);
    DrawDebugFontText(cut, 8 + s.x, 6 + s.y, text, ink);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 64; ++x) {
        int64_t sx = static_cast<int64_t>(x) - s.x, sy = static_cast<int64_t>(y) - s.y;
        bool inside = sx >= 0 && sy >= 0 && sx < 64 && sy < 24;
        uint32_t want = inside ? whole.Row(static_cast<int>(sy))[sx] : ground;
        ASSERT_EQ(cut.Row(y)[x], want) << "shift " << s.x << "," << s.y << " at " << x << "," << y;
      }
  }
  // The target's alpha stays, and '?' stands for what the font does not have.
  for (uint32_t p : whole.pixels) EXPECT_EQ(p >> 24, ground >> 24);
  Surface a = Filled(32, 16, ground), b = Filled(32, 16, ground);
  DrawDebugFontText(a, 2, 2, "x\xE9\x01", ink);
  DrawDebugFontText(b, 2, 2, "x??", ink);
  EXPECT_EQ(a.pixels, b.pixels);
}

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

TEST(DebugFont, AtlasHoldsEachGlyphInACellOfItsOwn) {
  const DebugFontAtlas atlas = BuildDebugFontAtlas();
  ASSERT_TRUE(IsPowerOfTwo(atlas.width)) << atlas.width;
  ASSERT_TRUE(IsPowerOfTwo(atlas.height)) << atlas.height;
  ASSERT_EQ(atlas.coverage.size(), static_cast<size_t>(atlas.width) * static_cast<size_t>(atlas.height));
  std::vector<int> owner(atlas.coverage.size(), -1);
  for (int i = 0; i < kDebugGlyphCount; ++i) {
    const DebugGlyph& glyph = DebugGlyphAt(i);
    const unsigned char* bits = DebugGlyphCoverage(glyph);
    // The glyph and an empty column and row to its right and below.
    for (int row = 0; row <= static_cast<int>(glyph.rows); ++row) {
      for (int col = 0; col <= static_cast<int>(glyph.width); ++col) {
        int x = atlas.cellX[i] + col, y = atlas.cellY[i] + row;
        ASSERT_TRUE(x < atlas.width && y < atlas.height) << "glyph " << i;
        size_t at = static_cast<size_t>(y) * static_cast<size_t>(atlas.width) + static_cast<size_t>(x);
        ASSERT_EQ(owner[at], -1) << "glyphs " << owner[at] << " and " << i << " overlap";
        owner[at] = i;
        bool inGlyph = row < static_cast<int>(glyph.rows) && col < static_cast<int>(glyph.width);
        int want = inGlyph ? bits[row * static_cast<int>(glyph.width) + col] : 0;
        ASSERT_EQ(atlas.coverage[at], want) << "glyph " << i << " at " << col << "," << row;
      }
    }
  }
  for (size_t at = 0; at < owner.size(); ++at) {
    if (owner[at] < 0) {
      ASSERT_EQ(atlas.coverage[at], 0) << at;
    }
  }
}

}  // namespace
}  // namespace tarn::gfx
