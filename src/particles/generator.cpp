// Moving particles and emitting new ones.
#include <cmath>
#include <cstdint>

#include "particles/effect.h"
#include "particles/random.h"

namespace tarn::particles {

namespace {

constexpr float kRadians = 0.017453292f;

// The cycle position of a cycle time, in whole milliseconds.
int64_t CyclePosition(double cycleTime, int64_t periodMs) {
  double ms = cycleTime * 1000.0;
  if (!(ms >= 0)) return 0;
  if (ms >= 9.0e18) return 0;
  return static_cast<int64_t>(ms) % periodMs;
}

int64_t PeriodMs(const ParticleGenerator& generator) {
  double ms = static_cast<double>(generator.period) * 1000.0;
  if (!(ms >= 1)) return 1;  // a period below one millisecond counts as one
  if (ms >= 2147483647.0) return INT32_MAX;
  return static_cast<int64_t>(ms);
}

// The values of the cycle curves at one cycle position.
struct CycleValues {
  float velocity[3], direction[3], rotation[3];
};

// Emission within one generator update: free slots are looked for from the
// last one taken, so a full pool is noticed once.
class Emitter {
 public:
  Emitter(ParticleGenerator& generator, const CycleValues& values) : g_(generator), values_(values) {}

  bool Full() const { return next_ >= g_.particles.size(); }

  void Emit() {
    while (next_ < g_.particles.size() && g_.particles[next_].alive) ++next_;
    if (Full()) return;  // the particle is dropped
    Place(g_.particles[next_++]);
  }

 private:
  void Place(Particle& p) {
    p.alive = true;
    p.age = 0;
    p.x = g_.x;
    p.y = g_.y;
    if (!g_.shapePoints.empty()) AddShapePoint(p);
    float speed = RandomIn(values_.velocity[0], values_.velocity[1]);
    float dx = p.x - g_.x, dy = p.y - g_.y;
    float d = std::sqrt(dx * dx + dy * dy);
    if (d > 0.001f) dx /= d, dy /= d;
    if (g_.relativeDirection && d > 0.1f) {
      float turn = RandomIn(values_.direction[0], values_.direction[1]) * kRadians;
      float c = std::cos(turn), s = std::sin(turn);
      p.vx = (dx * c - dy * s) * speed;
      p.vy = (dx * s + dy * c) * speed;
    } else {
      float theta = RandomIn(values_.direction[0] - 90, values_.direction[1] - 90) * kRadians;
      p.vx = speed * std::cos(theta);
      p.vy = speed * std::sin(theta);
    }
    p.gravity = RandomIn(g_.gravity.min, g_.gravity.max);
    p.radial = RandomIn(g_.radial.min, g_.radial.max);
    p.tangential = RandomIn(g_.tangential.min, g_.tangential.max);
    p.rotation = RandomIn(values_.rotation[0], values_.rotation[1]);
    p.frame = g_.frames[static_cast<size_t>(NextRandom()) % g_.frames.size()];
    g_.idle = false;
  }

  void AddShapePoint(Particle& p) {
    int r = NextRandom();
    size_t count = g_.shapePoints.size() / 2;
    size_t i = g_.shapeByDraw ? static_cast<size_t>(r)
                              : static_cast<size_t>(static_cast<float>(r) / kRandomMax * (count - 1) + 0.5f);
    if (i >= count) i = count - 1;
    float px = g_.shapePoints[2 * i], py = g_.shapePoints[2 * i + 1];
    if (g_.angle != 0) {
      float a = g_.angle * kRadians, c = std::cos(a), s = std::sin(a);
      p.x += c * px - s * py;
      p.y += s * px + c * py;
    } else {
      p.x += px;
      p.y += py;
    }
  }

  ParticleGenerator& g_;
  const CycleValues& values_;
  size_t next_ = 0;
};

// Flow particles due by the new cycle time. Once the pool is full every
// further particle of this update would be dropped, so the flow time skips
// ahead instead of counting them out one by one (a huge flow cannot hang).
void EmitFlow(ParticleGenerator& g, Emitter& emitter, int64_t c) {
  float flow = g.flow.First(static_cast<int32_t>(c));
  if (!(flow > 0)) flow = 0;
  double interval = flow > 0 ? 1.0 / flow : INFINITY;
  while (g.nextFlowTime < g.cycleTime) {
    if (emitter.Full()) {
      if (!std::isfinite(interval)) {
        g.nextFlowTime += interval;
        return;
      }
      if (interval > 0) g.nextFlowTime += interval * std::ceil((g.cycleTime - g.nextFlowTime) / interval);
      if (!(g.nextFlowTime >= g.cycleTime)) g.nextFlowTime = g.cycleTime;
      return;
    }
    emitter.Emit();
    g.nextFlowTime += interval;
  }
}

void EmitBurst(Emitter& emitter, float value) {
  double count = std::floor(static_cast<double>(value) + 0.5);
  for (double i = 0; i < count && !emitter.Full(); ++i) emitter.Emit();
}

void EmitBursts(const ParticleGenerator& g, Emitter& emitter, int64_t c, int64_t c2) {
  if (c == c2) return;
  for (int k = 0; k < g.burst.Count(); ++k) {
    const Curve::Key& key = g.burst.At(k);
    bool due = c < c2 ? c <= key.time && key.time < c2 : key.time >= c || key.time < c2;
    if (due) EmitBurst(emitter, key.value[0]);
  }
}

}  // namespace

void UpdateGenerator(ParticleGenerator& g, float dt) {
  if (!g.emitting) return;
  int64_t periodMs = PeriodMs(g);
  int64_t c = CyclePosition(g.cycleTime, periodMs);
  CycleValues values;
  g.velocity.Evaluate(static_cast<int32_t>(c), values.velocity);
  g.direction.Evaluate(static_cast<int32_t>(c), values.direction);
  g.rotation.Evaluate(static_cast<int32_t>(c), values.rotation);
  g.cycleTime += dt;
  if (!g.looped && g.cycleTime > g.period) {
    g.emitting = false;
    g.cycleTime = g.period;
  }
  Emitter emitter(g, values);
  if (!g.flow.Empty()) EmitFlow(g, emitter, c);
  EmitBursts(g, emitter, c, CyclePosition(g.cycleTime, periodMs));
}

void UpdateParticles(ParticleGenerator& g, float dt) {
  if (g.idle) return;
  g.idle = true;
  for (Particle& p : g.particles) {
    if (!p.alive) continue;
    if (p.age > g.lifetime) {
      p.alive = false;
      continue;
    }
    p.age += dt;
    p.vy += dt * p.gravity;
    p.rotation += dt * g.spin.First(ToMilliseconds(p.age));
    if (p.radial != 0 || p.tangential != 0) {
      float nx = g.x - p.x, ny = g.y - p.y;
      float length = std::sqrt(nx * nx + ny * ny);
      if (length > 0.01f) nx /= length, ny /= length;
      p.vx += dt * p.radial * nx;
      p.vy += dt * p.radial * ny;
      if (p.tangential != 0) {
        p.vx += dt * p.tangential * -ny;
        p.vy += dt * p.tangential * nx;
      }
    }
    p.x += p.vx * dt;
    p.y += p.vy * dt;
    g.idle = false;
  }
}

}  // namespace tarn::particles
