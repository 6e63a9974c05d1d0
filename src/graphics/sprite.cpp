#include "graphics/sprite.h"

#include <algorithm>
#include <cmath>

#include "diag/error.h"
#include "graphics/render.h"
#include "script/args.h"

namespace tarn::gfx {

namespace {
constexpr float kDegrees = 0.017453292f;

// Rotates (p, q) by 'degrees' about (cp, cq).
void RotatePair(float& p, float& q, float cp, float cq, float degrees) {
  float t = degrees * kDegrees, c = std::cos(t), s = std::sin(t);
  float dp = p - cp, dq = q - cq;
  p = cp + dp * c - dq * s;
  q = cq + dp * s + dq * c;
}
}  // namespace

CropState& Crop() {
  static CropState crop;
  return crop;
}

void DisarmCrop() { Crop().cropX = -1; }

bool FindSprite(const Bitmap* bitmap, const char* name, bool applyCrop, SpriteFrame& frame) {
  const TextureRecord* record = bitmap && bitmap->valid ? bitmap->record : nullptr;
  std::string recordName = record ? record->name : std::string();
  if (!name || !bitmap || !bitmap->hasSprites || !record) {
    MissingSprite(name ? name : "", recordName);
    return false;
  }
  const Sprite* sprite = nullptr;
  for (const Sprite& candidate : record->sprites) {
    if (candidate.name == name) {
      sprite = &candidate;
      break;
    }
  }
  if (!sprite) {
    MissingSprite(name, recordName);
    return false;
  }
  // Sprite files and crops may hold any int: the edges are summed in 64 bits.
  int64_t x = sprite->x, y = sprite->y, w = sprite->width, h = sprite->height;
  const CropState& crop = Crop();
  if (applyCrop && crop.cropX >= 0) {
    int64_t ix = std::min<int64_t>(crop.cropX, w), iy = std::min<int64_t>(crop.cropY, h);
    x += ix;
    y += iy;
    int64_t kw = crop.cropWidth >= 1 ? crop.cropWidth : w - crop.cropX + crop.cropWidth;
    int64_t kh = crop.cropHeight >= 1 ? crop.cropHeight : h - crop.cropY + crop.cropHeight;
    w = std::max<int64_t>(0, std::min(w - ix, std::max<int64_t>(kw, 0)));
    h = std::max<int64_t>(0, std::min(h - iy, std::max<int64_t>(kh, 0)));
  }
  float rw = static_cast<float>(record->width), rh = static_cast<float>(record->height);
  frame.uLeft = static_cast<float>(x) / rw;
  frame.uRight = static_cast<float>(x + w) / rw;
  frame.vTop = static_cast<float>(y) / rh;
  frame.vBottom = static_cast<float>(y + h) / rh;
  frame.width = static_cast<float>(w);
  frame.height = static_cast<float>(h);
  frame.pivotX = static_cast<float>(sprite->pivotX);
  frame.pivotY = static_cast<float>(sprite->pivotY);
  return true;
}

void ApplyFrame(const SpriteFrame& frame, bool sizeAndPivot, SpriteDraw& draw) {
  draw.uLeft = frame.uLeft;
  draw.vTop = frame.vTop;
  draw.uRight = frame.uRight;
  draw.vBottom = frame.vBottom;
  if (!sizeAndPivot) return;
  draw.width = frame.width;
  draw.height = frame.height;
  draw.pivotX = frame.pivotX;
  draw.pivotY = frame.pivotY;
}

TextureHandle TextureOf(const Bitmap* bitmap) { return bitmap && bitmap->valid ? bitmap->record->texture : 0; }

void RenderSprite(const Bitmap* bitmap, const char* name, SpriteDraw placement) {
  SpriteFrame frame;
  if (!FindSprite(bitmap, name, true, frame)) return;
  ApplyFrame(frame, true, placement);
  placement.texture = TextureOf(bitmap);
  placement.addressMode = kAddressWrap;
  DrawSprite(placement);
  if (!Crop().cropPersistent) DisarmCrop();
}

void DrawSprite(const SpriteDraw& in) {
  RenderDevice& device = RenderDevice::Instance();
  float zd = device.ScreenDistance() - in.z;
  if (in.width == 0 || in.height == 0 || in.scaleX == 0 || in.scaleY == 0 || in.alpha == 0) return;
  SpriteDraw d = in;
  if (d.scaleX < 0) {
    d.scaleX = -d.scaleX;
    std::swap(d.uLeft, d.uRight);
  }
  if (d.scaleY < 0) {
    d.scaleY = -d.scaleY;
    std::swap(d.vTop, d.vBottom);
  }
  float a = d.angle * kDegrees, c = std::cos(a), s = std::sin(a);
  float L = -d.pivotX * d.scaleX, T = -d.pivotY * d.scaleY;
  float R = (d.width - d.pivotX) * d.scaleX, B = (d.height - d.pivotY) * d.scaleY;
  const float corners[4][4] = {
      {L, T, d.uLeft, d.vTop}, {R, T, d.uRight, d.vTop}, {R, B, d.uRight, d.vBottom}, {L, B, d.uLeft, d.vBottom}};
  float r = d.tint.set ? d.tint.r : 1.0f, g = d.tint.set ? d.tint.g : 1.0f, b = d.tint.set ? d.tint.b : 1.0f;
  float fu = d.scrollU != 0 || d.scrollV != 0 ? std::fmod(d.scrollU, 1.0f) : 0.0f;
  float fv = d.scrollU != 0 || d.scrollV != 0 ? std::fmod(d.scrollV, 1.0f) : 0.0f;
  Quad quad;
  for (int i = 0; i < 4; ++i) {
    float dx = corners[i][0], dy = corners[i][1];
    quad.v[i] = {d.x + dx * c - dy * s, d.y + dx * s + dy * c, zd, corners[i][2] + fu, corners[i][3] + fv,
                 r, g, b, d.alpha};
  }
  if (device.PerspectiveActive()) {
    if (d.tiltX != 0)
      for (QuadVertex& v : quad.v) RotatePair(v.y, v.z, d.y, zd, d.tiltX);
    if (d.tiltY != 0)
      for (QuadVertex& v : quad.v) RotatePair(v.x, v.z, d.x, zd, d.tiltY);
  }
  device.DrawImage(quad, d.texture, d.addressMode);
  device.CountDrawnPolys(2, d.width * d.height * d.scaleX * d.scaleY);
}

void DrawBox(float x, float y, float z, float width, float height, const Tint& tint, float angle, float alpha,
             float scale) {
  SpriteDraw draw;
  draw.x = x;
  draw.y = y;
  draw.z = z;
  draw.width = width;
  draw.height = height;
  draw.tint = tint;
  draw.angle = angle;
  draw.alpha = alpha;
  draw.scaleX = draw.scaleY = scale;
  DrawSprite(draw);
}

uint32_t ParseColour(const char* text, double opacity, uint32_t defaultRgb) {
  uint32_t rgb = text ? args::ColourFromText(text) : defaultRgb;
  return static_cast<uint32_t>(args::OpacityByte(opacity)) << 24 | (rgb & 0xFFFFFF);
}

Tint TintFromArgb(uint32_t argb) {
  Tint tint;
  tint.set = true;
  tint.r = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
  tint.g = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
  tint.b = static_cast<float>(argb & 0xFF) / 255.0f;
  return tint;
}

}  // namespace tarn::gfx
