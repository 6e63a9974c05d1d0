// tarn-fontgen: the files it bakes from DejaVu Sans, read back by the rules of
// the glyph file and through the engine's Parcon reader and PNG reader, and
// the command lines it refuses.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fontgen/fontgen.h"
#include "fontgen/options.h"
#include "graphics/backend.h"
#include "graphics/image/png_file.h"
#include "platform/hostfs.h"
#include "resources/parcon.h"
#include "resources/utf.h"
#include "test_support.h"

namespace tarn {
namespace {

using fontgen::FontgenOutcome;
using fontgen::RunFontgen;

const std::string kDejaVu = TARN_DEJAVU_SANS;

struct GlyphLine {
  long page, offsetX, offsetY, advance, x1, y1, x2, y2;
};

// A glyph file as the engine reads it: the first word of a line gives its
// kind, the quoted strings after it are its values in order.
struct GlyphFile {
  std::vector<double> font;
  std::vector<GlyphLine> glyphs;
  std::map<uint16_t, long> chars;  // character code -> glyph index
  size_t longestLine = 0;
  std::vector<std::string> problems;
};

std::vector<std::string> QuotedValues(const std::string& line) {
  std::vector<std::string> values;
  size_t pos = 0;
  while ((pos = line.find_first_of("\"'", pos)) != std::string::npos) {
    size_t end = line.find(line[pos], pos + 1);
    if (end == std::string::npos) break;
    values.push_back(line.substr(pos + 1, end - pos - 1));
    pos = end + 1;
  }
  return values;
}

// The character of a char line: one of the six entities, else the first
// character of its UTF-8; 0 when neither.
uint16_t CharCode(const std::string& value) {
  static const std::map<std::string, uint16_t> kEntities = {
      {"&quot;", 34}, {"&amp;", 38}, {"&apos;", 39}, {"&nbsp;", 32}, {"&lt;", 60}, {"&gt;", 62}};
  if (!value.empty() && value[0] == '&') {
    auto it = kEntities.find(value);
    return it == kEntities.end() ? 0 : it->second;
  }
  std::u16string wide = Utf8ToUtf16(value);
  return wide.empty() ? 0 : static_cast<uint16_t>(wide[0]);
}

long Integer(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }

GlyphFile ReadGlyphFile(const std::string& path) {
  GlyphFile file;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    file.longestLine = std::max(file.longestLine, line.size());
    std::string word = line.substr(0, line.find_first_of(" \t"));
    std::vector<std::string> values = QuotedValues(line);
    if (word == "<font") {
      for (const std::string& value : values) file.font.push_back(std::strtod(value.c_str(), nullptr));
    } else if (word == "<glyph") {
      if (values.size() != 8) file.problems.push_back("glyph line without eight values: " + line);
      values.resize(8, "0");
      file.glyphs.push_back(GlyphLine{Integer(values[0]), Integer(values[1]), Integer(values[2]), Integer(values[3]),
                                      Integer(values[4]), Integer(values[5]), Integer(values[6]), Integer(values[7])});
    } else if (word == "<char") {
      uint16_t code = values.size() == 2 ? CharCode(values[0]) : 0;
      if (code == 0 || values[0].find(' ') != std::string::npos) file.problems.push_back("unreadable: " + line);
      else if (!file.chars.emplace(code, Integer(values[1])).second) file.problems.push_back("mapped twice: " + line);
    }
  }
  return file;
}

bool Overlap(const GlyphLine& a, const GlyphLine& b, long padding) {
  return a.page == b.page && a.x1 < b.x2 + padding && b.x1 < a.x2 + padding && a.y1 < b.y2 + padding &&
         b.y1 < a.y2 + padding;
}

// The rules every baked glyph file keeps, for pages of width x height.
void ExpectSoundGlyphFile(const GlyphFile& file, long width, long height, long padding) {
  for (const std::string& problem : file.problems) ADD_FAILURE() << problem;
  EXPECT_LT(file.longestLine, 254u);
  ASSERT_EQ(6u, file.font.size());
  EXPECT_EQ(padding, file.font[2]);
  EXPECT_GT(file.font[1], 0);   // space length
  EXPECT_EQ(0, file.font[3]);   // character spacing
  EXPECT_GE(file.font[4], 0);   // line spacing
  EXPECT_EQ(0, file.font[5]);   // paragraph spacing
  ASSERT_FALSE(file.glyphs.empty());
  for (size_t i = 0; i < file.glyphs.size(); ++i) {
    const GlyphLine& g = file.glyphs[i];
    SCOPED_TRACE("glyph " + std::to_string(i));
    EXPECT_TRUE(g.page >= 0 && g.page < 26);
    EXPECT_TRUE(g.offsetX >= -128 && g.offsetX <= 127 && g.offsetY >= -128 && g.offsetY <= 127);
    EXPECT_TRUE(g.advance >= 0 && g.advance <= 255);
    // The cell runs from (x1, y1) to (x2, y2) plus the padding and lies on its page.
    EXPECT_TRUE(g.x1 >= 0 && g.y1 >= 0 && g.x2 >= g.x1 && g.y2 >= g.y1);
    EXPECT_TRUE(g.x2 + padding <= width && g.y2 + padding <= height);
    bool hasArea = g.x2 > g.x1 && g.y2 > g.y1;
    for (size_t j = 0; hasArea && j < i; ++j) {
      const GlyphLine& other = file.glyphs[j];
      bool otherHasArea = other.x2 > other.x1 && other.y2 > other.y1;
      EXPECT_FALSE(otherHasArea && Overlap(g, other, padding)) << "overlaps glyph " << j;
    }
  }
  for (const auto& [code, index] : file.chars)
    EXPECT_TRUE(index >= 0 && static_cast<size_t>(index) < file.glyphs.size()) << "character " << code;
}

class FontgenTest : public testing::DataFolderTest {
 protected:
  // Bakes into the mounted data folder; the base name is also the font's path there.
  FontgenOutcome Bake(const std::string& name, std::vector<std::string> options) {
    std::vector<std::string> args = {kDejaVu, options[0], Host(name)};
    args.insert(args.end(), options.begin() + 1, options.end());
    return RunFontgen(args);
  }
  std::string Host(const std::string& name) const { return game_.path() + "/data/" + name; }
  bool Exists(const std::string& name) const {
    hostfs::Entry entry;
    return hostfs::Stat(Host(name), entry);
  }

  // Every page pixel is white; alpha is 0 outside the glyph images, which
  // sit padding / 2 inside their cells, and each image has some coverage.
  void ExpectPageImages(const GlyphFile& file, const std::string& base, long pages, long padding) {
    for (long page = 0; page < pages; ++page) {
      std::string name = base + (pages == 1 ? "" : "_" + std::string(1, static_cast<char>('a' + page))) + ".png";
      gfx::PixelImage image;
      ASSERT_TRUE(gfx::ReadPngFile(Host(name), image)) << name;
      std::vector<bool> inside(image.bgra.size() / 4, false);
      for (const GlyphLine& g : file.glyphs) {
        if (g.page != page) continue;
        int coverage = 0;
        for (long y = g.y1 + padding / 2; y < g.y2 + padding / 2; ++y)
          for (long x = g.x1 + padding / 2; x < g.x2 + padding / 2; ++x) {
            size_t at = static_cast<size_t>(y * image.width + x);
            inside[at] = true;
            coverage += image.bgra[at * 4 + 3];
          }
        EXPECT_TRUE(g.x2 == g.x1 || coverage > 0) << name << " glyph at " << g.x1 << "," << g.y1;
      }
      size_t stray = 0, notWhite = 0;
      for (size_t at = 0; at < inside.size(); ++at) {
        if (!inside[at] && image.bgra[at * 4 + 3] != 0) ++stray;
        if (image.bgra[at * 4] != 255 || image.bgra[at * 4 + 1] != 255 || image.bgra[at * 4 + 2] != 255) ++notWhite;
      }
      EXPECT_EQ(0u, stray) << name;
      EXPECT_EQ(0u, notWhite) << name;
    }
  }
};

TEST_F(FontgenTest, OnePageFontWithPaddingReadsBackByTheFormat) {
  FontgenOutcome outcome = Bake("dejavu16", {"16", "--padding", "2"});
  ASSERT_EQ(0, outcome.status) << outcome.err;
  GlyphFile file = ReadGlyphFile(Host("dejavu16.xml"));
  ExpectSoundGlyphFile(file, 256, 256, 2);
  EXPECT_EQ(16, file.font[0]);
  // Latin-1 without the space: the quotes, & and the angle brackets came
  // through as entities, 160 as UTF-8.
  std::set<uint16_t> expected;
  for (uint16_t c = 33; c <= 126; ++c) expected.insert(c);
  for (uint16_t c = 160; c <= 255; ++c) expected.insert(c);
  std::set<uint16_t> mapped;
  for (const auto& entry : file.chars) mapped.insert(entry.first);
  EXPECT_EQ(expected, mapped);
  for (const GlyphLine& g : file.glyphs) EXPECT_EQ(0, g.page);
  EXPECT_FALSE(Exists("dejavu16_a.png"));
  ExpectPageImages(file, "dejavu16", 1, 2);

  // The spacing file, through the engine's reader, repeats the glyph file's metrics.
  Parcon parcon;
  ASSERT_TRUE(parcon.Open("dejavu16.fnt", true));
  std::map<std::string, float> spacing;
  for (size_t i = 1; i < parcon.Root()->size(); ++i) {
    ParconCursor cursor((*parcon.Root())[i]->List());
    if ((*parcon.Root())[i]->List() && cursor.Name()) spacing[cursor.Name()] = cursor.NextFloat(true, -1);
  }
  std::map<std::string, float> fromGlyphFile = {{"space_length", static_cast<float>(file.font[1])},
                                                {"character_spacing", 0},
                                                {"line_spacing", static_cast<float>(file.font[4])},
                                                {"paragraph_spacing", 0}};
  EXPECT_EQ(fromGlyphFile, spacing);
}

TEST_F(FontgenTest, SmallPagesGiveLetteredPageFiles) {
  FontgenOutcome outcome = Bake("small24", {"24", "--page", "64x64", "--padding", "4"});
  ASSERT_EQ(0, outcome.status) << outcome.err;
  GlyphFile file = ReadGlyphFile(Host("small24.xml"));
  ExpectSoundGlyphFile(file, 64, 64, 4);
  long pages = 0;
  for (const GlyphLine& g : file.glyphs) pages = std::max(pages, g.page + 1);
  ASSERT_GT(pages, 1);
  EXPECT_FALSE(Exists("small24.png"));
  EXPECT_FALSE(Exists("small24_" + std::string(1, static_cast<char>('a' + pages)) + ".png"));
  ExpectPageImages(file, "small24", pages, 4);
}

TEST_F(FontgenTest, CyrillicRangeMapsEveryLetter) {
  FontgenOutcome outcome = Bake("cyr16", {"16", "--chars", "0x410-0x44F"});
  ASSERT_EQ(0, outcome.status) << outcome.err;
  GlyphFile file = ReadGlyphFile(Host("cyr16.xml"));
  ExpectSoundGlyphFile(file, 256, 256, 0);
  ASSERT_EQ(64u, file.chars.size());
  std::set<long> glyphs;
  for (uint16_t c = 0x410; c <= 0x44F; ++c) {
    ASSERT_EQ(1u, file.chars.count(c)) << c;
    glyphs.insert(file.chars[c]);
  }
  EXPECT_EQ(64u, glyphs.size());  // one glyph per letter
}

TEST_F(FontgenTest, GlyphsBeyondTheFormatAreDroppedWithTheirCharacters) {
  // At 150 pixels the top of É lies more than 127 pixels above the baseline; A still fits.
  FontgenOutcome outcome = Bake("big150", {"150", "--chars", "65,201"});
  ASSERT_EQ(0, outcome.status) << outcome.err;
  EXPECT_NE(std::string::npos, outcome.out.find("dropped 1 glyphs (1 characters)")) << outcome.out;
  GlyphFile file = ReadGlyphFile(Host("big150.xml"));
  ExpectSoundGlyphFile(file, 256, 256, 0);
  EXPECT_EQ(1u, file.glyphs.size());
  EXPECT_EQ((std::map<uint16_t, long>{{65, 0}}), file.chars);
}

TEST_F(FontgenTest, RefusalsExitWithStatusTwoAndWriteNothing) {
  std::string truncated = game_.Write("truncated.ttf", testing::ReadFile(kDejaVu).substr(0, 1000));
  struct Case {
    std::vector<std::string> args;  // "OUT" stands for the output base name
    std::string message;
  };
  const Case cases[] = {
      {{"/no/such/font.ttf", "16", "OUT"}, "cannot open the font file \"/no/such/font.ttf\""},
      {{truncated, "16", "OUT"}, "FreeType cannot read"},
      {{kDejaVu, "3", "OUT"}, "size \"3\" is not"},
      {{kDejaVu, "256", "OUT"}, "size \"256\" is not"},
      {{kDejaVu, "16", "OUT", "--chars", "1-31"}, "none of the characters asked for has a glyph"},
      {{kDejaVu, "150", "OUT", "--chars", "201"}, "every glyph of the characters asked for is too large"},
      {{kDejaVu, "16", "OUT", "--chars", "0x41-0x10000"}, "above 0xFFFF"},
      {{kDejaVu, "16", "OUT", "--chars", "65-"}, "bad character range \"65-\""},
      {{kDejaVu, "16", "OUT", "--chars", "90-65"}, "runs backwards"},
      {{kDejaVu, "16", "OUT", "--padding", "3"}, "padding \"3\""},
      {{kDejaVu, "16", "OUT", "--padding", "18"}, "padding \"18\""},
      {{kDejaVu, "16", "OUT", "--page", "256"}, "page \"256\""},
      {{kDejaVu, "16", "OUT", "--page", "16x16"}, "more than 26 pages of 16x16"},
      {{kDejaVu, "16", "OUT", "--bold"}, "unknown option \"--bold\""},
      {{kDejaVu, "16"}, "expected FONT SIZE OUT_BASENAME"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    for (std::string& arg : args)
      if (arg == "OUT") arg = Host("refused");
    FontgenOutcome outcome = RunFontgen(args);
    EXPECT_EQ(2, outcome.status) << c.message;
    EXPECT_EQ(0u, outcome.err.find("tarn-fontgen: ")) << outcome.err;
    EXPECT_NE(std::string::npos, outcome.err.find(c.message)) << outcome.err;
    EXPECT_FALSE(Exists("refused.xml")) << c.message;
  }
}

TEST(FontgenCharRanges, CodesAndRangesInDecimalAndHex) {
  struct Case {
    std::string text;
    std::vector<uint16_t> codes;
  };
  const Case cases[] = {
      {"65", {65}},
      {"0x41-0x43,66", {65, 66, 67}},
      {"0X7e,126,0xFFFF", {126, 0xFFFF}},
      {"300-298", {}},
      {"", {}},
      {"1,,2", {}},
      {"0x", {}},
  };
  for (const Case& c : cases) {
    std::vector<uint16_t> codes;
    std::string error;
    bool ok = fontgen::ParseCharRanges(c.text, codes, error);
    EXPECT_EQ(!c.codes.empty(), ok) << c.text << ": " << error;
    if (ok) {
      EXPECT_EQ(c.codes, codes) << c.text;
    }
  }
}

}  // namespace
}  // namespace tarn
