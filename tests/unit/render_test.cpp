#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "graphics/image/png_file.h"
#include "graphics/render.h"
#include "graphics/render_target.h"
#include "graphics/sprite.h"
#include "graphics/texture.h"
#include "render_fakes.h"
#include "test_support.h"

namespace tarn::gfx {
namespace {

// Records what reaches the back end instead of drawing it.
class RecordingBackend : public testing::StubBackend {
 public:
  struct Call {
    Quad quad;
    TextureHandle texture;
    int addressMode;
  };
  std::vector<Call>* calls;
  explicit RecordingBackend(std::vector<Call>* out) : calls(out) {}
  bool HalfPixelOffset() const override { return false; }
  void Draw(const Quad& quad, TextureHandle texture, int mode) override { calls->push_back({quad, texture, mode}); }
};

class RenderTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    testing::EngineTest::SetUp();
    RenderDevice::Instance().ResetForTests();
    Crop() = CropState();
  }
  void TearDown() override {
    RenderDevice::Instance().ResetForTests();
    testing::EngineTest::TearDown();
  }
  // An 800x600 device on the recording back end (again: the counts stay).
  void Record(bool perspective = false) {
    RenderDevice& device = RenderDevice::Instance();
    device.CloseDevice();
    device.InitDevice(std::make_unique<RecordingBackend>(&calls_), testing::WindowSetup(800, 600, perspective));
  }
  static Quad Box(float x0, float y0, float x1, float y1) {
    Quad q;
    q.v[0] = {x0, y0, 200, 0, 0, 1, 1, 1, 1};
    q.v[1] = {x1, y0, 200, 1, 0, 1, 1, 1, 1};
    q.v[2] = {x1, y1, 200, 1, 1, 1, 1, 1, 1};
    q.v[3] = {x0, y1, 200, 0, 1, 1, 1, 1, 1};
    return q;
  }
  std::vector<RecordingBackend::Call> calls_;
};

TEST_F(RenderTest, OffScreenQuadsAreRejectedOnlyInOrthographicMode) {
  Record();
  RenderDevice& device = RenderDevice::Instance();
  Quad q = Box(-10, 0, -1.5f, 10);
  device.DrawImage(q, 0, kAddressWrap);
  q = Box(-10, 0, -1, 10);  // the largest x is exactly -1: drawn
  device.DrawImage(q, 0, kAddressWrap);
  q = Box(801, 0, 900, 10);
  device.DrawImage(q, 0, kAddressWrap);
  q = Box(800.5f, 0, 900, 10);
  device.DrawImage(q, 0, kAddressWrap);
  q = Box(0, 601, 10, 700);
  device.DrawImage(q, 0, kAddressWrap);
  EXPECT_EQ(2, device.DrawnQuads());
  EXPECT_EQ(3, device.SkippedQuads());
  EXPECT_EQ(2u, calls_.size());

  Record(true);
  q = Box(-5000, -5000, -4000, -4000);
  device.DrawImage(q, 0, kAddressWrap);
  EXPECT_EQ(3, device.DrawnQuads()) << "no rejection in perspective mode";
  EXPECT_FLOAT_EQ(-5000 - 400.0f, calls_.back().quad.v[0].x) << "moved to the target's centre";
}

TEST_F(RenderTest, QuadsNotFiniteOrTooFarAreDroppedInBothProjections) {
  const float nan = std::nanf(""), inf = INFINITY;
  // Field index of QuadVertex (x, y, z, u, v, r, g, b, a), value, dropped.
  const struct {
    int field;
    float value;
    bool dropped;
  } cases[] = {{0, nan, true},    {1, -inf, true},    {2, nan, true},     {2, -1.0e30f, true}, {2, 1.0e10f, true},
               {3, nan, true},    {4, inf, true},     {5, nan, true},     {8, -inf, true},     {0, 2.0e7f, true},
               {1, -5.0e6f, false}, {2, 150000.0f, false}, {3, 1000.0f, false}, {8, 7.0f, false}};
  RenderDevice& device = RenderDevice::Instance();
  for (bool perspective : {false, true}) {
    Record(perspective);
    for (const auto& c : cases) {
      for (int vertex = 0; vertex < 4; ++vertex) {
        Quad q = Box(10, 10, 50, 50);
        reinterpret_cast<float*>(&q.v[vertex])[c.field] = c.value;
        size_t before = calls_.size();
        int skipped = device.SkippedQuads();
        device.DrawImage(q, 0, kAddressWrap);
        EXPECT_EQ(c.dropped ? before : before + 1, calls_.size())
            << "field " << c.field << " = " << c.value << " at vertex " << vertex << ", perspective " << perspective;
        EXPECT_EQ(c.dropped ? skipped + 1 : skipped, device.SkippedQuads());
      }
    }
  }
}

TEST_F(RenderTest, VertexRingWrapsWithADiscard) {
  Record();
  RenderDevice& device = RenderDevice::Instance();
  for (int i = 0; i < 2047; ++i) {
    Quad q = Box(0, 0, 1, 1);
    device.DrawImage(q, 0, kAddressWrap);
  }
  EXPECT_EQ(8188, device.RingPosition()) << "the 2048th quad goes to 8188..8191";
  Quad q = Box(0, 0, 1, 1);
  device.DrawImage(q, 0, kAddressWrap);
  EXPECT_EQ(8192, device.RingPosition());
  EXPECT_EQ(0, device.RingDiscards());
  device.DrawImage(q, 0, kAddressWrap);
  EXPECT_EQ(4, device.RingPosition()) << "the 2049th starts again at 0";
  EXPECT_EQ(1, device.RingDiscards());
}

TEST_F(RenderTest, PerspectivePlanesAndLetterbox) {
  RenderDevice& device = RenderDevice::Instance();
  float d = 0, f = 0;
  device.SetPerspectivePlanes(-1, -1, d, f);
  EXPECT_EQ(200.0f, d);
  EXPECT_EQ(100000.0f, f);
  device.SetPerspectivePlanes(0, 10, d, f);
  EXPECT_EQ(1.0f, d);
  EXPECT_EQ(10.0f, f);
  device.SetPerspectivePlanes(500, 100, d, f);
  EXPECT_EQ(500.0f, d);
  EXPECT_EQ(500.0f, f);

  DeviceSetup setup = testing::WindowSetup(800, 600, false);
  setup.width = 1680;
  setup.height = 1050;
  device.InitDevice(CreateSoftwareBackend(), setup);
  Rect r = device.ComputeLetterbox(true);
  EXPECT_FLOAT_EQ(140, r.x);
  EXPECT_FLOAT_EQ(0, r.y);
  EXPECT_FLOAT_EQ(1400, r.width);
  EXPECT_FLOAT_EQ(1050, r.height);
  r = device.ComputeLetterbox(false);
  EXPECT_FLOAT_EQ(1680, r.width);
}

// A back end that sets both blend factors at once and switches culling off
// around render targets, or neither.
class ConventionBackend : public testing::StubBackend {
 public:
  explicit ConventionBackend(bool other) : other_(other) {}
  bool SetsBlendFactorsTogether() const override { return other_; }
  bool TargetsResetCulling() const override { return other_; }

 private:
  bool other_;
};

TEST_F(RenderTest, BackEndConventionsShapeBlendFactorsAndCulling) {
  TextureRecord record;
  record.renderBuffer = true;
  record.texture = 7;
  record.width = record.height = 16;
  Bitmap target{true, &record, false};
  for (bool other : {false, true}) {
    SCOPED_TRACE(other ? "factors together, targets reset culling" : "the default renderer's conventions");
    RenderDevice& device = RenderDevice::Instance();
    device.ResetForTests();
    ASSERT_TRUE(device.InitDevice(std::make_unique<ConventionBackend>(other), testing::WindowSetup(800, 600, false)));
    device.SetBlendFactors(kBlendZero, kBlendSrcColour);
    device.SetBlendFactors(kBlendKeep, kBlendKeep);
    EXPECT_EQ(other ? kBlendOne : kBlendZero, device.States().srcBlend);
    EXPECT_EQ(other ? kBlendOne : kBlendSrcColour, device.States().dstBlend);
    const int culled = other ? kCullNone : kCullBack;
    device.SetCullMode(kCullBack);
    ASSERT_TRUE(BeginRenderTarget(&target, 0));
    EXPECT_EQ(culled, device.States().cullMode) << "begun";
    device.SetCullMode(kCullBack);
    EndRenderTarget();
    EXPECT_EQ(culled, device.States().cullMode) << "ended";
  }
}

// Records where debug text reaches the back end.
class DebugTextBackend : public testing::StubBackend {
 public:
  std::vector<std::pair<int, int>>* places;
  explicit DebugTextBackend(std::vector<std::pair<int, int>>* out) : places(out) {}
  void DrawDebugText(int x, int y, const std::string&, uint32_t) override { places->push_back({x, y}); }
};

// Positions are truncated toward zero; NaN and out-of-range values clamp
// instead of reaching the back end as undefined casts.
TEST_F(RenderTest, DebugTextPositionsBecomeIntegersSafely) {
  const float nan = std::nanf(""), inf = std::numeric_limits<float>::infinity();
  const struct {
    float in;
    int out;
  } cases[] = {{12.7f, 12}, {-3.9f, -3}, {0, 0}, {nan, 0}, {1e20f, INT_MAX}, {-1e20f, INT_MIN}, {inf, INT_MAX},
               {-inf, INT_MIN}};
  std::vector<std::pair<int, int>> places;
  RenderDevice& device = RenderDevice::Instance();
  ASSERT_TRUE(device.InitDevice(std::make_unique<DebugTextBackend>(&places), testing::WindowSetup(800, 600, false)));
  for (const auto& c : cases) {
    places.clear();
    device.DrawDebugText(c.in, 5.5f, "x", 0xFFFFFFFF);
    device.DrawDebugText(5.5f, c.in, "x", 0xFFFFFFFF);
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[0], std::make_pair(c.out, 5)) << c.in;
    EXPECT_EQ(places[1], std::make_pair(5, c.out)) << c.in;
  }
}

TEST_F(RenderTest, NameTables) {
  EXPECT_EQ(kBlendInvSrcAlpha, LookupName("invsrcalpha", NameTable::BlendFactors));
  EXPECT_EQ(kBlendKeep, LookupName("nothing", NameTable::BlendFactors));
  EXPECT_EQ(kBlendKeep, LookupName(nullptr, NameTable::BlendFactors));
  EXPECT_EQ(kGreater, LookupName("greater", NameTable::CompareFuncs));
  EXPECT_EQ(kAlways, LookupName("whatever", NameTable::CompareFuncs));
  EXPECT_EQ(kCullFront, LookupName("front", NameTable::CullModes));
  EXPECT_EQ(kCullNone, LookupName("sideways", NameTable::CullModes));
  EXPECT_EQ(kCullNone, LookupName(std::string(60, 'B').c_str(), NameTable::CullModes));
}

TEST_F(RenderTest, SpriteGeometryPlacesRotatesAndMirrors) {
  Record();
  SpriteDraw draw;
  draw.x = 100;
  draw.y = 100;
  draw.width = 64;
  draw.height = 32;
  draw.pivotX = 32;
  draw.pivotY = 16;
  draw.uLeft = 0.25f;
  draw.uRight = 0.75f;
  draw.vBottom = 1;
  DrawSprite(draw);
  ASSERT_EQ(1u, calls_.size());
  const Quad& q = calls_[0].quad;
  EXPECT_FLOAT_EQ(68, q.v[0].x);
  EXPECT_FLOAT_EQ(84, q.v[0].y);
  EXPECT_FLOAT_EQ(132, q.v[2].x);
  EXPECT_FLOAT_EQ(116, q.v[2].y);
  EXPECT_EQ(2, RenderDevice::Instance().DrawnPolysCount());
  EXPECT_EQ(64 * 32, RenderDevice::Instance().DrawnPolysSize());

  draw.angle = 90;
  DrawSprite(draw);
  EXPECT_NEAR(116, calls_[1].quad.v[0].x, 1e-3);
  EXPECT_NEAR(68, calls_[1].quad.v[0].y, 1e-3);

  draw.angle = 0;
  draw.scaleX = -1;
  DrawSprite(draw);
  EXPECT_FLOAT_EQ(68, calls_[2].quad.v[0].x) << "mirrored in place";
  EXPECT_FLOAT_EQ(0.75f, calls_[2].quad.v[0].u);
  EXPECT_FLOAT_EQ(0.25f, calls_[2].quad.v[1].u);

  draw.scaleX = 1;
  draw.alpha = 0;
  RenderDevice::Instance().ResetDrawnPolys();
  DrawSprite(draw);
  EXPECT_EQ(3u, calls_.size()) << "opacity 0 draws nothing";
  EXPECT_EQ(0, RenderDevice::Instance().DrawnPolysCount());
}

TEST_F(RenderTest, CropExamples) {
  TextureRecord record;
  record.width = 128;
  record.height = 64;
  record.sprites.push_back({"s", 32, 16, 64, 32, 10, 5});
  Bitmap bitmap{true, &record, true};
  SpriteFrame frame;
  auto crop = [](int x, int y, int w, int h) { Crop() = CropState{x, y, w, h, false}; };
  crop(8, 4, 16, 8);
  ASSERT_TRUE(FindSprite(&bitmap, "s", true, frame));
  EXPECT_FLOAT_EQ(16, frame.width);
  EXPECT_FLOAT_EQ(8, frame.height);
  EXPECT_FLOAT_EQ(40.0f / 128, frame.uLeft);
  EXPECT_FLOAT_EQ(20.0f / 64, frame.vTop);
  EXPECT_FLOAT_EQ(10, frame.pivotX) << "the pivot stays";
  crop(8, 0, -8, 0);
  ASSERT_TRUE(FindSprite(&bitmap, "s", true, frame));
  EXPECT_FLOAT_EQ(48, frame.width);
  EXPECT_FLOAT_EQ(32, frame.height);
  crop(100, 0, 0, 0);
  ASSERT_TRUE(FindSprite(&bitmap, "s", true, frame));
  EXPECT_FLOAT_EQ(0, frame.width);
  ASSERT_TRUE(FindSprite(&bitmap, "s", false, frame));
  EXPECT_FLOAT_EQ(64, frame.width) << "without the crop";
  testing::DeveloperMode(true);
  EXPECT_FALSE(FindSprite(&bitmap, "S", false, frame)) << "names are compared exactly";
}

// Sprites at the ends of int (from a sprite file) and sizes whose product
// overflows int: coordinates and the frame's pixel total stay in range.
TEST_F(RenderTest, HugeSpritesAndSizesStayInRange) {
  constexpr int kMax = std::numeric_limits<int32_t>::max();
  TextureRecord record;
  record.width = 64;
  record.height = 64;
  record.sprites.push_back({"far", kMax - 10, kMax - 20, kMax, kMax, 0, 0});
  Bitmap bitmap{true, &record, true};
  SpriteFrame frame;
  struct CropCase {
    CropState crop;
    double left, right;  // expected edges in pixels
  } const crops[] = {
      {CropState(), kMax - 10.0, kMax - 10.0 + kMax},
      {CropState{kMax, 0, 0, 0, false}, kMax - 10.0 + kMax, kMax - 10.0 + kMax},
      {CropState{4, 0, std::numeric_limits<int32_t>::min(), 0, false}, kMax - 6.0, kMax - 6.0},
  };
  for (const CropCase& c : crops) {
    Crop() = c.crop;
    ASSERT_TRUE(FindSprite(&bitmap, "far", true, frame));
    EXPECT_FLOAT_EQ(static_cast<float>(c.left / 64), frame.uLeft) << c.crop.cropX;
    EXPECT_FLOAT_EQ(static_cast<float>(c.right / 64), frame.uRight) << c.crop.cropX;
    EXPECT_GE(frame.width, 0);
  }

  Record();
  struct SizeCase {
    float width, scale;
    int32_t totalAfter;
  } const sizes[] = {
      {64, 1, 64 * 32},
      {64, 2000, kMax},  // 8.2e9 pixels: saturates
      {64, 1, kMax},
      {64, std::nanf(""), kMax},
  };
  RenderDevice::Instance().ResetDrawnPolys();
  for (const SizeCase& c : sizes) {
    SpriteDraw draw;
    draw.x = 1e7f;  // off screen: rejected, but counted
    draw.width = c.width;
    draw.height = 32;
    draw.scaleX = draw.scaleY = c.scale;
    DrawSprite(draw);
    EXPECT_EQ(c.totalAfter, RenderDevice::Instance().DrawnPolysSize()) << c.scale;
  }
}

// A textured scene through the software renderer in perspective: tilts,
// mirroring, culling, wrap and mirror addressing. Compared with a golden image.
TEST_F(RenderTest, PerspectiveSceneMatchesGolden) {
  RenderDevice& device = RenderDevice::Instance();
  ASSERT_TRUE(device.InitDevice(CreateSoftwareBackend(), testing::WindowSetup(320, 240, true)));
  std::vector<uint8_t> checker(16 * 16 * 4);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      uint8_t* p = &checker[(y * 16 + x) * 4];
      bool light = ((x / 4) + (y / 4)) % 2 == 0;
      p[0] = light ? 255 : 40;
      p[1] = static_cast<uint8_t>(x * 16);
      p[2] = static_cast<uint8_t>(y * 16);
      p[3] = 255;
    }
  TextureHandle texture = device.GetBackend()->CreateTexture(16, 16, true, false, checker.data());
  device.ClearFrame();
  auto sprite = [&](float x, float y, float tiltX, float tiltY, float scaleX, int mode, float uMax) {
    SpriteDraw d;
    d.x = x;
    d.y = y;
    d.width = d.height = 64;
    d.pivotX = d.pivotY = 32;
    d.uRight = d.vBottom = uMax;
    d.texture = texture;
    d.tiltX = tiltX;
    d.tiltY = tiltY;
    d.scaleX = scaleX;
    d.addressMode = mode;
    DrawSprite(d);
  };
  sprite(50, 50, 0, 0, 1, kAddressWrap, 1);
  sprite(130, 50, 45, 0, 1, kAddressWrap, 1);
  sprite(210, 50, 0, 60, 1, kAddressWrap, 1);
  sprite(280, 50, 0, 0, -1, kAddressWrap, 1);
  sprite(50, 150, 0, 0, 1, kAddressWrap, 2.5f);
  sprite(130, 150, 0, 0, 1, kAddressMirror, 2.5f);
  device.SetCullMode(kCullBack);
  sprite(210, 150, 0, 150, 1, kAddressWrap, 1);  // turned away: removed
  sprite(280, 150, 0, 30, 1, kAddressWrap, 1);   // still facing: drawn
  device.SetCullMode(kCullNone);
  PixelImage image;
  ASSERT_TRUE(device.GetBackend()->ReadBackBuffer(image));
  std::string golden = std::string(TARN_TEST_DIR) + "/golden/perspective_scene.png";
  if (const char* update = std::getenv("TARN_UPDATE_GOLDENS"); update && std::string(update) == "1") {
    ASSERT_TRUE(WritePngFile(golden, image));
    GTEST_SKIP() << "golden written";
  }
  PixelImage expected;
  ASSERT_TRUE(ReadPngFile(golden, expected));
  ASSERT_EQ(expected.width, image.width);
  ASSERT_EQ(expected.height, image.height);
  int differing = 0;
  for (size_t i = 0; i < image.bgra.size(); ++i) differing += image.bgra[i] != expected.bgra[i];
  EXPECT_EQ(0, differing);
}

}  // namespace
}  // namespace tarn::gfx
