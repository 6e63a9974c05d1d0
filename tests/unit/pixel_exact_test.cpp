// An unrotated, unscaled sprite at a whole-pixel position reproduces its
// texels exactly on the software renderer, whatever the position, the target
// size, the projection, the address mode and the texture (with or without
// alpha, power-of-two or not, the whole texture or a cut from a sheet).
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "graphics/render.h"
#include "graphics/sprite.h"
#include "render_fakes.h"
#include "test_support.h"

namespace tarn::gfx {
namespace {

class PixelExactTest : public testing::EngineTest {
 protected:
  void TearDown() override {
    RenderDevice::Instance().ResetForTests();
    testing::EngineTest::TearDown();
  }
};

struct Target {
  int width, height;
  bool perspective;
};

struct Sheet {
  int width, height;  // the texture
  int x, y, w, h;     // the sprite cut from it
  bool alpha;
};

TEST_F(PixelExactTest, UnscaledSpritesCopyTheirTexels) {
  const Target targets[] = {{800, 600, true}, {800, 600, false}, {1000, 700, true}, {333, 257, false},
                            {1366, 768, true}, {1920, 1080, false}, {97, 61, true}};
  const Sheet sheets[] = {{64, 64, 0, 0, 64, 64, true},   {37, 23, 0, 0, 37, 23, true},
                          {128, 64, 32, 16, 64, 32, true}, {100, 60, 10, 7, 53, 41, false},
                          {256, 8, 0, 0, 256, 8, false},  {30, 90, 3, 40, 20, 50, true}};
  const int modes[] = {kAddressWrap, kAddressClamp, kAddressMirror};
  std::mt19937 rng(77);
  std::string failures;
  int cases = 0, wrong = 0;
  for (const Target& target : targets) {
    RenderDevice& device = RenderDevice::Instance();
    device.ResetForTests();
    ASSERT_TRUE(device.InitDevice(CreateSoftwareBackend(), testing::WindowSetup(target.width, target.height,
                                                                               target.perspective)));
    for (const Sheet& sheet : sheets) {
      // Opaque texels of random colours: blending gives each one back.
      std::vector<uint8_t> bgra(static_cast<size_t>(sheet.width) * sheet.height * 4);
      for (size_t i = 0; i < bgra.size(); ++i) bgra[i] = i % 4 == 3 ? 255 : static_cast<uint8_t>(rng());
      TextureHandle texture =
          device.GetBackend()->CreateTexture(sheet.width, sheet.height, sheet.alpha, false, bgra.data());
      ASSERT_NE(0u, texture);
      for (int mode : modes) {
        for (int round = 0; round < 4; ++round) {
          // Anywhere on the target, sometimes over its edges.
          int x = static_cast<int>(rng() % (target.width + sheet.w)) - sheet.w / 2;
          int y = static_cast<int>(rng() % (target.height + sheet.h)) - sheet.h / 2;
          device.ClearFrame();
          SpriteDraw d;
          d.x = static_cast<float>(x);
          d.y = static_cast<float>(y);
          d.width = static_cast<float>(sheet.w);
          d.height = static_cast<float>(sheet.h);
          d.uLeft = static_cast<float>(sheet.x) / sheet.width;
          d.uRight = static_cast<float>(sheet.x + sheet.w) / sheet.width;
          d.vTop = static_cast<float>(sheet.y) / sheet.height;
          d.vBottom = static_cast<float>(sheet.y + sheet.h) / sheet.height;
          d.texture = texture;
          d.addressMode = mode;
          DrawSprite(d);
          PixelImage image;
          ASSERT_TRUE(device.GetBackend()->ReadBackBuffer(image));
          ++cases;
          int differing = 0;
          for (int ty = 0; ty < sheet.h; ++ty)
            for (int tx = 0; tx < sheet.w; ++tx) {
              int px = x + tx, py = y + ty;
              if (px < 0 || py < 0 || px >= target.width || py >= target.height) continue;
              const uint8_t* want = &bgra[(static_cast<size_t>(sheet.y + ty) * sheet.width + sheet.x + tx) * 4];
              const uint8_t* got = &image.bgra[(static_cast<size_t>(py) * target.width + px) * 4];
              differing += want[0] != got[0] || want[1] != got[1] || want[2] != got[2];
            }
          if (differing > 0) {
            ++wrong;
            if (failures.size() < 2000)
              failures += std::to_string(target.width) + "x" + std::to_string(target.height) +
                          (target.perspective ? " perspective" : " ortho") + ", sprite " + std::to_string(sheet.w) +
                          "x" + std::to_string(sheet.h) + " of " + std::to_string(sheet.width) + "x" +
                          std::to_string(sheet.height) + ", mode " + std::to_string(mode) + " at " +
                          std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(differing) +
                          " pixels differ\n";
          }
        }
      }
      device.GetBackend()->ReleaseTexture(texture);
    }
  }
  EXPECT_EQ(0, wrong) << wrong << " of " << cases << " drawings not exact:\n" << failures;
}

}  // namespace
}  // namespace tarn::gfx
