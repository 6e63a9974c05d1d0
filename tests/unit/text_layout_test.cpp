// Text layout against fonts built in memory: wrapping, line feeds, heights,
// the limits, alignment of lines and block, and the alignment keywords.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "text/layout.h"

namespace tarn::text {
namespace {

// The test font: 'a'..'z' advance 10, except 'w' which advances 30; U+263A,
// beyond the direct table, draws its own glyph ('@' in descriptions).
// Everything else is unmapped.
constexpr float kPixelSize = 20, kSpaceLength = 5, kLineSpacing = 4, kParagraph = 6;
constexpr float kBaseline = 15;                          // floor(20 * 0.7 + 1)
constexpr float kLineHeight = kLineSpacing + kPixelSize;  // 24
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct Metrics {
  float characterSpacing = 0;
  float lineSpacing = kLineSpacing;
  float paragraphSpacing = kParagraph;
};

std::unique_ptr<Font> MakeFont(const Metrics& metrics = {}) {
  auto font = std::make_unique<Font>();
  font->metrics.pixelSize = kPixelSize;
  font->metrics.spaceLength = kSpaceLength;
  font->metrics.characterSpacing = metrics.characterSpacing;
  font->metrics.lineSpacing = metrics.lineSpacing;
  font->metrics.paragraphSpacing = metrics.paragraphSpacing;
  for (char c = 'a'; c <= 'z'; ++c) {
    Glyph glyph;
    glyph.advance = c == 'w' ? 30 : 10;
    glyph.width = static_cast<uint8_t>(glyph.advance - 2);
    font->characters[static_cast<uint16_t>(c)] = static_cast<uint16_t>(font->glyphs.size());
    font->glyphs.push_back(glyph);
  }
  Glyph smiley;
  smiley.advance = 10;
  font->characters[0x263A] = static_cast<uint16_t>(font->glyphs.size());
  font->glyphs.push_back(smiley);
  font->IndexCharacters();
  return font;
}

char Letter(const Font& font, const Glyph* glyph) {
  auto index = glyph - font.glyphs.data();
  return index == 26 ? '@' : static_cast<char>('a' + index);
}

// The lines as text, '|' between lines: each glyph's letter after as many
// spaces as its distance from the pen holds; '?' marks a glyph off that grid.
std::string Describe(const Font& font, const Layout& out) {
  const FontMetrics& m = font.metrics;
  const float space = m.characterSpacing + m.spaceLength;
  std::string text;
  float pen = 0;
  for (int i = 0; i < out.count; ++i) {
    const GlyphItem& item = out.items[i];
    if (i > 0 && item.y != out.items[i - 1].y) {
      text += '|';
      pen = 0;
    }
    long spaces = std::lround((item.x - pen) / space);
    if (spaces < 0 || item.x != pen + spaces * space) text += '?';
    text.append(static_cast<size_t>(std::max(0L, spaces)), ' ');
    text += Letter(font, item.glyph);
    pen = item.x + item.glyph->advance + m.characterSpacing;
  }
  return text;
}

std::u16string Repeat(const std::u16string& part, int times) {
  std::u16string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

class TextLayoutTest : public ::testing::Test {
 protected:
  int Run(const Font& font, const std::u16string& text, float boxWidth = 0, float boxHeight = 0, int flags = 0,
          float scale = 1, Layout* into = nullptr) {
    return LayoutText(font, scale, text, boxWidth, boxHeight, flags, 0xFF123456u, into ? *into : *out);
  }
  std::unique_ptr<Layout> out = std::make_unique<Layout>();
};

TEST_F(TextLayoutTest, WrapsAtTheBoxWidth) {
  struct Case {
    const char* name;
    std::u16string text;
    float box, scale;
    Metrics metrics;
    const char* lines;
    float width;
  };
  const Case cases[] = {
      {"word moved whole", u"ab cde", 45, 1, {}, "ab|cde", 30},
      {"glyph after spaces starts the line", u"ab cd ef", 45, 1, {}, "ab cd|ef", 45},
      {"word longer than the line broken", u"abcdefg", 45, 1, {}, "abcd|efg", 40},
      {"moved word broken again", u"ab cdefgh", 45, 1, {}, "ab|cdef|gh", 40},
      {"first glyph wider than the box", u"wa", 20, 1, {}, "w|a", 30},
      {"wide glyph after a space", u"a w", 20, 1, {}, "a|w", 30},
      {"exact fit stays", u"abcde", 50, 1, {}, "abcde", 50},
      {"just too wide breaks", u"abcde", 49.9f, 1, {}, "abcd|e", 40},
      {"spaces at a wrap not counted", u"ab    cd", 45, 1, {}, "ab|cd", 20},
      {"spaces after a line feed counted", u"ab\n  cd", 45, 1, {}, "ab|  cd", 30},
      {"trailing spaces before a line feed", u"ab   \ncd", 45, 1, {}, "ab|cd", 20},
      {"unmapped characters skipped", u"a#\u00e9b\u4e00c", 0, 1, {}, "abc", 30},
      {"character beyond the direct table", u"a\u263Ab", 0, 1, {}, "a@b", 30},
      {"fit ignores the character spacing", u"abcd", 35, 1, {2}, "abc|d", 34},
      {"space advance adds the character spacing", u"ab cd", 0, 1, {2}, "ab cd", 53},
      {"box divided by the scale", u"abcdef", 90, 2, {}, "abcd|ef", 40},
      {"no box", u"ab cd ef", 0, 1, {}, "ab cd ef", 70},
      {"negative box is no box", u"ab cd ef", -5, 1, {}, "ab cd ef", 70},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto font = MakeFont(c.metrics);
    Run(*font, c.text, c.box, 0, 0, c.scale);
    EXPECT_EQ(Describe(*font, *out), c.lines);
    EXPECT_FLOAT_EQ(out->textWidth, c.width);
  }
}

TEST_F(TextLayoutTest, LineFeedsAddParagraphSpacing) {
  struct Case {
    const char* name;
    std::u16string text;
    float box;
    std::vector<float> baselines;  // of every item
  };
  const float feed = kLineHeight + kParagraph;
  const Case cases[] = {
      {"line feed", u"ab\nc", 0, {kBaseline, kBaseline, kBaseline + feed}},
      {"wrap has no paragraph spacing", u"abcde", 45, {kBaseline, kBaseline, kBaseline, kBaseline, kBaseline + kLineHeight}},
      {"leading line feeds", u"\n\na", 0, {kBaseline + 2 * feed}},
      {"empty line between", u"a\n\nb", 0, {kBaseline, kBaseline + 2 * feed}},
      {"wrap after a line feed", u"a\nbcdef", 45,
       {kBaseline, kBaseline + feed, kBaseline + feed, kBaseline + feed, kBaseline + feed,
        kBaseline + feed + kLineHeight}},
  };
  auto font = MakeFont();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Run(*font, c.text, c.box), static_cast<int>(c.baselines.size()));
    for (size_t i = 0; i < c.baselines.size(); ++i) EXPECT_FLOAT_EQ(out->items[i].y, c.baselines[i]) << i;
  }
}

TEST_F(TextLayoutTest, MeasuresTheText) {
  struct Case {
    const char* name;
    std::u16string text;
    float box;
    int count;
    float width, height;
  };
  const Case cases[] = {
      {"empty", u"", 0, 0, 0, 0},
      {"only spaces", u"   ", 0, 0, 0, 0},
      {"one line", u"abc", 0, 3, 30, kPixelSize},
      {"one line and a line feed", u"abc\n", 0, 3, 30, kPixelSize},
      {"two lines", u"ab\ncd", 0, 4, 20, kLineHeight + kPixelSize},
      {"two wrapped lines", u"abcdef", 45, 6, 40, kLineHeight + kPixelSize},
      {"a leading line feed is a line", u"\nab", 0, 2, 20, kLineHeight + kPixelSize},
      {"an empty line ended by a line feed", u"ab\n\n", 0, 2, 20, kLineHeight + kPixelSize},
      {"a line of spaces after a line feed", u"ab\n   ", 0, 2, 20, kPixelSize},
      {"widest line wins", u"abc\nabcde\nab", 0, 10, 50, 2 * kLineHeight + kPixelSize},
  };
  auto font = MakeFont();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run(*font, c.text, c.box), c.count);
    EXPECT_FLOAT_EQ(out->textWidth, c.width);
    EXPECT_FLOAT_EQ(out->textHeight, c.height);
  }
}

TEST_F(TextLayoutTest, StopsAtTheBoxHeightAndTheLineLimit) {
  struct Case {
    const char* name;
    std::u16string text;
    float boxWidth, boxHeight, scale;
    Metrics metrics;
    int count;
  };
  const std::u16string six = u"a\nb\nc\nd\ne\nf";
  const Case cases[] = {
      {"no box", six, 0, 0, 1, {}, 6},
      {"box lower than a line shows the first", six, 0, 10, 1, {}, 1},
      {"next baseline and a line past the box", six, 0, 68, 1, {}, 1},
      {"next baseline and a line inside the box", six, 0, 69, 1, {}, 2},
      {"wrapped lines: past the box", u"abcdef", 10, 62, 1, {}, 1},
      {"wrapped lines: inside the box", u"abcdef", 10, 63, 1, {}, 2},
      {"line limit of the box", six, 0, 100, 1, {0, kLineSpacing, -20}, 4},
      {"box height divided by the scale", six, 0, 100, 2, {0, kLineSpacing, -20}, 2},
      {"at most 1000 lines", Repeat(u"a\n", 1500), 0, 0, 1, {}, 1000},
      {"line height 0 sets no box limit", Repeat(u"a\n", 1500), 0, 50, 1, {0, -kPixelSize, 0}, 1000},
      {"line height not a number", Repeat(u"a\n", 1500), 0, 50, 1, {0, kNaN, 0}, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto font = MakeFont(c.metrics);
    EXPECT_EQ(Run(*font, c.text, c.boxWidth, c.boxHeight, 0, c.scale), c.count);
    EXPECT_EQ(out->count, c.count);
  }
}

TEST_F(TextLayoutTest, CutsAtTheItemCapacity) {
  struct Case {
    const char* name;
    std::u16string text;
    float box;
    float lastX, lastY;
  };
  const Case cases[] = {
      {"one line", std::u16string(kMaxDrawChars + 100, u'a'), 0, (kMaxDrawChars - 1) * 10.0f, kBaseline},
      {"wrapped every 10 glyphs", std::u16string(kMaxDrawChars + 100, u'a'), 100, 90,
       kBaseline + (kMaxDrawChars / 10 - 1) * kLineHeight},
      {"exactly the capacity", std::u16string(kMaxDrawChars, u'a'), 0, (kMaxDrawChars - 1) * 10.0f, kBaseline},
  };
  auto font = MakeFont();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(Run(*font, c.text, c.box), kMaxDrawChars);
    EXPECT_FLOAT_EQ(out->items[kMaxDrawChars - 1].x, c.lastX);
    EXPECT_FLOAT_EQ(out->items[kMaxDrawChars - 1].y, c.lastY);
  }
}

TEST_F(TextLayoutTest, FillsTheLayout) {
  auto font = MakeFont();
  Run(*font, std::u16string(50, u'a'));
  ASSERT_EQ(Run(*font, u"ab c"), 3);
  EXPECT_EQ(out->count, 3);
  EXPECT_EQ(out->font, font.get());
  for (int i = 0; i < out->count; ++i) {
    EXPECT_EQ(out->items[i].colour, 0xFF123456u);
    EXPECT_EQ(out->items[i].glyph, font->Find("abc"[i]));
  }
}

TEST_F(TextLayoutTest, OddBoxesAndScalesStayBounded) {
  struct Case {
    const char* name;
    float boxWidth, boxHeight, scale;
    const char* lines;
  };
  const Case cases[] = {
      {"boxes not a number", kNaN, kNaN, 1, "ab cd"},
      {"infinite boxes", kInf, kInf, 1, "ab cd"},
      {"scale 0", 25, 25, 0, "ab cd"},
      {"scale not a number", 25, 25, kNaN, "ab cd"},
      {"negative scale", 25, 25, -1, "ab cd"},
  };
  auto font = MakeFont();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Run(*font, u"ab cd", c.boxWidth, c.boxHeight, 0, c.scale);
    EXPECT_EQ(Describe(*font, *out), c.lines);
  }
}

// Each item's shift against the same text laid out left and top, one shift
// per line that has glyphs.
std::vector<float> LineShifts(const Layout& aligned, const Layout& plain, bool vertical) {
  std::vector<float> shifts;
  for (int i = 0; i < plain.count; ++i) {
    float shift = vertical ? aligned.items[i].y - plain.items[i].y : aligned.items[i].x - plain.items[i].x;
    bool newLine = i == 0 || plain.items[i].y != plain.items[i - 1].y;
    if (newLine) shifts.push_back(shift);
    else if (shift != shifts.back()) shifts.push_back(kNaN);  // a line that did not move as one
  }
  return shifts;
}

TEST_F(TextLayoutTest, AlignsLinesHorizontally) {
  struct Case {
    const char* name;
    std::u16string text;
    int flags;
    float box, scale;
    std::vector<float> shifts;
  };
  const std::u16string two = u"ab\nabcd";  // lines 20 and 40 wide
  const Case cases[] = {
      {"default is left", two, 0, 200, 1, {0, 0}},
      {"left", two, kAlignLeft, 200, 1, {0, 0}},
      {"right ends at the anchor", two, kAlignRight, 200, 1, {-20, -40}},
      {"center centres on the anchor", two, kAlignCenter, 200, 1, {-10, -20}},
      {"right, block left", two, kAlignRight | kBlockLeft, 200, 1, {20, 0}},
      {"center, block left", two, kAlignCenter | kBlockLeft, 200, 1, {10, 0}},
      {"left, block right", two, kAlignLeft | kBlockRight, 200, 1, {-40, -40}},
      {"block bit alone keeps left", two, kBlockRight, 200, 1, {-40, -40}},
      {"const width: right", two, kAlignRight | kConstWidth, 200, 1, {-20, -40}},
      {"const width: right, block left", two, kAlignRight | kBlockLeft | kConstWidth, 200, 1, {180, 160}},
      {"const width: center", two, kAlignCenter | kConstWidth, 200, 1, {-10, -20}},
      {"const width: center, block left", two, kAlignCenter | kBlockLeft | kConstWidth, 200, 1, {90, 80}},
      {"const width: center, block right", two, kAlignCenter | kBlockRight | kConstWidth, 200, 1, {-110, -120}},
      {"const width: left, block center", two, kAlignLeft | kBlockCenter | kConstWidth, 200, 1, {-100, -100}},
      {"const width without a box", two, kAlignCenter | kBlockLeft | kConstWidth, 0, 1, {10, 0}},
      {"const width box divided by the scale", two, kAlignCenter | kBlockLeft | kConstWidth, 200, 2, {40, 30}},
      {"right: block left before right", two, kAlignRight | kBlockLeft | kBlockRight, 200, 1, {20, 0}},
      {"right: block center before right", two, kAlignRight | kBlockCenter | kBlockRight, 200, 1, {0, -20}},
      {"center: block left before right", two, kAlignCenter | kBlockLeft | kBlockRight, 200, 1, {10, 0}},
      {"center: block right before center", two, kAlignCenter | kBlockRight | kBlockCenter, 200, 1, {-30, -40}},
      {"left: block right before center", two, kAlignLeft | kBlockRight | kBlockCenter, 200, 1, {-40, -40}},
      {"left: block center before left", two, kAlignLeft | kBlockCenter | kBlockLeft, 200, 1, {-20, -20}},
      {"right before center, with both block bits copied", two, kAlignRight | kAlignCenter, 200, 1, {0, -20}},
      {"right before center, block given", two, kAlignRight | kAlignCenter | kBlockRight, 200, 1, {-20, -40}},
      {"center before left, with both block bits copied", two, kAlignCenter | kAlignLeft, 200, 1, {10, 0}},
      {"leading line feed, right", u"\nab\nabcd", kAlignRight, 200, 1, {-20, -40}},
      {"leading line feed, center", u"\nab\nabcd", kAlignCenter, 200, 1, {-10, -20}},
      {"wrapped lines, right", u"ab cde", kAlignRight, 45, 1, {-20, -30}},
  };
  auto font = MakeFont();
  auto plain = std::make_unique<Layout>();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Run(*font, c.text, c.box, 0, 0, c.scale, plain.get());
    Run(*font, c.text, c.box, 0, c.flags, c.scale);
    ASSERT_EQ(out->count, plain->count);
    EXPECT_EQ(LineShifts(*out, *plain, false), c.shifts);
    EXPECT_EQ(LineShifts(*out, *plain, true), std::vector<float>(c.shifts.size(), 0.0f));
  }
}

TEST_F(TextLayoutTest, AlignsTheBlockVertically) {
  struct Case {
    const char* name;
    int flags;
    float box;
    float shift;
  };
  // Two lines, 44 high.
  const Case cases[] = {
      {"default is top", 0, 0, 0},
      {"bottom ends at the anchor", kAlignBottom, 0, -44},
      {"vcenter centres on the anchor", kAlignVCenter, 0, -22},
      {"top, block bottom", kAlignTop | kBlockBottom, 0, -44},
      {"top, block vcenter", kAlignTop | kBlockVCenter, 0, -22},
      {"box without const height", kAlignBottom | kBlockTop, 100, 0},
      {"const height: bottom", kAlignBottom | kConstHeight, 100, -44},
      {"const height: bottom, block top", kAlignBottom | kBlockTop | kConstHeight, 100, 56},
      {"const height: vcenter", kAlignVCenter | kConstHeight, 100, -22},
      {"const height: vcenter, block top", kAlignVCenter | kBlockTop | kConstHeight, 100, 28},
      {"const height: vcenter, block bottom", kAlignVCenter | kBlockBottom | kConstHeight, 100, -72},
      {"const height without a box", kAlignBottom | kBlockTop | kConstHeight, 0, 0},
      {"bottom: block top before vcenter", kAlignBottom | kBlockTop | kBlockVCenter, 100, 0},
      {"bottom: block vcenter before bottom", kAlignBottom | kBlockVCenter | kBlockBottom | kConstHeight, 100, 6},
      {"vcenter: block top before bottom", kAlignVCenter | kBlockTop | kBlockBottom, 0, 0},
      {"vcenter: block bottom before vcenter", kAlignVCenter | kBlockBottom | kBlockVCenter, 0, -44},
      {"top: block vcenter before bottom", kAlignTop | kBlockVCenter | kBlockBottom, 0, -22},
      {"top: block bottom before top", kAlignTop | kBlockBottom | kBlockTop, 0, -44},
      {"bottom before vcenter, with both block bits copied", kAlignBottom | kAlignVCenter, 0, -22},
      {"vcenter before top, with both block bits copied", kAlignVCenter | kAlignTop, 0, 0},
      {"vcenter before top, block given", kAlignVCenter | kAlignTop | kBlockVCenter, 0, -22},
  };
  auto font = MakeFont();
  auto plain = std::make_unique<Layout>();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Run(*font, u"ab\ncd", 0, c.box, 0, 1, plain.get());
    Run(*font, u"ab\ncd", 0, c.box, c.flags);
    ASSERT_EQ(out->count, 4);
    EXPECT_FLOAT_EQ(out->textHeight, 44);
    EXPECT_EQ(LineShifts(*out, *plain, true), std::vector<float>(2, c.shift));
    EXPECT_EQ(LineShifts(*out, *plain, false), std::vector<float>(2, 0.0f));
  }
}

TEST(ParseAlignmentTest, ReadsKeywords) {
  struct Case {
    std::string text;
    int flags;
  };
  const Case cases[] = {
      {"", 0},
      {"Center, VCenter", kAlignCenter | kAlignVCenter},
      {"middle", 0},
      {"left middle top", kAlignLeft | kAlignTop},
      {"leftright", 0},
      {"RIGHT;bottom,block_left\tconst_size", kAlignRight | kAlignBottom | kBlockLeft | kConstWidth | kConstHeight},
      {",, ;left;;", kAlignLeft},
      {"block_right block_center", kBlockRight | kBlockCenter},
      {"block_top block_bottom block_vcenter", kBlockTop | kBlockBottom | kBlockVCenter},
      {"const_width", kConstWidth},
      {"const_height", kConstHeight},
      {std::string(55, ' ') + "left", kAlignLeft},  // the 59th character ends the word
      {std::string(56, ' ') + "left", 0},           // cut to "lef"
      {std::string(60, ',') + "left", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseAlignment(c.text), c.flags) << '"' << c.text << '"';
}

}  // namespace
}  // namespace tarn::text
