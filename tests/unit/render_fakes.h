// Stand-ins for the render device's tests: a back end that draws nothing,
// with the default renderer's conventions (the base of the tests' recording
// and failing back ends), and the set-up of a device.
#pragma once

#include "graphics/backend.h"
#include "graphics/render.h"

namespace tarn::testing {

// A device whose game image fills its window.
inline gfx::DeviceSetup WindowSetup(int width, int height, bool perspective) {
  gfx::DeviceSetup setup;
  setup.width = setup.gameWidth = width;
  setup.height = setup.gameHeight = height;
  setup.perspective = perspective;
  return setup;
}

class StubBackend : public gfx::Backend {
 public:
  bool Init(int, int, bool) override { return true; }
  void Close() override {}
  int Width() const override { return 800; }
  int Height() const override { return 600; }
  bool HalfPixelOffset() const override { return true; }
  bool FlipsTargets() const override { return false; }
  gfx::TextureHandle CreateTexture(int, int, bool, bool, const uint8_t*) override { return 1; }
  void ReleaseTexture(gfx::TextureHandle) override {}
  bool ReadTexture(gfx::TextureHandle, gfx::PixelImage&) override { return false; }
  bool BeginTarget(gfx::TextureHandle, uint32_t) override { return true; }
  void EndTarget() override {}
  void Clear() override {}
  void SetProjection(const float*, int, int) override {}
  void SetStates(const gfx::RenderStates&) override {}
  void Draw(const gfx::Quad&, gfx::TextureHandle, int) override {}
  bool Present() override { return true; }
  bool ReadBackBuffer(gfx::PixelImage&) override { return false; }
};

}  // namespace tarn::testing
