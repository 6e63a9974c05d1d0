#include <string>

#include "resources/filesystem.h"
#include "test_support.h"
#include "text/font_file.h"
#include "text/text_renderer.h"

namespace tarn::text {
namespace {

class FontTest : public testing::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    TextRenderer::Instance().ResetForTests();
  }
  void TearDown() override {
    TextRenderer::Instance().ResetForTests();
    DataFolderTest::TearDown();
  }
  // A font file with one glyph for each of the characters.
  void PutFont(const std::string& name, const std::string& chars, const std::string& fontLine = "") {
    std::string file = fontLine.empty() ? "<font size=\"16\"/>\n" : fontLine + "\n";
    for (size_t i = 0; i < chars.size(); ++i) {
      file += "<glyph p=\"0\" x=\"0\" y=\"10\" a=\"8\" x1=\"0\" y1=\"0\" x2=\"6\" y2=\"10\"/>\n";
      file += "<char c=\"" + chars.substr(i, 1) + "\" g=\"" + std::to_string(i) + "\"/>\n";
    }
    Put("fonts/" + name, file);
  }
  TextRenderer& renderer = TextRenderer::Instance();
};

TEST(GlyphLines, ValuesInQuoteOrderWhateverTheNames) {
  std::string values[8];
  std::string line = R"( any="1" 'two' zz="it's" q='say "hi"' "open)";
  ASSERT_EQ(4, LineValues(line.c_str(), line.size(), values, 8));
  EXPECT_EQ("1", values[0]);
  EXPECT_EQ("two", values[1]);
  EXPECT_EQ("it's", values[2]);
  EXPECT_EQ("say \"hi\"", values[3]);
}

TEST(GlyphLines, GlyphsCharactersAndMetrics) {
  Font font;
  const std::string file =
      "<?xml version=\"1.0\"?>\n"
      "<font a=\"20\" b=\"4.5\" c=\"2\" d=\"1\" e=\"3\" f=\"6\"/>\r\n"
      "<font a=\"x\" b=\"5\"/>\n"                          // not a number: the size stays
      "<glyph a=\"1\" b=\"-2\" c=\"12\" d=\"9\" e=\"10\" f=\"20\" g=\"16\" h=\"30\"/>\n"
      "<glyph a=\"0\" b=\"0\" c=\"0\" d=\"7\" e=\"40\" f=\"0\" g=\"30\" h=\"8\"/>\n"  // turned
      "<glyph a=\"300\"/>\n"                                // missing values read as 0
      "<Glyph a=\"1\"/>\n"                                  // tags are case sensitive
      "<char c=\"&amp;\" g=\"0\"/>\n<char c=\"&nbsp;\" g=\"1\"/>\n<char c=\"&bogus;\" g=\"1\"/>\n"
      "<char c=\"\xC5\x82\" g=\"1\"/>\n<char c=\"A B\" g=\"2\"/>\n<char c=\"A\" g=\"0\"/>\n"
      "<char c=\"\" g=\"0\"/>\n<char c=\"z\" g=\"-1\"/>\n<char c=\"y\"/>\n"
      "<char c=\"q\" g=\"99\"/>";  // the last line has no line feed
  GlyphFileContents contents = ReadGlyphLines(file.data(), file.size(), font);
  EXPECT_EQ(20.0f, font.metrics.pixelSize);
  EXPECT_EQ(5.0f, font.metrics.spaceLength);
  EXPECT_EQ(2.0f, font.metrics.glyphPadding);
  EXPECT_EQ(6.0f, font.metrics.paragraphSpacing);
  ASSERT_EQ(3u, font.glyphs.size());
  const Glyph& g = font.glyphs[0];
  EXPECT_EQ(1, g.page);
  EXPECT_EQ(-2, g.offsetX);
  EXPECT_EQ(-12, g.offsetY) << "stored negated";
  EXPECT_EQ(6, g.width);
  EXPECT_EQ(10, g.height);
  EXPECT_EQ(1, g.cornerB);
  const Glyph& turned = font.glyphs[1];
  EXPECT_EQ(8, turned.width) << "from the other axis";
  EXPECT_EQ(10, turned.height);
  EXPECT_EQ(3, turned.cornerB);
  EXPECT_EQ(1, turned.cornerD);
  EXPECT_EQ(300 & 0xFF, font.glyphs[2].page) << "kept in 8 bits";
  const std::map<uint16_t, uint32_t> expected = {{38, 0}, {32, 1}, {0x142, 1}, {'A', 2}, {'q', 99}};
  EXPECT_EQ(expected, contents.characters);
}

TEST(GlyphLines, LongLinesAreSkippedAndTheRestIsRead) {
  Font font;
  std::string file = "<glyph a=\"0\" x=\"" + std::string(10000, '7') + "\"/>\n<glyph a=\"2\"/>\n";
  GlyphFileContents contents = ReadGlyphLines(file.data(), file.size(), font);
  EXPECT_EQ(1, contents.longLines);
  ASSERT_EQ(1u, font.glyphs.size());
  EXPECT_EQ(2, font.glyphs[0].page);
}

TEST(GlyphLines, NameAndSizeFromThePath) {
  struct Case {
    const char* path;
    float pixelSize;
    const char* name;
    int size;
  } cases[] = {{"fonts/Arial24.xml", 10, "arial", 24},
               {"fonts\\big.fonts\\Title.xml", 31.7f, "title", 31},
               {"fonts/v2/mono", 12, "mono", 12},
               {"a/x99999999999.xml", 10, "x", 2147483647}};
  for (const Case& c : cases) {
    std::string name;
    int32_t size = 0;
    NameFromPath(c.path, c.pixelSize, name, size);
    EXPECT_EQ(c.name, name) << c.path;
    EXPECT_EQ(c.size, size) << c.path;
  }
  EXPECT_EQ("fonts/arial24", PageName("fonts/arial24.xml", 0, 1));
  EXPECT_EQ("fonts/arial24_a", PageName("fonts/arial24.xml", 0, 2));
  EXPECT_EQ("fonts/arial24_b", PageName("fonts/arial24.xml", 1, 2));
}

TEST_F(FontTest, LoadingFindsTheSameFontAndReplacesByNameAndSize) {
  PutFont("Arial24.xml", "ab");
  PutFont("other/arial24.xml", "abc");
  Put("fonts/arial24.fnt", "(Space_Length 7) (line_spacing 2.5) (other 9)");
  Font* first = renderer.LoadFont("FONTS\\Arial24.XML");
  ASSERT_NE(nullptr, first);
  EXPECT_EQ("fonts/arial24.xml", first->path);
  EXPECT_EQ(7.0f, first->metrics.spaceLength);
  EXPECT_EQ(2.5f, first->metrics.lineSpacing);
  EXPECT_EQ(first, renderer.LoadFont("fonts/arial24.xml"));
  EXPECT_EQ("Loaded font: fonts/arial24.xml\n", Lines(3)) << "the second load logs nothing";
  ASSERT_TRUE(renderer.SetFont("arial", 24));
  Font* second = renderer.LoadFont("fonts/other/arial24.xml");
  ASSERT_NE(nullptr, second);
  ASSERT_EQ(1u, renderer.Fonts().size()) << "replaced in place";
  EXPECT_EQ(3u, second->glyphs.size());
  EXPECT_EQ(nullptr, renderer.CurrentFont()) << "the replaced font was current";
}

TEST_F(FontTest, FontsWithoutUsableMappingsFail) {
  Put("fonts/none10.xml", "<glyph a=\"0\"/>\n<char c=\"a\" g=\"1\"/>\n");
  EXPECT_EQ(nullptr, renderer.LoadFont("fonts/none10.xml"));
  EXPECT_EQ(nullptr, renderer.LoadFont("fonts/missing10.xml"));
  EXPECT_EQ("Can't load font: fonts/none10.xml\nCan't load font: fonts/missing10.xml\n", Lines(3));
  EXPECT_TRUE(renderer.Fonts().empty());
}

TEST_F(FontTest, SizeSelectionPrefersTheSmallestLargerFont) {
  for (const char* name : {"arial12.xml", "arial24.xml", "arial48.xml"}) PutFont(name, "a");
  EXPECT_EQ(3, renderer.LoadFonts("fonts/*.xml"));
  struct Case {
    int asked, chosen;
  } cases[] = {{20, 24}, {24, 24}, {60, 48}, {10, 12}};
  for (const Case& c : cases) {
    ASSERT_TRUE(renderer.SetFont("Arial", c.asked)) << c.asked;
    EXPECT_EQ(c.chosen, renderer.CurrentFont()->size) << c.asked;
    EXPECT_FLOAT_EQ(static_cast<float>(c.asked) / static_cast<float>(c.chosen), renderer.Scale());
  }
  ASSERT_TRUE(renderer.SetFont("arial48", 0)) << "the size ends the name";
  EXPECT_EQ(48, renderer.CurrentFont()->size);
  EXPECT_FALSE(renderer.SetFont("arial", 0));
  EXPECT_FALSE(renderer.SetFont("times", 12));
  EXPECT_EQ(nullptr, renderer.CurrentFont());
  EXPECT_EQ("Bad font size <name=arial, size=0>\nFont not found: times\n", Lines(1));
}

TEST_F(FontTest, ReleasingByNameOrSizeEmptiesTheLayoutThatUsedIt) {
  for (const char* name : {"arial12.xml", "arial24.xml", "mono10.xml"}) PutFont(name, "ab");
  renderer.LoadFonts("fonts/*");
  ASSERT_TRUE(renderer.SetFont("arial24", 0));
  ASSERT_EQ(2, renderer.LayoutText(u"ab", 0, 0, 0, 0xFFFFFFFF));
  EXPECT_TRUE(renderer.ReleaseFonts("ARIAL24"));
  EXPECT_EQ(0, renderer.StoredLayout().count) << "no item may point into the released font";
  EXPECT_EQ(nullptr, renderer.CurrentFont());
  EXPECT_FALSE(renderer.ReleaseFonts("arial24"));
  EXPECT_TRUE(renderer.ReleaseFonts("arial"));
  ASSERT_EQ(1u, renderer.Fonts().size());
  EXPECT_EQ("mono", renderer.Fonts()[0]->name);
}

TEST_F(FontTest, HugeGlyphFilesKeepTheFirstGlyphs) {
  std::string file = "<char c=\"a\" g=\"65534\"/>\n<char c=\"b\" g=\"65535\"/>\n";
  for (int i = 0; i < 70000; ++i) file += "<glyph p=\"0\" a=\"0\" b=\"0\" c=\"5\"/>\n";
  Put("fonts/huge10.xml", file);
  Font* font = renderer.LoadFont("fonts/huge10.xml");
  ASSERT_NE(nullptr, font);
  EXPECT_EQ(kMaxGlyphs, font->glyphs.size());
  EXPECT_NE(nullptr, font->Find('a'));
  EXPECT_EQ(nullptr, font->Find('b')) << "beyond the glyphs kept";
  EXPECT_EQ("fonts/huge10.xml: 4465 glyph(s) beyond the first 65535 ignored\n", Lines(1));
}

}  // namespace
}  // namespace tarn::text
