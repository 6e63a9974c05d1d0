#include <cmath>
#include <memory>
#include <string>

#include "graphics/image/png_file.h"
#include "particles/curve.h"
#include "particles/effect.h"
#include "particles/random.h"
#include "particles/shape_points.h"
#include "test_support.h"

namespace tarn::particles {
namespace {

TEST(CurveTest, EvaluatesKeysSpansAndSameTimes) {
  Curve none;
  float v[3];
  none.Evaluate(50, v);
  EXPECT_EQ(v[0] + v[1] + v[2], 0);
  Curve curve;
  curve.Set(1000, 2, 20, 200);
  curve.Set(0, 0, 0, 0);
  curve.Set(500, 9, 9, 9);
  curve.Set(500, 1, 10, 100);  // the same time: the later values win
  EXPECT_EQ(curve.Count(), 3);
  struct Case {
    int32_t time;
    float first, third;
  } cases[] = {{-10, 0, 0}, {0, 0, 0}, {250, 0.5f, 50}, {500, 1, 100}, {750, 1.5f, 150}, {1000, 2, 200},
               {5000, 2, 200}};
  for (const Case& c : cases) {
    curve.Evaluate(c.time, v);
    EXPECT_FLOAT_EQ(v[0], c.first) << c.time;
    EXPECT_FLOAT_EQ(v[2], c.third) << c.time;
  }
  Curve full;
  for (int i = 0; i < Curve::kMaxKeys; ++i) EXPECT_TRUE(full.Set(i * 10, 1, 1, 1));
  EXPECT_FALSE(full.Set(5, 1, 1, 1));
  EXPECT_TRUE(full.Set(30, 7, 7, 7));  // a known time still takes new values
  EXPECT_EQ(full.Count(), Curve::kMaxKeys);
  EXPECT_EQ(ToMilliseconds(0.7f), 700);
  EXPECT_EQ(ToMilliseconds(-1.5f), -1500);
  EXPECT_EQ(ToMilliseconds(1e30f), INT32_MAX);
  EXPECT_EQ(ToMilliseconds(NAN), 0);
}

TEST(RandomTest, SeededSourceRepeatsAndStaysInRange) {
  SeedRandom(7);
  int first[8];
  for (int& r : first) r = NextRandom();
  SeedRandom(7);
  int low = kRandomMax, high = 0;
  for (int i = 0; i < 100000; ++i) {
    int r = NextRandom();
    if (i < 8) {
      EXPECT_EQ(r, first[i]);
    }
    low = std::min(low, r), high = std::max(high, r);
  }
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, kRandomMax);
}

class EffectTest : public testing::DataFolderTest {
 protected:
  void SetUp() override {
    DataFolderTest::SetUp();
    SeedRandom(1);
    ForgetShapeImages();
  }
  // An effect from a definition of one generator written in place.
  std::unique_ptr<ParticleEffect> Load(const std::string& keys) {
    Put("fx.eff", "(generator " + keys + ")\n");
    return LoadEffect("fx.eff");
  }
  static ParticleGenerator& First(ParticleEffect& effect) { return *effect.generators[0]; }
  static int Alive(const ParticleGenerator& g) {
    int alive = 0;
    for (const Particle& p : g.particles) alive += p.alive;
    return alive;
  }
  // Runs the effect for 'steps' updates of dt.
  static void Run(ParticleEffect& effect, int steps, float dt) {
    for (int i = 0; i < steps; ++i) UpdateEffect(effect, dt);
  }
};

TEST_F(EffectTest, DefaultsLifetimeAndPeriodFromTheCurves) {
  auto effect = Load("(particle_limit 8) (particle_scale [0 1] [2.5 3]) (flow 4 10) (burst [0.25 1])");
  ASSERT_TRUE(effect);
  ParticleGenerator& g = First(*effect);
  EXPECT_FLOAT_EQ(g.lifetime, 2.5f);
  EXPECT_FLOAT_EQ(g.period, 4);
  EXPECT_EQ(g.alpha.Count(), 1);
  EXPECT_FLOAT_EQ(g.colour.At(0).value[2], 1);
  EXPECT_EQ(g.explosionParts, 4);
  ASSERT_EQ(g.frames.size(), 1u);
  EXPECT_TRUE(g.looped && g.emitting && g.idle);
  auto plain = Load("(particle_limit 3)");
  EXPECT_FLOAT_EQ(First(*plain).lifetime, 1);
  EXPECT_FLOAT_EQ(First(*plain).period, 1);
}

TEST_F(EffectTest, FlowLoopsOrEndsWithTheCycle) {
  auto looped = Load("(particle_limit 100) (flow [0 10])");
  Run(*looped, 300, 0.01f);  // three seconds
  EXPECT_NEAR(Alive(First(*looped)), 10, 1);
  EXPECT_TRUE(EffectRunning(*looped));
  auto once = Load("(particle_limit 100) (flow [0 10]) (looped 0)");
  int updates = 0;
  for (; updates < 1000; ++updates) {
    UpdateEffect(*once, 0.01f);
    if (!EffectRunning(*once)) break;
  }
  // One second of emission, then the last particle's one-second life.
  EXPECT_NEAR(updates, 200, 3);
  auto none = Load("(flow [0 100])");
  Run(*none, 50, 0.02f);
  EXPECT_TRUE(First(*none).idle);
  EXPECT_TRUE(First(*none).particles.empty());
}

TEST_F(EffectTest, BurstsCountAcrossTheWrap) {
  struct Case {
    const char* keys;
    int expected;
  } cases[] = {
      {"(particle_limit 50) (burst [0.5 3]) (starting_rotation [1.5 0])", 3},  // once in 1.2 s of a 1.5 s cycle
      {"(particle_limit 50) (burst [0 2.4]) (starting_rotation [1 0])", 4},   // two at the start, two at the wrap
      {"(particle_limit 50) (burst [0 -3]) (starting_rotation [1 0])", 0},
  };
  for (const Case& c : cases) {
    auto effect = Load(c.keys);
    ASSERT_TRUE(effect) << c.keys;
    ParticleGenerator& g = First(*effect);
    g.lifetime = 100;
    Run(*effect, 12, 0.1f);
    EXPECT_EQ(Alive(g), c.expected) << c.keys;
  }
}

TEST_F(EffectTest, ParticlesMoveUnderGravityAndPulls) {
  auto effect = Load("(particle_limit 1) (burst [0 1]) (starting_direction 0 90) (starting_velocity 0 100) (gravity 200)"
                     "(particle_alpha [10 1])");
  UpdateEffect(*effect, 0.01f);
  Particle& p = First(*effect).particles[0];
  ASSERT_TRUE(p.alive);
  float x0 = p.x, y0 = p.y;
  Run(*effect, 100, 0.01f);
  EXPECT_NEAR(p.x - x0, 100, 0.5);
  EXPECT_NEAR(p.vy, 200, 0.5);
  EXPECT_GT(p.y - y0, 95);
  auto pulled = Load("(particle_limit 1) (burst [0 1]) (radial_acceleration 50) (particle_alpha [10 1])");
  UpdateEffect(*pulled, 0.01f);
  SetEffectPosition(*pulled, 100, 0);  // the pull follows the generator
  Run(*pulled, 100, 0.01f);
  Particle& q = First(*pulled).particles[0];
  EXPECT_NEAR(q.vx, 50, 1);
  EXPECT_NEAR(q.vy, 0, 1e-3);
  auto turning = Load("(particle_limit 1) (burst [0 1]) (tangential_acceleration 10) (particle_alpha [10 1])");
  SetEffectPosition(*turning, 0, 0);
  UpdateEffect(*turning, 0.01f);
  First(*turning).particles[0].x = -10;  // left of the generator: the tangent points down the screen
  UpdateEffect(*turning, 0.1f);
  EXPECT_NEAR(First(*turning).particles[0].vy, 1, 1e-4);
}

TEST_F(EffectTest, StopRestartAndRelativeDirection) {
  auto effect = Load("(particle_limit 10) (flow [0 20])");
  Run(*effect, 20, 0.01f);
  int alive = Alive(First(*effect));
  EXPECT_GT(alive, 0);
  StopEffect(*effect);
  Run(*effect, 5, 0.01f);
  EXPECT_EQ(Alive(First(*effect)), alive);  // the living go on
  EXPECT_TRUE(EffectRunning(*effect));
  RestartEffect(*effect);
  StopEffect(*effect);
  EXPECT_FALSE(EffectRunning(*effect));
  // Shape points at (-2, 0) and (2, 0) with relative direction: particles fly
  // outwards along the offset.
  gfx::PixelImage image;
  image.width = 5, image.height = 1;
  image.bgra.assign(20, 0);
  image.bgra[3] = image.bgra[19] = 255;
  ASSERT_TRUE(gfx::WritePngFile(game_.path() + "/data/two.png", image));
  auto shaped = Load("(particle_limit 40) (burst [0 40]) (shape_maskALPHA \"two.png\") (relative_direction 1)"
                     "(starting_velocity 0 10)");
  ASSERT_TRUE(shaped);
  EXPECT_EQ(First(*shaped).shapePoints.size(), 4u);
  UpdateEffect(*shaped, 0.01f);
  for (const Particle& p : First(*shaped).particles) {
    ASSERT_TRUE(p.alive);
    EXPECT_FLOAT_EQ(std::fabs(p.x), 2);
    EXPECT_NEAR(p.vx, p.x > 0 ? 10 : -10, 1e-4);
  }
}

TEST_F(EffectTest, DamagedDefinitionsGiveMessagesOrBoundedPools) {
  EXPECT_FALSE(LoadEffect("missing.eff"));
  EXPECT_NE(Lines(2).find("Parcon Error: Cannot find file missing.eff!"), std::string::npos);
  Put("empty.eff", "(other 1)\n");
  EXPECT_FALSE(LoadEffect("empty.eff"));
  EXPECT_FALSE(Load("(particle_limit)"));
  EXPECT_NE(Lines(2).find("More data expected"), std::string::npos);
  auto huge = Load("(particle_limit 2147483647) (wobble 3) (explosion_parts 9)");
  ASSERT_TRUE(huge);
  EXPECT_EQ(First(*huge).particles.size(), static_cast<size_t>(kMaxParticleLimit));
  EXPECT_EQ(First(*huge).explosionParts, 9);
  std::string keys = "(particle_limit 1) (flow";
  for (int i = 0; i < 17; ++i) keys += " [" + std::to_string(i) + " 1]";
  auto many = Load(keys + ")");
  ASSERT_TRUE(many);
  EXPECT_EQ(First(*many).flow.Count(), Curve::kMaxKeys);
  EXPECT_NE(Lines(1).find("more than 16 key times"), std::string::npos);
  testing::FreshLog();
  auto untextured = Load("(particle_limit 1) (sprite \"a\") (texture \"nope.png\") (shape_mask \"nope.png\")");
  ASSERT_TRUE(untextured);  // developer mode: loading goes on without them
  EXPECT_NE(Lines(2).find("Texture is not initialized!"), std::string::npos);
  EXPECT_NE(Lines(2).find("Can't find texture file nope.png!"), std::string::npos);
  EXPECT_TRUE(First(*untextured).shapePoints.empty());
  // A flow no update can count out ends at a full pool.
  auto flood = Load("(particle_limit 5) (flow [0 1e30])");
  Run(*flood, 3, 1000.0f);
  EXPECT_EQ(Alive(First(*flood)), 5);
}

TEST_F(EffectTest, ReferencedGeneratorFiles) {
  Put("spark.gen", "(particle_limit 4) (burst [0 4])\n");
  Put("two.eff", "(generator \"spark.gen\") (GENERATOR (particle_limit 2) (burst [0 2]))\n");
  auto effect = LoadEffect("two.eff");
  ASSERT_TRUE(effect);
  ASSERT_EQ(effect->generators.size(), 2u);
  UpdateEffect(*effect, 0.01f);
  EXPECT_EQ(Alive(*effect->generators[0]), 4);
  EXPECT_EQ(Alive(*effect->generators[1]), 2);
  Put("lost.eff", "(generator \"gone.gen\")\n");
  EXPECT_FALSE(LoadEffect("lost.eff"));
}

}  // namespace
}  // namespace tarn::particles
