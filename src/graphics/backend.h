// The interface between the render device front (render.h) and a back end
// that rasterises: the software rasteriser (the default renderer) or OpenGL.
// The front does all back-end-independent work: projections, off-screen
// rejection, the half-pixel shift, statistics, state caching. A back end
// receives finished quads and state and puts pixels somewhere.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarn::gfx {

// x, y, z, u, v, r, g, b, a: position in target pixels (y down), texture
// coordinates, colour and opacity 0..1 multiplied with the texture.
struct QuadVertex {
  float x, y, z, u, v, r, g, b, a;
};

// Top-left, top-right, bottom-right, bottom-left.
struct Quad {
  QuadVertex v[4];
};

enum AddressMode { kAddressWrap = 1, kAddressMirror = 2, kAddressClamp = 3 };

// Blend factors in the Direct3D numbering.
enum BlendFactor {
  kBlendZero = 1, kBlendOne, kBlendSrcColour, kBlendInvSrcColour, kBlendSrcAlpha, kBlendInvSrcAlpha,
  kBlendDestAlpha, kBlendInvDestAlpha, kBlendDestColour, kBlendInvDestColour,
};
inline constexpr int kBlendKeep = 0x7FFFFFFF;
enum BlendOp { kOpAdd = 1, kOpSubtract, kOpRevSubtract, kOpMin, kOpMax };
enum CompareFunc { kNever = 0, kLess, kEqual, kLessEqual, kGreater, kNotEqual, kGreaterEqual, kAlways };
enum CullMode { kCullNone = 1, kCullBack = 2, kCullFront = 3 };

// The pipeline state a quad is drawn with.
struct RenderStates {
  bool blendEnabled = true;
  int srcBlend = kBlendSrcAlpha;
  int dstBlend = kBlendInvSrcAlpha;
  int blendOp = kOpAdd;
  bool colourMask[4] = {true, true, true, true};  // r, g, b, a
  int alphaFunc = kAlways;                         // kAlways: no test
  int alphaRef = 0;                                // 0..255
  int cullMode = kCullNone;
};

// How an image texture is kept: full 32-bit precision, 16-bit formats
// (A4R4G4B4 with alpha, R5G6B5 without) or block compression (DXT5 with
// alpha, DXT1 without).
enum class TextureStorage { kFull, kBits16, kCompressed };

// 0 means no texture.
using TextureHandle = uintptr_t;

// Pixels exchanged with a back end: 32-bit B, G, R, A bytes per pixel, rows
// top-down, no padding.
struct PixelImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bgra;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // The back buffer has the window's client size. 'bit16' asks for a 16-bit
  // back buffer (R5G6B5).
  virtual bool Init(int width, int height, bool bit16) = 0;
  virtual void Close() = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;

  // Conventions the front adapts to.
  virtual bool HalfPixelOffset() const = 0;  // pixel centres at integer coordinates
  virtual bool FlipsTargets() const = 0;     // render targets store rows bottom-up

  // Conventions in which a back end may depart from the default renderer;
  // the defaults are the default renderer's.
  // The device logs its start, its close and the quads it drew and skipped.
  virtual bool ReportsLifecycle() const { return true; }
  // The texture address mode is kept by each texture object: binding another
  // texture forgets the mode set last.
  virtual bool AddressModePerTexture() const { return false; }
  // Both blend factors are set at once: a factor left as kBlendKeep reads as
  // kBlendOne instead of keeping its value.
  virtual bool SetsBlendFactorsTogether() const { return false; }
  // Beginning or ending a render target switches culling off.
  virtual bool TargetsResetCulling() const { return false; }
  // DDS files become textures (their blocks decoded by the front).
  virtual bool TakesDds() const { return true; }

  // Textures. 'alpha' false: the alpha channel reads as opaque. A render
  // target texture can be drawn into with BeginTarget. 'bgra' may be null
  // (contents undefined: black).
  virtual TextureHandle CreateTexture(int width, int height, bool alpha, bool renderTarget,
                                      const uint8_t* bgra) = 0;
  // A texture from an image, kept in the given storage where the back end
  // has the choice (the default keeps full precision).
  virtual TextureHandle CreateStoredTexture(int width, int height, bool alpha, const uint8_t* bgra,
                                            TextureStorage storage) {
    (void)storage;
    return CreateTexture(width, height, alpha, false, bgra);
  }
  // True when CreateStoredTexture keeps the storage asked for (compressed or
  // 16-bit images); the default keeps full precision.
  virtual bool StoresReducedTextures() const { return false; }
  virtual void ReleaseTexture(TextureHandle texture) = 0;
  // The largest texture side the back end can make; 0 when it has no limit
  // of its own.
  virtual int MaxTextureSide() const { return 0; }
  virtual bool ReadTexture(TextureHandle texture, PixelImage& out) = 0;

  // Drawing into a render target texture instead of the back buffer;
  // BeginTarget clears it to 'clearArgb'.
  virtual bool BeginTarget(TextureHandle texture, uint32_t clearArgb) = 0;
  virtual void EndTarget() = 0;

  // Clears the back buffer to black with alpha 0.
  virtual void Clear() = 0;
  // A 4x4 matrix in row-vector convention (v' = v * M) and the size of the
  // current target; vertices map to clip space, clip space to target pixels.
  virtual void SetProjection(const float matrix[16], int targetWidth, int targetHeight) = 0;
  virtual void SetStates(const RenderStates& states) = 0;
  virtual void Draw(const Quad& quad, TextureHandle texture, int addressMode) = 0;
  // Quads that share one texture, in order, as one call where the back end can.
  virtual void DrawBatch(const Quad* quads, int count, TextureHandle texture, int addressMode) {
    for (int i = 0; i < count; ++i) Draw(quads[i], texture, addressMode);
  }
  virtual bool Present() = 0;

  // The back buffer as shown by the last Present (or drawn so far).
  virtual bool ReadBackBuffer(PixelImage& out) = 0;

  // The 12-pixel debug font; back ends without one draw and measure nothing.
  virtual bool HasDebugFont() const { return false; }
  virtual void DrawDebugText(int x, int y, const std::string& text, uint32_t argb) {
    (void)x, (void)y, (void)text, (void)argb;
  }
  virtual int MeasureDebugText(const std::string& text) {
    (void)text;
    return 0;
  }
  virtual int DebugFontHeight() const { return 0; }
};

std::unique_ptr<Backend> CreateSoftwareBackend();
// Needs a current OpenGL compatibility context (made by the SDL platform).
std::unique_ptr<Backend> CreateOpenGLBackend();

}  // namespace tarn::gfx
