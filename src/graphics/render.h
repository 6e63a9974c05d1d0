// The render device: the engine's one drawing interface. Everything drawn is
// a textured, coloured quad handed to DrawImage; the back end (software or
// OpenGL) rasterises. This front holds what does not depend on the back end:
// projections, off-screen rejection, the vertex ring accounting, statistics,
// state caches and the render states scripts choose.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "graphics/backend.h"

namespace tarn::gfx {

struct Rect {
  float x = 0, y = 0, width = 0, height = 0;
};

// What a device is made with.
struct DeviceSetup {
  int width = 0, height = 0;          // the window's client size
  int gameWidth = 0, gameHeight = 0;  // the game's image (off-screen rejection, the letterbox)
  bool bit16 = false;                 // a 16-bit back buffer
  // Perspective: the origin at the target's centre, sprites at a depth and
  // tilting; otherwise target pixels.
  bool perspective = true;
};

class RenderDevice {
 public:
  static constexpr int kRingVertices = 8192;
  static constexpr float kNearPlane = 1.0f;

  static RenderDevice& Instance();

  // Device life cycle.
  bool InitDevice(std::unique_ptr<Backend> backend, const DeviceSetup& setup);
  void CloseDevice();
  bool Ready() const { return backend_ != nullptr; }
  Backend* GetBackend() { return backend_.get(); }
  // The largest texture side: the back end's limit when it has one, else the
  // largest image side the engine reads (also before any device exists).
  int MaxTextureSide() const;

  // The frame.
  void ClearFrame();
  bool BeginScene();
  bool EndScene();
  bool BeginFrame();
  // 'keepAspect': the main render target is shown letterboxed at the game's
  // aspect ratio.
  void EndFrame(bool keepAspect);
  bool Present();
  bool SceneOpen() const { return sceneOpen_; }

  // Drawing.
  void DrawImage(Quad& quad, TextureHandle texture, int addressMode);
  // Quads in target pixels that share a texture (a page of text), drawn with
  // the current states and address mode; they bypass the sprite ring and its
  // statistics. Quads outside the geometry limits are dropped; the array is
  // changed in place.
  void DrawQuadBatch(Quad* quads, int count, TextureHandle texture);
  void SetProjection(int width, int height, bool forTarget);
  void SetTextureAddress(int mode);
  void UnbindTexture();
  void ToTargetCentre(float& x, float& y) const;
  Rect ComputeLetterbox(bool keepAspect) const;
  void SetPerspectivePlanes(float distance, float farPlane, float& outDistance, float& outFar);
  float ScreenDistance() const { return screenDistance_; }
  bool PerspectiveActive() const { return perspectiveActive_; }
  void SetPerspectiveActive(bool active) { perspectiveActive_ = active; }
  const float* Projection() const { return projection_; }

  // Debug text (only back ends with the debug font draw anything).
  void DrawDebugText(float x, float y, const std::string& text, uint32_t argb);
  int MeasureDebugText(const std::string& text);
  int DebugFontHeight() const;

  // Render states.
  void SetBlendMode(int mode);
  void SetBlendFactors(int src, int dst);
  void SetBlendOp(int op);
  void SetColourMask(bool r, bool g, bool b, bool a);
  void SetAlphaTest(int func, int ref);
  void SetCullMode(int mode);
  const RenderStates& States() const { return states_; }

  // The frame's sprite statistics: two polygons for every sprite drawn (also
  // one off screen) and the sum of their areas in pixels, kept within int.
  void CountDrawnPolys(int polys, double area);
  void ResetDrawnPolys();
  int32_t DrawnPolysCount() const { return drawnPolysCount_; }
  int32_t DrawnPolysSize() const { return drawnPolysSize_; }

  // Statistics and the ring accounting.
  int DrawnQuads() const { return drawnQuads_; }
  int SkippedQuads() const { return skippedQuads_; }
  int RingPosition() const { return quadCount_; }
  int RingDiscards() const { return discards_; }
  TextureHandle BoundTexture() const { return boundTexture_; }

  // Back to the state of a fresh process (tests).
  void ResetForTests();

 private:
  void ApplyStates();

  std::unique_ptr<Backend> backend_;
  int width_ = 0;
  int height_ = 0;
  int gameWidth_ = 0;
  int gameHeight_ = 0;
  bool perspective_ = true;  // the setting; perspectiveActive_ is the projection in use
  bool sceneOpen_ = false;
  TextureHandle boundTexture_ = 0;
  int addressMode_ = 0;
  bool perspectiveActive_ = false;
  float targetWidth_ = 0, targetHeight_ = 0, halfWidth_ = 0, halfHeight_ = 0;
  float screenDistance_ = 200.0f;
  float farPlane_ = 100000.0f;
  int32_t drawnPolysCount_ = 0;
  int32_t drawnPolysSize_ = 0;
  int drawnQuads_ = 0;
  int skippedQuads_ = 0;
  int quadCount_ = 0;
  int discards_ = 0;
  float projection_[16] = {};
  RenderStates states_;
};

// Name tables of the render states.
enum class NameTable { BlendFactors, CompareFuncs, CullModes };
int LookupName(const char* name, NameTable table);

}  // namespace tarn::gfx
