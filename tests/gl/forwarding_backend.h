// The engine's render device on one of the rig's back ends.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "gl_rig.h"
#include "graphics/backend.h"
#include "graphics/render.h"

namespace tarn::gfx::gltest {

// Hands every call to one of the rig's back ends, which outlives the device
// that owns the forwarder, and keeps the textures made through it that are
// not released yet.
class ForwardingBackend : public Backend {
 public:
  ForwardingBackend(Backend& to, std::set<TextureHandle>& live) : to_(to), live_(live) {}

  // The rig started its back ends on the window; the device's start and
  // close leave them as they are.
  bool Init(int width, int height, bool bit16) override {
    return !bit16 && width == to_.Width() && height == to_.Height();
  }
  void Close() override {}
  int Width() const override { return to_.Width(); }
  int Height() const override { return to_.Height(); }
  bool HalfPixelOffset() const override { return to_.HalfPixelOffset(); }
  bool FlipsTargets() const override { return to_.FlipsTargets(); }
  bool ReportsLifecycle() const override { return to_.ReportsLifecycle(); }
  bool AddressModePerTexture() const override { return to_.AddressModePerTexture(); }
  bool SetsBlendFactorsTogether() const override { return to_.SetsBlendFactorsTogether(); }
  bool TargetsResetCulling() const override { return to_.TargetsResetCulling(); }
  bool TakesDds() const override { return to_.TakesDds(); }
  TextureHandle CreateTexture(int width, int height, bool alpha, bool renderTarget, const uint8_t* bgra) override {
    return Keep(to_.CreateTexture(width, height, alpha, renderTarget, bgra));
  }
  TextureHandle CreateStoredTexture(int width, int height, bool alpha, const uint8_t* bgra,
                                    TextureStorage storage) override {
    return Keep(to_.CreateStoredTexture(width, height, alpha, bgra, storage));
  }
  bool StoresReducedTextures() const override { return to_.StoresReducedTextures(); }
  void ReleaseTexture(TextureHandle texture) override {
    live_.erase(texture);
    to_.ReleaseTexture(texture);
  }
  int MaxTextureSide() const override { return to_.MaxTextureSide(); }
  bool ReadTexture(TextureHandle texture, PixelImage& out) override { return to_.ReadTexture(texture, out); }
  bool BeginTarget(TextureHandle texture, uint32_t clearArgb) override { return to_.BeginTarget(texture, clearArgb); }
  void EndTarget() override { to_.EndTarget(); }
  void Clear() override { to_.Clear(); }
  void SetProjection(const float matrix[16], int width, int height) override {
    to_.SetProjection(matrix, width, height);
  }
  void SetStates(const RenderStates& states) override { to_.SetStates(states); }
  void Draw(const Quad& quad, TextureHandle texture, int mode) override { to_.Draw(quad, texture, mode); }
  void DrawBatch(const Quad* quads, int count, TextureHandle texture, int mode) override {
    to_.DrawBatch(quads, count, texture, mode);
  }
  bool Present() override { return to_.Present(); }
  bool ReadBackBuffer(PixelImage& out) override { return to_.ReadBackBuffer(out); }
  bool HasDebugFont() const override { return to_.HasDebugFont(); }
  void DrawDebugText(int x, int y, const std::string& text, uint32_t argb) override {
    to_.DrawDebugText(x, y, text, argb);
  }
  int MeasureDebugText(const std::string& text) override { return to_.MeasureDebugText(text); }
  int DebugFontHeight() const override { return to_.DebugFontHeight(); }

 private:
  TextureHandle Keep(TextureHandle texture) {
    if (texture != 0) live_.insert(texture);
    return texture;
  }
  Backend& to_;
  std::set<TextureHandle>& live_;
};

// The render device on a forwarder to 'backend', window-sized, in the
// projection asked for.
inline bool StartDevice(Backend& backend, bool perspective, std::set<TextureHandle>& live) {
  DeviceSetup setup;
  setup.width = setup.gameWidth = kWidth;
  setup.height = setup.gameHeight = kHeight;
  setup.perspective = perspective;
  return RenderDevice::Instance().InitDevice(std::make_unique<ForwardingBackend>(backend, live), setup);
}

}  // namespace tarn::gfx::gltest
