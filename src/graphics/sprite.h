// Sprites: lookup with the one-shot crop, the geometry that places, scales,
// rotates, mirrors, scrolls and tilts a sprite into one quad, and boxes.
#pragma once

#include <cstdint>
#include <string>

#include "graphics/backend.h"
#include "graphics/texture.h"

namespace tarn::gfx {

struct CropState {
  int32_t cropX = -1;  // armed while 0 or more
  int32_t cropY = 0;
  int32_t cropWidth = 0;
  int32_t cropHeight = 0;
  bool cropPersistent = false;
};
CropState& Crop();
void DisarmCrop();

struct SpriteFrame {
  float uLeft = 0, vTop = 0, uRight = 0, vBottom = 0;
  float width = 0, height = 0, pivotX = 0, pivotY = 0;
};

struct Tint {
  bool set = false;
  float r = 1, g = 1, b = 1;
};

struct SpriteDraw {
  float x = 0, y = 0, z = 0;
  float width = 0, height = 0;
  float uLeft = 0, vTop = 0, uRight = 0, vBottom = 0;
  TextureHandle texture = 0;
  float angle = 0, alpha = 1, scaleX = 1, scaleY = 1;
  Tint tint;
  float pivotX = 0, pivotY = 0;
  float scrollU = 0, scrollV = 0;
  float tiltX = 0, tiltY = 0;
  int addressMode = kAddressWrap;
};

bool FindSprite(const Bitmap* bitmap, const char* name, bool applyCrop, SpriteFrame& frame);
// Copies a frame's texture coordinates into a drawing; with 'sizeAndPivot'
// also its size and pivot.
void ApplyFrame(const SpriteFrame& frame, bool sizeAndPivot, SpriteDraw& draw);
void DrawSprite(const SpriteDraw& draw);
// The sprite 'name' of a bitmap (cropped when a crop is armed) placed by
// 'placement' (position, depth, angle, alpha, scales, tint, scroll and
// tilts; the rest is the sprite's own), drawn with wrapping; the crop is then
// disarmed unless persistent. Nothing is drawn when the sprite is missing.
void RenderSprite(const Bitmap* bitmap, const char* name, SpriteDraw placement);
// The texture of a live bitmap; 0 for none or an invalid one.
TextureHandle TextureOf(const Bitmap* bitmap);
void DrawBox(float x, float y, float z, float width, float height, const Tint& tint, float angle, float alpha,
             float scale);

// A colour text (read as hexadecimal from the right; none: the default) and an
// opacity, packed as ARGB.
uint32_t ParseColour(const char* text, double opacity, uint32_t defaultRgb);
Tint TintFromArgb(uint32_t argb);

}  // namespace tarn::gfx
