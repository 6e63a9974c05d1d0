#include "graphics/render.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "diag/log.h"
#include "graphics/image/image.h"
#include "graphics/quad_limits.h"
#include "graphics/render_target.h"
#include "script/args.h"

namespace tarn::gfx {

RenderDevice& RenderDevice::Instance() {
  static RenderDevice device;
  return device;
}

int RenderDevice::MaxTextureSide() const {
  int side = backend_ ? backend_->MaxTextureSide() : 0;
  return side > 0 ? side : kMaxImageSide;
}

void RenderDevice::ResetForTests() {
  CloseDevice();
  *this = RenderDevice();
}

bool RenderDevice::InitDevice(std::unique_ptr<Backend> backend, const DeviceSetup& setup) {
  bool report = backend && backend->ReportsLifecycle();
  if (report) LogInfo("Initializing D3D...");
  if (!backend || !backend->Init(setup.width, setup.height, setup.bit16)) return false;
  backend_ = std::move(backend);
  width_ = setup.width;
  height_ = setup.height;
  gameWidth_ = setup.gameWidth;
  gameHeight_ = setup.gameHeight;
  perspective_ = setup.perspective;
  boundTexture_ = 0;
  addressMode_ = 0;
  quadCount_ = 0;
  states_ = RenderStates();
  ApplyStates();
  SetProjection(width_, height_, false);
  sceneOpen_ = false;
  if (report) LogInfo("Initializing D3D - done\n");
  return true;
}

void RenderDevice::CloseDevice() {
  if (!backend_) return;
  bool report = backend_->ReportsLifecycle();
  if (report) LogInfo("Closing D3D... ");
  backend_->Close();
  backend_.reset();
  sceneOpen_ = false;
  boundTexture_ = 0;
  if (!report) return;
  LogInfo("Closing D3D - done\n");
  int total = drawnQuads_ + skippedQuads_;
  float share = total > 0 ? static_cast<float>(skippedQuads_ * 100) / static_cast<float>(total) : 0.0f;
  LogInfo("DrawImage - drawn: %d, skipped: %d (%4.1f%%)\n", drawnQuads_, skippedQuads_, share);
}

void RenderDevice::ClearFrame() {
  if (backend_) backend_->Clear();
}

bool RenderDevice::BeginScene() {
  if (sceneOpen_) return true;
  if (!backend_) return false;
  sceneOpen_ = true;
  return true;
}

bool RenderDevice::EndScene() {
  sceneOpen_ = false;
  return true;
}

bool RenderDevice::BeginFrame() {
  if (!BeginScene()) return false;
  // Drawing into the main render target closes the back buffer's scene until
  // the target ends; the frame is open either way.
  ReturnToFrameTarget();
  return true;
}

void RenderDevice::EndFrame(bool keepAspect) {
  if (HasMainRenderTarget()) {
    EndRenderTarget();
    DrawMainRenderTarget(keepAspect);
  }
  EndScene();
}

bool RenderDevice::Present() { return backend_ && backend_->Present(); }

void RenderDevice::SetProjection(int width, int height, bool forTarget) {
  const float n = kNearPlane, f = farPlane_;
  bool flip = forTarget && backend_ && backend_->FlipsTargets();
  float m[16] = {};
  if (perspective_) {
    perspectiveActive_ = true;
    targetWidth_ = static_cast<float>(width);
    targetHeight_ = static_cast<float>(height);
    halfWidth_ = targetWidth_ * 0.5f;
    halfHeight_ = targetHeight_ * 0.5f;
    float s = n / screenDistance_;
    float xr = halfWidth_ * s, yr = halfHeight_ * s;
    float l = -xr, r = xr, b = flip ? -yr : yr, t = flip ? yr : -yr;
    m[0] = 2 * n / (r - l);
    m[5] = 2 * n / (t - b);
    m[8] = (l + r) / (l - r);
    m[9] = (t + b) / (b - t);
    m[10] = f / (f - n);
    m[11] = 1;
    m[14] = n * f / (n - f);
  } else {
    perspectiveActive_ = false;
    float l = 0, r = static_cast<float>(width);
    float b = flip ? 0.0f : static_cast<float>(height), t = flip ? static_cast<float>(height) : 0.0f;
    m[0] = 2 / (r - l);
    m[5] = 2 / (t - b);
    m[10] = 1 / (f - n);
    m[12] = (l + r) / (l - r);
    m[13] = (t + b) / (b - t);
    m[14] = n / (n - f);
    m[15] = 1;
  }
  std::memcpy(projection_, m, sizeof m);
  if (backend_) backend_->SetProjection(m, width, height);
}

void RenderDevice::SetTextureAddress(int mode) {
  if (mode == addressMode_) return;
  addressMode_ = mode;
}

void RenderDevice::UnbindTexture() { boundTexture_ = 0; }

void RenderDevice::ToTargetCentre(float& x, float& y) const {
  if (!perspectiveActive_) return;
  x -= halfWidth_;
  y -= halfHeight_;
}

Rect RenderDevice::ComputeLetterbox(bool keepAspect) const {
  float w = static_cast<float>(width_), h = static_cast<float>(height_);
  float gameAR = static_cast<float>(gameWidth_) / static_cast<float>(gameHeight_);
  float winAR = w / h;
  Rect rect{0, 0, w, h};
  if (keepAspect && std::abs(gameAR - winAR) > 0.001f) {
    if (gameAR < winAR) {
      rect.height = h;
      rect.width = h * gameAR;
    } else {
      rect.width = w;
      rect.height = w / gameAR;
    }
    rect.x = (w - rect.width) * 0.5f;
    rect.y = (h - rect.height) * 0.5f;
  }
  return rect;
}

void RenderDevice::SetPerspectivePlanes(float distance, float farPlane, float& outDistance, float& outFar) {
  if (distance >= 0) screenDistance_ = std::max(distance, kNearPlane);
  if (farPlane >= 0) farPlane_ = std::max(farPlane, kNearPlane + 1);
  if (screenDistance_ > farPlane_) farPlane_ = screenDistance_;
  outDistance = screenDistance_;
  outFar = farPlane_;
}

void RenderDevice::DrawImage(Quad& quad, TextureHandle texture, int addressMode) {
  // Not-a-number or absurdly distant geometry is dropped the same way for
  // both back ends, in either projection.
  if (!QuadWithinLimits(quad)) {
    ++skippedQuads_;
    return;
  }
  if (!perspectiveActive_) {
    float minX = quad.v[0].x, maxX = minX, minY = quad.v[0].y, maxY = minY;
    for (const QuadVertex& v : quad.v) {
      minX = std::min(minX, v.x);
      maxX = std::max(maxX, v.x);
      minY = std::min(minY, v.y);
      maxY = std::max(maxY, v.y);
    }
    if (maxX < -1 || maxY < -1 || minX >= static_cast<float>(gameWidth_) + 1 ||
        minY >= static_cast<float>(gameHeight_) + 1) {
      ++skippedQuads_;
      return;
    }
  }
  ++drawnQuads_;
  for (QuadVertex& v : quad.v) ToTargetCentre(v.x, v.y);
  if (!backend_) return;
  // The vertex ring: quads are appended, and the ring starts over (a
  // discard) when the next quad does not fit.
  if (quadCount_ + 4 > kRingVertices) {
    quadCount_ = 0;
    ++discards_;
  }
  if (backend_->HalfPixelOffset()) {
    for (QuadVertex& v : quad.v) {
      v.x -= 0.5f;
      v.y -= 0.5f;
    }
  }
  if (texture != boundTexture_) {
    boundTexture_ = texture;
    if (backend_->AddressModePerTexture()) addressMode_ = 0;
  }
  SetTextureAddress(addressMode);
  backend_->Draw(quad, texture, addressMode);
  quadCount_ += 4;
}

void RenderDevice::CountDrawnPolys(int polys, double area) {
  drawnPolysCount_ += polys;
  // Huge or NaN areas must not overflow the frame's total.
  double total = static_cast<double>(drawnPolysSize_) + (std::isnan(area) ? 0.0 : std::trunc(area));
  drawnPolysSize_ = args::ToInteger(total);
}

void RenderDevice::ResetDrawnPolys() {
  drawnPolysCount_ = 0;
  drawnPolysSize_ = 0;
}

void RenderDevice::DrawDebugText(float x, float y, const std::string& text, uint32_t argb) {
  if (backend_) backend_->DrawDebugText(args::ToInteger(x), args::ToInteger(y), text, argb);
}

int RenderDevice::MeasureDebugText(const std::string& text) {
  return backend_ && backend_->HasDebugFont() ? backend_->MeasureDebugText(text) : 0;
}

int RenderDevice::DebugFontHeight() const { return backend_ ? backend_->DebugFontHeight() : 0; }

void RenderDevice::ApplyStates() {
  if (backend_) backend_->SetStates(states_);
}

void RenderDevice::SetBlendMode(int mode) {
  static const struct {
    int src, dst;
    bool on;
    int op;
  } kPresets[] = {
      {kBlendOne, kBlendZero, false, kOpAdd},     {kBlendSrcAlpha, kBlendInvSrcAlpha, true, kOpAdd},
      {kBlendSrcAlpha, kBlendOne, true, kOpAdd},  {kBlendOne, kBlendOne, true, kOpAdd},
      {kBlendOne, kBlendOne, true, kOpMax},
  };
  if (mode < 0 || mode > 4) mode = 1;
  states_.srcBlend = kPresets[mode].src;
  states_.dstBlend = kPresets[mode].dst;
  states_.blendEnabled = kPresets[mode].on;
  states_.blendOp = kPresets[mode].op;
  ApplyStates();
}

void RenderDevice::SetBlendFactors(int src, int dst) {
  // A factor given as "keep" keeps its value, unless the back end sets both
  // factors at once: then it reads as ONE.
  bool together = backend_ && backend_->SetsBlendFactorsTogether();
  if (src != kBlendKeep) states_.srcBlend = src;
  else if (together) states_.srcBlend = kBlendOne;
  if (dst != kBlendKeep) states_.dstBlend = dst;
  else if (together) states_.dstBlend = kBlendOne;
  ApplyStates();
}

void RenderDevice::SetBlendOp(int op) {
  states_.blendOp = op;
  ApplyStates();
}

void RenderDevice::SetColourMask(bool r, bool g, bool b, bool a) {
  states_.colourMask[0] = r;
  states_.colourMask[1] = g;
  states_.colourMask[2] = b;
  states_.colourMask[3] = a;
  ApplyStates();
}

void RenderDevice::SetAlphaTest(int func, int ref) {
  states_.alphaFunc = func;
  states_.alphaRef = ref;
  ApplyStates();
}

void RenderDevice::SetCullMode(int mode) {
  states_.cullMode = mode == kCullBack || mode == kCullFront ? mode : kCullNone;
  ApplyStates();
}

int LookupName(const char* name, NameTable table) {
  static const char* const kFactors[] = {"ZERO",        "ONE",       "SRCCOLOR",     "INVSRCCOLOR",
                                         "SRCALPHA",    "INVSRCALPHA", "DESTALPHA",  "INVDESTALPHA",
                                         "DESTCOLOR",   "INVDESTCOLOR"};
  static const char* const kCompare[] = {"NEVER",   "LESS",     "EQUAL",        "LESSEQUAL",
                                         "GREATER", "NOTEQUAL", "GREATEREQUAL", "ALWAYS"};
  static const char* const kCull[] = {"NONE", "BACK", "FRONT"};
  const char* const* names = table == NameTable::BlendFactors ? kFactors : table == NameTable::CompareFuncs ? kCompare : kCull;
  int count = table == NameTable::BlendFactors ? 10 : table == NameTable::CompareFuncs ? 8 : 3;
  int notFound = table == NameTable::BlendFactors ? kBlendKeep
                 : table == NameTable::CompareFuncs ? static_cast<int>(kAlways)
                                                    : static_cast<int>(kCullNone);
  int base = table == NameTable::CompareFuncs ? 0 : 1;
  if (!name) return notFound;
  // Names are at most 39 characters; a longer one is not found.
  size_t length = std::strlen(name);
  if (length > 39) return notFound;
  char upper[40];
  for (size_t i = 0; i <= length; ++i) upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
  for (int i = 0; i < count; ++i)
    if (std::strcmp(upper, names[i]) == 0) return i + base;
  return notFound;
}

}  // namespace tarn::gfx
