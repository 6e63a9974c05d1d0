#include <gtest/gtest.h>

#include "graphics/image/reader.h"

namespace tarn::gfx {
namespace {

TEST(ImageReader, ChosenByExtensionInAnyCase) {
  struct Case {
    const char* extension;
    ImageReadFunction expected;  // null: no reader
  };
  const Case cases[] = {
      {"png", ReadPNG}, {"PNG", ReadPNG}, {"jpg", ReadJPEG}, {"JpG", ReadJPEG}, {"tga", ReadTGA},
      {"bmp", ReadBMP}, {"BMP", ReadBMP}, {"dds", nullptr},  {"jpeg", nullptr}, {"gif", nullptr},
      {"pn", nullptr},  {"pngs", nullptr}, {"", nullptr},
  };
  for (const Case& c : cases) {
    const ImageReader* reader = FindImageReader(c.extension);
    if (!c.expected) {
      EXPECT_EQ(nullptr, reader) << c.extension;
      continue;
    }
    ASSERT_NE(nullptr, reader) << c.extension;
    EXPECT_EQ(c.expected, reader->read) << c.extension;
  }
}

}  // namespace
}  // namespace tarn::gfx
