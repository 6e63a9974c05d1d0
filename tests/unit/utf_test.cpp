#include "resources/utf.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(Utf8ToUtf16, DecodesAndSkipsBrokenSequences) {
  EXPECT_EQ(u"\u00e9", Utf8ToUtf16("\xC3\xA9"));
  EXPECT_EQ(std::u16string(1, u'\0'), Utf8ToUtf16("\x80")) << "a stray continuation byte keeps its low bits";
  EXPECT_EQ(u"x", Utf8ToUtf16("\xE2\x82x")) << "the broken sequence writes nothing";
  EXPECT_EQ(u"\u20ac", Utf8ToUtf16("\xE2\x82\xAC"));
  EXPECT_EQ(std::u16string(1, static_cast<char16_t>(0xF600)), Utf8ToUtf16("\xF0\x9F\x98\x80"))
      << "beyond U+FFFF only the low 16 bits stay";
  EXPECT_EQ(u"ab", Utf8ToUtf16("abcdef", 2));
  EXPECT_EQ(u"a", Utf8ToUtf16(std::string("a\0b", 3))) << "stops at a zero byte";
  EXPECT_EQ(u"", Utf8ToUtf16("\xE2")) << "a lead byte at the very end reads nothing past it";
}

TEST(Utf16ToUtf8, EncodesEachUnitAndRespectsTheLimit) {
  EXPECT_EQ("\xE2\x82\xAC", Utf16ToUtf8(u"\u20ac"));
  EXPECT_EQ("\xC3\xA9", Utf16ToUtf8(u"\u00e9"));
  EXPECT_EQ("ab", Utf16ToUtf8(u"ab\u20ac", 3));
  EXPECT_EQ("\xED\xA0\xBD", Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(0xD83D))))
      << "surrogates are encoded on their own";
}

}  // namespace
}  // namespace tarn
