// Particle effects: generators that emit textured particles from a point or
// from the solid pixels of a shape image, with a steady flow and timed bursts
// over a repeating cycle, move them under gravity and pulls towards the
// generator, and draw them with colour, opacity, scale and spin that change
// over each particle's life.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "graphics/texture.h"
#include "particles/curve.h"

namespace tarn::particles {

// The largest pool a generator gets, whatever its definition asks for.
inline constexpr int kMaxParticleLimit = 1 << 20;

enum Blending { kBlendAlpha = 0, kBlendAdd = 1, kBlendSubtract = 2 };

struct ParticleFrame {
  float uLeft = 0, vTop = 0, uRight = 1, vBottom = 1;
  float pivotX = 0, pivotY = 0;
};

struct Particle {
  float x, y, vx, vy;
  float rotation;
  float gravity, radial, tangential;
  bool alive;
  float age;
  ParticleFrame frame;
};

struct Range {
  float min = 0, max = 0;
};

struct ParticleGenerator {
  ParticleGenerator() = default;
  ~ParticleGenerator();  // gives the bitmap back
  ParticleGenerator(const ParticleGenerator&) = delete;
  ParticleGenerator& operator=(const ParticleGenerator&) = delete;

  // Over the particle's age.
  Curve alpha, colour, scale, spin;
  // Over the cycle.
  Curve flow, burst, direction, velocity, rotation;
  Range gravity, radial, tangential;
  float lifetime = 1;  // seconds
  float period = 1;    // seconds
  // Seconds; double so that a looped cycle keeps its millisecond steps for as
  // long as a game may run.
  double cycleTime = 0;
  double nextFlowTime = 0;
  gfx::Bitmap bitmap;
  int blending = kBlendAlpha;
  std::vector<Particle> particles;
  int explosionParts = 0;  // read and kept; nothing uses it
  float x = 0, y = 0;
  float angle = 0;  // degrees
  bool emitting = true;
  bool idle = true;
  bool looped = true;
  bool relativeDirection = false;
  bool relativeRotation = false;
  std::vector<ParticleFrame> frames;
  // Emission offsets. When an image has more solid pixels than there are
  // random draws, only the points a draw can pick are kept, one per draw
  // (shapeByDraw).
  std::vector<float> shapePoints;  // x, y pairs
  bool shapeByDraw = false;
};

struct ParticleEffect {
  std::vector<std::unique_ptr<ParticleGenerator>> generators;
};

// Null when the file cannot be read or holds no generator; the reasons are
// reported.
std::unique_ptr<ParticleEffect> LoadEffect(const std::string& path);
void UpdateEffect(ParticleEffect& effect, float dt);
void DrawEffect(const ParticleEffect& effect);
void RestartEffect(ParticleEffect& effect);
void StopEffect(ParticleEffect& effect);
void SetEffectPosition(ParticleEffect& effect, float x, float y);
void SetEffectAngle(ParticleEffect& effect, float angle);
bool EffectRunning(const ParticleEffect& effect);

// One generator's steps (the effect's update runs the particles, then the
// generator).
void UpdateParticles(ParticleGenerator& generator, float dt);
void UpdateGenerator(ParticleGenerator& generator, float dt);
void DrawGenerator(const ParticleGenerator& generator);

}  // namespace tarn::particles
