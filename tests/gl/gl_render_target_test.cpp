// A render target drawn through the engine's own path (the texture manager,
// the render device, the main render target and the sprite drawing) looks
// the same on the OpenGL back end as on the software back end, the right way
// up in both: the target's first row is the image's top.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "forwarding_backend.h"
#include "gl_rig.h"
#include "graphics/render.h"
#include "graphics/render_target.h"
#include "graphics/sprite.h"
#include "graphics/texture.h"

namespace tarn::gfx {
namespace {

using namespace gltest;  // NOLINT: the rig's names read as this file's own

constexpr int kTargetWidth = 64, kTargetHeight = 48;

void Box(float x, float y, float width, float height, uint32_t rgb) {
  DrawBox(x, y, 0, width, height, TintFromArgb(rgb), 0, 1, 1);
}

// In stretch mode: the target is drawn first (red, a green mark at its
// top-left corner, a blue one at its bottom-right corner), then the frame's
// background, then the target's "main" sprite 1:1 with its centre at (60, 50)
// and doubled with its centre at (200, 120). 'image' gets the window,
// 'contents' the target's texture.
void DrawScene(Backend& backend, bool perspective, PixelImage& image, PixelImage& contents) {
  RenderDevice& device = RenderDevice::Instance();
  TextureManager& textures = TextureManager::Instance();
  device.ResetForTests();
  std::set<TextureHandle> live;
  ASSERT_TRUE(StartDevice(backend, perspective, live));
  ASSERT_TRUE(CreateMainRenderTarget(kWidth, kHeight));
  Bitmap target;
  ASSERT_TRUE(textures.CreateRenderTargetBitmap(target, kTargetWidth, kTargetHeight, true, kBitmapMainSprite));

  device.ClearFrame();
  ASSERT_TRUE(device.BeginFrame());
  device.SetBlendMode(0);
  ASSERT_TRUE(BeginRenderTarget(&target, 0xFFFF0000));
  Box(2, 2, 12, 8, 0x00FF00);
  Box(50, 38, 12, 8, 0x0000FF);
  ReturnToFrameTarget();
  Box(0, 0, kWidth, kHeight, 0x203040);
  device.SetBlendMode(1);
  SpriteDraw placement;
  placement.x = 60;
  placement.y = 50;
  RenderSprite(&target, "main", placement);
  placement.x = 200;
  placement.y = 120;
  placement.scaleX = placement.scaleY = 2;
  RenderSprite(&target, "main", placement);
  device.EndFrame(false);

  EXPECT_TRUE(backend.ReadBackBuffer(image));
  EXPECT_TRUE(backend.ReadTexture(target.record->texture, contents));
  textures.ReleaseBitmap(target);
  ReleaseMainRenderTarget();
  textures.ReleaseAllTextures(false);
  device.ResetForTests();
  backend.SetStates(RenderStates());  // as the other tests expect to find it
  EXPECT_TRUE(live.empty()) << "texture(s) not released";
}

struct Spot {
  const char* what;
  int x, y;
  uint32_t rgb;
};

// Window pixels: the 1:1 sprite's top-left corner lies at (28, 26), the
// doubled one's at (136, 72).
const Spot kWindowSpots[] = {
    {"1:1 top-left mark", 35, 31, 0x00FF00},   {"1:1 bottom-right mark", 84, 68, 0x0000FF},
    {"1:1 cleared red", 58, 46, 0xFF0000},     {"doubled top-left mark", 150, 84, 0x00FF00},
    {"doubled bottom-right mark", 248, 156, 0x0000FF}, {"doubled cleared red", 200, 120, 0xFF0000},
    {"background", 5, 200, 0x203040},
};
const Spot kTargetSpots[] = {
    {"top-left mark", 6, 5, 0x00FF00}, {"bottom-right mark", 55, 41, 0x0000FF}, {"cleared red", 30, 20, 0xFF0000}};

void ExpectSpots(const char* who, const PixelImage& image, const Spot* spots, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const Spot& spot = spots[i];
    const uint8_t* p = &image.bgra[(static_cast<size_t>(spot.y) * static_cast<size_t>(image.width) +
                                    static_cast<size_t>(spot.x)) * 4];
    const int want[3] = {static_cast<int>(spot.rgb >> 16 & 0xFF), static_cast<int>(spot.rgb >> 8 & 0xFF),
                         static_cast<int>(spot.rgb & 0xFF)};
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR(want[c], p[2 - c], kTolerance) << who << ": " << spot.what << ", channel " << c;
  }
}

TEST(GLRenderTarget, StretchModeSceneMatchesSoftware) {
  ASSERT_TRUE(g_rig && g_rig->gl && g_rig->sw) << (g_rig ? g_rig->error : std::string("no rig"));
  Backend* backends[2] = {g_rig->sw.get(), g_rig->gl.get()};
  const struct {
    bool perspective;
    std::string name;
  } kProjections[] = {{true, "target-perspective"}, {false, "target-orthographic"}};
  for (const auto& [perspective, name] : kProjections) {
    SCOPED_TRACE(name);
    PixelImage images[2], contents[2];
    for (int i = 0; i < 2; ++i) {
      const char* who = i == 0 ? "software" : "opengl";
      DrawScene(*backends[i], perspective, images[i], contents[i]);
      ASSERT_EQ(kWidth, images[i].width) << who;
      ASSERT_EQ(kTargetWidth, contents[i].width) << who;
      ExpectSpots(who, images[i], kWindowSpots, std::size(kWindowSpots));
      ExpectSpots(who, contents[i], kTargetSpots, std::size(kTargetSpots));
    }
    ExpectSame(name, images[0], images[1], false);
    ExpectSame(name + "-contents", contents[0], contents[1], true);
  }
}

}  // namespace
}  // namespace tarn::gfx
