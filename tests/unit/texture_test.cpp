#include <cstring>
#include <vector>

#include "graphics/dds.h"
#include "graphics/sprite_file.h"
#include "graphics/texture.h"
#include "test_support.h"

namespace tarn::gfx {
namespace {

TEST(SpriteFile, RecordsUntilTheFirstIncompleteOne) {
  std::vector<Sprite> sprites =
      ParseSprites("button_on 0 0 120 40 60 20\nbutton_off\t0 40 120.9 40 -60.7 20\nbad 1 2 x 4 5 6\nlate 1 1 1 1 1 1");
  ASSERT_EQ(2u, sprites.size());
  EXPECT_EQ("button_on", sprites[0].name);
  EXPECT_EQ(120, sprites[0].width);
  EXPECT_EQ(60, sprites[0].pivotX);
  EXPECT_EQ(120, sprites[1].width) << "truncated toward zero";
  EXPECT_EQ(-60, sprites[1].pivotX);
  EXPECT_EQ(1u, ParseSprites("last 1 2 3 4 5 6").size()) << "no line end needed";
  EXPECT_EQ(0u, ParseSprites("short 1 2 3").size());
  EXPECT_EQ(2u, ParseSprites("a 0 0 1 1 0 0 a 1 1 1 1 0 0").size()) << "duplicates kept";
}

TEST(TextureKeys, LowerCaseSlashesNoExtension) {
  EXPECT_EQ("gfx/menu/back", TextureKey("Gfx\\Menu\\Back.PNG"));
  EXPECT_EQ("gfx/menu/back", TextureKey("gfx/menu/back"));
  EXPECT_EQ("gfx.dir/hero", TextureKey("gfx.dir/hero")) << "a dot in a folder is no extension";
  EXPECT_EQ(18000, EstimateTextureBytes(100, 60, 1, false, false, false));
  EXPECT_EQ(128 * 64 * 4, EstimateTextureBytes(128, 64, 1, true, false, false));
  EXPECT_EQ(104 * 60 / 2, EstimateTextureBytes(101, 57, 1, false, true, false));
  EXPECT_EQ(16 * 16 * 2 + 8 * 8 * 2, EstimateTextureBytes(16, 16, 2, true, false, true));
}

std::vector<uint8_t> DdsHeader(uint32_t width, uint32_t height, const char* fourCC, uint32_t bits = 0) {
  std::vector<uint8_t> file(128, 0);
  auto put = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
  std::memcpy(file.data(), "DDS ", 4);
  put(4, 124);
  put(12, height);
  put(16, width);
  put(76, 32);
  if (fourCC) {
    put(80, 0x4);
    std::memcpy(&file[84], fourCC, 4);
  } else {
    put(80, 0x41);
    put(88, bits);
    put(92, 0x00FF0000);
    put(96, 0x0000FF00);
    put(100, 0x000000FF);
    put(104, 0xFF000000);
  }
  return file;
}

TEST(Dds, DecodesBlocksAndRefusesShortFiles) {
  // One DXT1 block: colour 0 pure red, colour 1 pure blue, all texels index 0
  // except the last, index 1.
  std::vector<uint8_t> file = DdsHeader(4, 4, "DXT1");
  uint8_t block[8] = {0x00, 0xF8, 0x1F, 0x00, 0, 0, 0, 0x40};
  file.insert(file.end(), block, block + 8);
  DdsImage image;
  ASSERT_TRUE(DecodeDds(file.data(), file.size(), image));
  EXPECT_FALSE(image.alpha);
  uint32_t first, last;
  std::memcpy(&first, &image.bgra[0], 4);
  std::memcpy(&last, &image.bgra[15 * 4], 4);
  EXPECT_EQ(0xFFFF0000u, first);
  EXPECT_EQ(0xFF0000FFu, last);
  EXPECT_FALSE(DecodeDds(file.data(), file.size() - 1, image)) << "a truncated block";

  std::vector<uint8_t> raw = DdsHeader(2, 1, nullptr, 32);
  uint8_t pixels[8] = {0x10, 0x20, 0x30, 0x40, 0xAA, 0xBB, 0xCC, 0xDD};
  raw.insert(raw.end(), pixels, pixels + 8);
  ASSERT_TRUE(DecodeDds(raw.data(), raw.size(), image));
  EXPECT_TRUE(image.alpha);
  EXPECT_EQ(0x10, image.bgra[0]);
  EXPECT_EQ(0x40, image.bgra[3]);

  std::vector<uint8_t> huge = DdsHeader(100000, 100000, "DXT5");
  EXPECT_FALSE(DecodeDds(huge.data(), huge.size(), image)) << "sizes are not trusted";
  EXPECT_FALSE(DecodeDds(raw.data(), 100, image));
}

}  // namespace
}  // namespace tarn::gfx
