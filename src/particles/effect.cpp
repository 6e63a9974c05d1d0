// The effect as a whole: every operation runs over its generators.
#include <cmath>

#include "graphics/render.h"
#include "graphics/sprite.h"
#include "particles/effect.h"

namespace tarn::particles {

ParticleGenerator::~ParticleGenerator() {
  if (bitmap.valid) gfx::TextureManager::Instance().ReleaseBitmap(bitmap);
}

void UpdateEffect(ParticleEffect& effect, float dt) {
  if (!std::isfinite(dt)) dt = 0;
  for (auto& generator : effect.generators) {
    UpdateParticles(*generator, dt);
    UpdateGenerator(*generator, dt);
  }
}

void DrawEffect(const ParticleEffect& effect) {
  for (const auto& generator : effect.generators) DrawGenerator(*generator);
}

void RestartEffect(ParticleEffect& effect) {
  for (auto& g : effect.generators) {
    for (Particle& p : g->particles) p.alive = false;
    g->idle = true;
    g->nextFlowTime = 0;
    g->cycleTime = 0;
    g->emitting = true;
  }
}

void StopEffect(ParticleEffect& effect) {
  for (auto& g : effect.generators) g->emitting = false;
}

void SetEffectPosition(ParticleEffect& effect, float x, float y) {
  for (auto& g : effect.generators) g->x = x, g->y = y;
}

void SetEffectAngle(ParticleEffect& effect, float angle) {
  for (auto& g : effect.generators) g->angle = angle;
}

bool EffectRunning(const ParticleEffect& effect) {
  // A generator is idle exactly while none of its particles is alive.
  for (const auto& g : effect.generators)
    if (g->emitting || !g->idle) return true;
  return false;
}

void DrawGenerator(const ParticleGenerator& g) {
  if (g.idle) return;
  gfx::RenderDevice& device = gfx::RenderDevice::Instance();
  if (g.blending == kBlendAdd) device.SetBlendFactors(gfx::kBlendSrcAlpha, gfx::kBlendOne);
  if (g.blending == kBlendSubtract) device.SetBlendOp(gfx::kOpSubtract);
  const gfx::TextureRecord* record = g.bitmap.valid ? g.bitmap.record : nullptr;
  float textureWidth = record ? static_cast<float>(record->width) : 0.0f;
  float textureHeight = record ? static_cast<float>(record->height) : 0.0f;
  gfx::SpriteDraw draw;
  draw.texture = record ? record->texture : 0;
  draw.addressMode = gfx::kAddressWrap;
  draw.tint.set = true;
  for (const Particle& p : g.particles) {
    if (!p.alive) continue;
    int32_t age = ToMilliseconds(p.age);
    float colour[3];
    g.colour.Evaluate(age, colour);
    draw.tint.r = colour[0], draw.tint.g = colour[1], draw.tint.b = colour[2];
    draw.scaleX = draw.scaleY = g.scale.First(age);
    draw.alpha = g.alpha.First(age);
    draw.angle = p.rotation;
    if (g.relativeRotation) draw.angle += std::atan2(p.vy, p.vx) * 57.295776f + 90.0f;
    const ParticleFrame& f = p.frame;
    draw.x = p.x, draw.y = p.y;
    draw.width = (f.uRight - f.uLeft) * textureWidth;
    draw.height = (f.vBottom - f.vTop) * textureHeight;
    draw.uLeft = f.uLeft, draw.vTop = f.vTop, draw.uRight = f.uRight, draw.vBottom = f.vBottom;
    draw.pivotX = f.pivotX, draw.pivotY = f.pivotY;
    gfx::DrawSprite(draw);
  }
  if (g.blending == kBlendAdd) device.SetBlendFactors(gfx::kBlendSrcAlpha, gfx::kBlendInvSrcAlpha);
  if (g.blending == kBlendSubtract) device.SetBlendOp(gfx::kOpAdd);
}

}  // namespace tarn::particles
