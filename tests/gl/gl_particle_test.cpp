// A particle scene (added, subtracted and alpha-blended generators, spinning,
// scaled and tinted particles) drawn through the engine looks the same on
// the OpenGL back end as on the software back end.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "forwarding_backend.h"
#include "gl_rig.h"
#include "graphics/image/png_file.h"
#include "graphics/render.h"
#include "graphics/sprite.h"
#include "graphics/texture.h"
#include "particles/effect.h"
#include "particles/random.h"
#include "resources/filesystem.h"

namespace tarn::gfx {
namespace {

using namespace gltest;  // NOLINT: the rig's names read as this file's own

constexpr const char* kEffect = R"((generator (texture "disc.png") (blending "add")
  (particle_limit 120) (flow [0 80]) (starting_direction 0 0 360) (starting_velocity 0 30 90)
  (gravity 20 40) (tangential_acceleration -30 30) (starting_rotation 0 0 360) (particle_spin 0 120)
  (particle_scale [0 0.5] [1.5 2]) (particle_color [0 1 0.6 0.2] [1.5 0.2 0.6 1]) (particle_alpha [0 1] [1.5 0.2]))
(generator (texture "disc.png") (blending "subtr") (particle_limit 40) (burst [0 40])
  (starting_velocity 0 10 40) (starting_direction 0 0 360) (particle_color 0 0.5 0.5 0) (particle_alpha [0 1] [3 1]))
(generator (texture "disc.png") (particle_limit 60) (flow [0 40]) (starting_direction 0 80 100)
  (starting_velocity 0 60) (relative_rotation 1) (particle_alpha [0 0.8] [2 0.8]) (particle_scale 0 1.5))
)";

// A 16 x 16 white disc with a soft edge on transparent.
void WriteDisc(const std::string& path) {
  PixelImage disc;
  disc.width = disc.height = 16;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      double d = std::hypot(x + 0.5 - 8, y + 0.5 - 8) / 8;
      uint8_t a = d >= 1 ? 0 : static_cast<uint8_t>(255 * (1 - d));
      disc.bgra.insert(disc.bgra.end(), {255, 255, 255, a});
    }
  ASSERT_TRUE(WritePngFile(path, disc));
}

void DrawScene(Backend& backend, bool perspective, const std::string& folder, PixelImage& image) {
  RenderDevice& device = RenderDevice::Instance();
  FileSystem::Instance().ResetForTests();
  device.ResetForTests();
  ASSERT_TRUE(FileSystem::Instance().Mount(folder));
  std::set<TextureHandle> live;
  ASSERT_TRUE(StartDevice(backend, perspective, live));
  particles::SeedRandom(5);
  std::unique_ptr<particles::ParticleEffect> effect = particles::LoadEffect("fx.eff");
  ASSERT_TRUE(effect);
  particles::SetEffectPosition(*effect, 160, 120);
  for (int i = 0; i < 45; ++i) particles::UpdateEffect(*effect, 1 / 30.0f);
  ASSERT_TRUE(device.BeginScene());
  device.ClearFrame();
  device.SetBlendMode(0);
  DrawBox(0, 0, 0, kWidth, kHeight, TintFromArgb(0x405060), 0, 1, 1);
  device.SetBlendMode(1);
  particles::DrawEffect(*effect);
  device.EndScene();
  EXPECT_TRUE(backend.ReadBackBuffer(image));
  effect.reset();
  TextureManager::Instance().ReleaseAllTextures(false);
  device.ResetForTests();
  FileSystem::Instance().ResetForTests();
  backend.SetStates(RenderStates());  // as the other tests expect to find it
  EXPECT_TRUE(live.empty()) << "texture(s) not released";
}

TEST(GLParticles, SceneMatchesSoftware) {
  ASSERT_TRUE(g_rig && g_rig->gl && g_rig->sw) << (g_rig ? g_rig->error : std::string("no rig"));
  char pattern[] = "/tmp/tarn-gl-particles-XXXXXX";
  ASSERT_TRUE(mkdtemp(pattern));
  const std::string folder = pattern;
  std::ofstream(folder + "/fx.eff") << kEffect;
  WriteDisc(folder + "/disc.png");
  for (bool perspective : {true, false}) {
    PixelImage images[2];
    DrawScene(*g_rig->sw, perspective, folder, images[0]);
    DrawScene(*g_rig->gl, perspective, folder, images[1]);
    ASSERT_EQ(kWidth, images[1].width);
    int drawn = 0;  // pixels the particles changed
    for (size_t i = 0; i + 3 < images[0].bgra.size(); i += 4)
      drawn += images[0].bgra[i] != 0x60 || images[0].bgra[i + 1] != 0x50 || images[0].bgra[i + 2] != 0x40;
    EXPECT_GT(drawn, 3000);
    ExpectSame(perspective ? "particles-perspective" : "particles-orthographic", images[0], images[1], false);
  }
  std::remove((folder + "/fx.eff").c_str());
  std::remove((folder + "/disc.png").c_str());
  rmdir(folder.c_str());
}

}  // namespace
}  // namespace tarn::gfx
