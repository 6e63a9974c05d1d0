// The OpenGL renderer against the software renderer: the same scenes drawn
// through both back ends must give the same pixels, within a tolerance for
// the rounding each rasteriser does its own way.
//
// The test runs on a private Xvfb server (local connections only) with
// Mesa's software rasteriser, so it needs no display and no GPU.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "gl_rig.h"
#include "graphics/backend.h"
#include "graphics/quad_limits.h"

namespace tarn::gfx {
namespace {

using namespace gltest;  // NOLINT: the rig's names read as this file's own

constexpr float kNear = 1.0f;
constexpr float kFar = 100000.0f;
constexpr float kDepth = 200.0f;  // where sprites at z 0 lie

// ---------------------------------------------------------------------------
// Drawing helpers: what the render device's front does before a back end
// sees a quad.

struct Colour {
  float r, g, b, a;
};

// The orthographic projection, row-vector convention: left 0, right w, top 0,
// bottom h, near 1, far 100000; flipped for targets of back ends that store
// target rows bottom-up; 'zoom' scales about the top-left corner.
void Ortho(Backend& b, int w, int h, bool forTarget, float zoom = 1.0f) {
  bool flip = forTarget && b.FlipsTargets();
  float m[16] = {};
  m[0] = 2.0f * zoom / static_cast<float>(w);
  m[5] = (flip ? 2.0f : -2.0f) * zoom / static_cast<float>(h);
  m[10] = 1.0f / (kFar - kNear);
  m[12] = -1.0f;
  m[13] = flip ? -1.0f : 1.0f;
  m[14] = kNear / (kNear - kFar);
  m[15] = 1.0f;
  b.SetProjection(m, w, h);
}

// Hands a quad to the back end as the render device does: dropped when
// outside the limits every back end shares, else with the half-pixel shift
// its convention asks for.
void Submit(Backend& b, Quad q, TextureHandle texture = 0, int addressMode = kAddressWrap) {
  if (!QuadWithinLimits(q)) return;
  if (b.HalfPixelOffset()) {
    for (QuadVertex& v : q.v) {
      v.x -= 0.5f;
      v.y -= 0.5f;
    }
  }
  b.Draw(q, texture, addressMode);
}

// A box with corner colours (top-left, top-right, bottom-right, bottom-left)
// and texture coordinates u0..u1, v0..v1; clockwise on screen unless
// 'reversed' (then top-left, bottom-left, bottom-right, top-right).
Quad Box(float x0, float y0, float x1, float y1, const Colour (&c)[4], float u0 = 0, float v0 = 0, float u1 = 1,
         float v1 = 1, bool reversed = false) {
  Quad q;
  const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
  const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
  for (int i = 0; i < 4; ++i) q.v[i] = {xs[i], ys[i], kDepth, us[i], vs[i], c[i].r, c[i].g, c[i].b, c[i].a};
  if (reversed) std::swap(q.v[1], q.v[3]);
  return q;
}

Quad Box(float x0, float y0, float x1, float y1, Colour c, float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1,
         bool reversed = false) {
  const Colour corners[4] = {c, c, c, c};
  return Box(x0, y0, x1, y1, corners, u0, v0, u1, v1, reversed);
}

RenderStates Preset(int mode) {
  RenderStates s;
  switch (mode) {
    case 0: s.blendEnabled = false, s.srcBlend = kBlendOne, s.dstBlend = kBlendZero; break;
    case 2: s.dstBlend = kBlendOne; break;
    case 3: s.srcBlend = kBlendOne, s.dstBlend = kBlendOne; break;
    case 4: s.srcBlend = kBlendOne, s.dstBlend = kBlendOne, s.blendOp = kOpMax; break;
    default: break;
  }
  return s;
}

const Colour kQuadrants[4] = {{0.2f, 0.4f, 0.8f, 1}, {0.9f, 0.1f, 0.3f, 1}, {0.1f, 0.7f, 0.2f, 1}, {0.6f, 0.6f, 0.1f, 1}};

// Four solid quadrants and a smooth band across the bottom, drawn opaque.
void Background(Backend& b) {
  RenderStates none = Preset(0);
  b.SetStates(none);
  const float hw = kWidth / 2.0f, hh = kHeight / 2.0f;
  Submit(b, Box(0, 0, hw, hh, kQuadrants[0]));
  Submit(b, Box(hw, 0, kWidth, hh, kQuadrants[1]));
  Submit(b, Box(0, hh, hw, kHeight, kQuadrants[2]));
  Submit(b, Box(hw, hh, kWidth, kHeight, kQuadrants[3]));
  const Colour band[4] = {{0, 0, 0, 1}, {1, 1, 1, 1}, {0.2f, 0.9f, 0.5f, 1}, {0.9f, 0.2f, 0.5f, 1}};
  Submit(b, Box(0, 216, kWidth, kHeight, band));
  b.SetStates(RenderStates());
}

// A small texture: colour ramps, a checker in blue and an alpha ramp.
std::vector<uint8_t> PatternTexture(int w, int h) {
  std::vector<uint8_t> bgra(static_cast<size_t>(w * h * 4));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &bgra[static_cast<size_t>((y * w + x) * 4)];
      p[0] = ((x ^ y) & 1) ? 255 : 40;                    // b
      p[1] = static_cast<uint8_t>(y * 255 / std::max(1, h - 1));  // g
      p[2] = static_cast<uint8_t>(x * 255 / std::max(1, w - 1));  // r
      p[3] = static_cast<uint8_t>(255 - x * 20);                  // a
    }
  }
  return bgra;
}

// ---------------------------------------------------------------------------
// Checking pixels.

// One pixel as r, g, b, a bytes.
struct Pixel {
  int r, g, b, a;
};

Pixel PixelAt(const PixelImage& img, int x, int y) {
  const uint8_t* p = &img.bgra[static_cast<size_t>((y * img.width + x) * 4)];
  return {p[2], p[1], p[0], p[3]};
}

int Byte(float v) { return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

void ExpectPixel(const char* what, const PixelImage& img, int x, int y, float r, float g, float b, int tolerance = 2) {
  Pixel p = PixelAt(img, x, y);
  EXPECT_NEAR(p.r, Byte(r), tolerance) << what << " red at " << x << "," << y;
  EXPECT_NEAR(p.g, Byte(g), tolerance) << what << " green at " << x << "," << y;
  EXPECT_NEAR(p.b, Byte(b), tolerance) << what << " blue at " << x << "," << y;
}

// Draws a scene on both back ends; 'check' runs on each back buffer.
using Scene = std::function<void(Backend&)>;
using Check = std::function<void(const char* who, const PixelImage&)>;

void RunScene(const std::string& name, const Scene& scene, const Check& check = nullptr) {
  ASSERT_TRUE(g_rig && g_rig->gl && g_rig->sw) << (g_rig ? g_rig->error : std::string("no rig"));
  PixelImage images[2];
  Backend* backends[2] = {g_rig->sw.get(), g_rig->gl.get()};
  for (int i = 0; i < 2; ++i) {
    Backend& b = *backends[i];
    b.SetStates(RenderStates());
    Ortho(b, kWidth, kHeight, false);
    b.Clear();
    scene(b);
    b.SetStates(RenderStates());
    ASSERT_TRUE(b.ReadBackBuffer(images[i]));
    ASSERT_EQ(images[i].width, kWidth);
    ASSERT_EQ(images[i].height, kHeight);
    if (check) check(i == 0 ? "software" : "opengl", images[i]);
  }
  ExpectSame(name, images[0], images[1], false);
}

// ---------------------------------------------------------------------------
// Scenes.

TEST(GLBackend, Conventions) {
  ASSERT_TRUE(g_rig && g_rig->gl) << (g_rig ? g_rig->error : std::string("no rig"));
  Backend& gl = *g_rig->gl;
  EXPECT_FALSE(gl.HalfPixelOffset());
  EXPECT_TRUE(gl.FlipsTargets());
  EXPECT_TRUE(gl.HasDebugFont());
  EXPECT_EQ(gl.Width(), kWidth);
  EXPECT_EQ(gl.Height(), kHeight);
}

struct BlendCase {
  int mode;
  const char* name;
};

class BlendPresets : public testing::TestWithParam<BlendCase> {};

// What a preset makes of src over dst, for one channel.
float Blend(int mode, float src, float srcAlpha, float dst) {
  switch (mode) {
    case 0: return src;
    case 2: return src * srcAlpha + dst;
    case 3: return src + dst;
    case 4: return std::max(src, dst);
    default: return src * srcAlpha + dst * (1 - srcAlpha);
  }
}

TEST_P(BlendPresets, MatchSoftware) {
  const BlendCase& param = GetParam();
  const Colour boxA{1.0f, 0.5f, 0.25f, 0.5f};
  RunScene(
      std::string("blend-") + param.name,
      [&](Backend& b) {
        Background(b);
        b.SetStates(Preset(param.mode));
        Submit(b, Box(40, 30, 200, 150, boxA));
        const Colour corners[4] = {{0.1f, 0.9f, 0.6f, 0.9f}, {0.8f, 0.2f, 0.1f, 0.3f}, {0.3f, 0.3f, 0.9f, 0.6f},
                                   {1.0f, 1.0f, 0.0f, 0.1f}};
        Submit(b, Box(120, 90, 280, 225, corners));
        // Sub-pixel placed and thin boxes.
        Submit(b, Box(10.25f, 160.75f, 30.5f, 170.4f, boxA));
        Submit(b, Box(290.5f, 10, 291.5f, 100, boxA));
      },
      [&](const char* who, const PixelImage& img) {
        // Box A over the top-left quadrant, outside box B.
        const Colour& bg = kQuadrants[0];
        ExpectPixel(who, img, 60, 50, Blend(param.mode, boxA.r, boxA.a, bg.r), Blend(param.mode, boxA.g, boxA.a, bg.g),
                    Blend(param.mode, boxA.b, boxA.a, bg.b));
        // Untouched background.
        ExpectPixel(who, img, 300, 200, kQuadrants[3].r, kQuadrants[3].g, kQuadrants[3].b);
      });
}

INSTANTIATE_TEST_SUITE_P(GLBackend, BlendPresets,
                         testing::Values(BlendCase{0, "none"}, BlendCase{1, "alpha"}, BlendCase{2, "add"},
                                         BlendCase{3, "sum"}, BlendCase{4, "max"}),
                         [](const testing::TestParamInfo<BlendCase>& info) { return std::string(info.param.name); });

// Every pair of blend factors, and every operation, drawn into a render
// target with an alpha channel (so the destination alpha factors matter)
// and compared through ReadTexture, alpha included.
TEST(GLBackend, BlendFactorsAndOperationsInTarget) {
  ASSERT_TRUE(g_rig && g_rig->gl && g_rig->sw) << (g_rig ? g_rig->error : std::string("no rig"));
  PixelImage images[2];
  Backend* backends[2] = {g_rig->sw.get(), g_rig->gl.get()};
  for (int i = 0; i < 2; ++i) {
    Backend& b = *backends[i];
    TextureHandle target = b.CreateTexture(kWidth, kHeight, true, true, nullptr);
    ASSERT_NE(target, 0u);
    ASSERT_TRUE(b.BeginTarget(target, 0x40102030));
    b.SetStates(Preset(0));
    Ortho(b, kWidth, kHeight, true);
    // A destination with colour and alpha that vary across the target.
    const Colour ground[4] = {{0.1f, 0.2f, 0.9f, 0.2f}, {0.9f, 0.3f, 0.1f, 1.0f}, {0.5f, 0.9f, 0.4f, 0.6f},
                              {0.0f, 0.5f, 0.5f, 0.0f}};
    Submit(b, Box(0, 0, kWidth, 200, ground));
    const Colour src{0.8f, 0.4f, 0.2f, 0.6f};
    for (int s = kBlendZero; s <= kBlendInvDestColour; ++s) {
      for (int d = kBlendZero; d <= kBlendInvDestColour; ++d) {
        RenderStates st;
        st.srcBlend = s;
        st.dstBlend = d;
        b.SetStates(st);
        float x = static_cast<float>((d - 1) * 32), y = static_cast<float>((s - 1) * 20);
        Submit(b, Box(x + 2, y + 2, x + 30, y + 18, src));
      }
    }
    // The operations, with SRCALPHA and INVSRCALPHA.
    for (int op = kOpAdd; op <= kOpMax; ++op) {
      RenderStates st;
      st.blendOp = op;
      b.SetStates(st);
      float x = static_cast<float>((op - 1) * 64);
      const Colour c[4] = {{0.9f, 0.1f, 0.5f, 0.8f}, {0.2f, 0.8f, 0.9f, 0.4f}, {0.5f, 0.5f, 0.1f, 0.5f},
                           {0.0f, 0.3f, 0.7f, 1.0f}};
      Submit(b, Box(x + 4, 204, x + 60, 236, c));
    }
    b.SetStates(RenderStates());
    b.EndTarget();
    Ortho(b, kWidth, kHeight, false);
    ASSERT_TRUE(b.ReadTexture(target, images[i]));
    b.ReleaseTexture(target);
  }
  ExpectSame("factors-in-target", images[0], images[1], true);
  // The cell of ONE / ZERO holds the source colour as it is, top row first.
  Pixel p = PixelAt(images[1], 16, 1 * 20 + 10);
  EXPECT_NEAR(p.r, 204, 2);
  EXPECT_NEAR(p.g, 102, 2);
  EXPECT_NEAR(p.b, 51, 2);
  EXPECT_NEAR(p.a, 153, 2);
}

TEST(GLBackend, TextureAddressModes) {
  const int tw = 8, th = 6;  // not a power of two
  std::vector<uint8_t> pattern = PatternTexture(tw, th);
  TextureHandle textures[2][2] = {};
  Backend* backends[2] = {g_rig ? g_rig->sw.get() : nullptr, g_rig ? g_rig->gl.get() : nullptr};
  ASSERT_TRUE(backends[0] && backends[1]);
  for (int i = 0; i < 2; ++i) {
    textures[i][0] = backends[i]->CreateTexture(tw, th, true, false, pattern.data());
    textures[i][1] = backends[i]->CreateTexture(tw, th, false, false, pattern.data());
    ASSERT_NE(textures[i][0], 0u);
    ASSERT_NE(textures[i][1], 0u);
  }
  auto textureOf = [&](Backend& b, int which) { return textures[&b == backends[0] ? 0 : 1][which]; };
  RunScene(
      "texture-address",
      [&](Backend& b) {
        Background(b);
        TextureHandle t = textureOf(b, 0);
        const Colour white{1, 1, 1, 1};
        Submit(b, Box(10, 10, 100, 100, white, -1, -1, 2, 2), t, kAddressWrap);
        Submit(b, Box(110, 10, 200, 100, white, -1, -1, 2, 2), t, kAddressMirror);
        Submit(b, Box(210, 10, 300, 100, white, -1, -1, 2, 2), t, kAddressClamp);
        // The same texture again with another mode: the mode follows each draw.
        Submit(b, Box(10, 110, 60, 160, white, 0.5f, 0.5f, 3.5f, 3.5f), t, kAddressMirror);
        // One texel per pixel, tinted, and the texture without alpha.
        const Colour tint{1.0f, 0.5f, 1.0f, 1.0f};
        Submit(b, Box(70, 120, 70 + tw, 120 + th, tint), t, kAddressClamp);
        Submit(b, Box(90, 110, 170, 170, white, 0, 0, 1, 1), textureOf(b, 1), kAddressClamp);
        // Untextured drawing in between textured ones.
        Submit(b, Box(180, 110, 200, 170, Colour{0.3f, 0.9f, 0.3f, 0.7f}));
        Submit(b, Box(210, 110, 310, 200, white, 1, 0, 0, 1), t, kAddressWrap);  // mirrored horizontally
      },
      [&](const char* who, const PixelImage& img) {
        // One-to-one texels: texel (3, 2) blended over the top-left quadrant.
        const uint8_t* texel = &pattern[(2 * tw + 3) * 4];
        float a = texel[3] / 255.0f;
        const Colour& bg = kQuadrants[2];  // y 122 lies in the lower half
        ExpectPixel(who, img, 73, 122, texel[2] / 255.0f * a + bg.r * (1 - a),
                    texel[1] / 255.0f * 0.5f * a + bg.g * (1 - a), texel[0] / 255.0f * a + bg.b * (1 - a));
      });
  for (int i = 0; i < 2; ++i) {
    backends[i]->ReleaseTexture(textures[i][0]);
    backends[i]->ReleaseTexture(textures[i][1]);
  }
}

TEST(GLBackend, AlphaTestGreater128) {
  std::vector<uint8_t> ramp(64 * 4 * 4);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 64; ++x) {
      uint8_t* p = &ramp[static_cast<size_t>((y * 64 + x) * 4)];
      p[0] = 200, p[1] = 220, p[2] = 50, p[3] = static_cast<uint8_t>(x * 4);
    }
  }
  TextureHandle textures[2] = {};
  Backend* backends[2] = {g_rig ? g_rig->sw.get() : nullptr, g_rig ? g_rig->gl.get() : nullptr};
  ASSERT_TRUE(backends[0] && backends[1]);
  for (int i = 0; i < 2; ++i) ASSERT_NE(textures[i] = backends[i]->CreateTexture(64, 4, true, false, ramp.data()), 0u);
  const int alphas[4] = {100, 128, 129, 200};
  RunScene(
      "alpha-test",
      [&](Backend& b) {
        Background(b);
        RenderStates st;
        st.alphaFunc = kGreater;
        st.alphaRef = 128;
        b.SetStates(st);
        for (int i = 0; i < 4; ++i) {
          float x = 20.0f + 70.0f * i;
          Submit(b, Box(x, 20, x + 60, 80, Colour{1, 1, 1, alphas[i] / 255.0f}));
        }
        Submit(b, Box(20, 130, 276, 190, Colour{1, 1, 1, 1}), textures[&b == backends[0] ? 0 : 1], kAddressClamp);
      },
      [&](const char* who, const PixelImage& img) {
        const Colour& bg = kQuadrants[0];
        ExpectPixel(who, img, 50, 50, bg.r, bg.g, bg.b);  // 100: fails
        ExpectPixel(who, img, 120, 50, bg.r, bg.g, bg.b);  // 128: not greater
        const Colour& bg1 = kQuadrants[1];
        float a = 129 / 255.0f;
        ExpectPixel(who, img, 190, 50, a + bg1.r * (1 - a), a + bg1.g * (1 - a), a + bg1.b * (1 - a));
      });
  for (int i = 0; i < 2; ++i) backends[i]->ReleaseTexture(textures[i]);
}

TEST(GLBackend, ColourMaskRedOnly) {
  RunScene(
      "colour-mask",
      [](Backend& b) {
        Background(b);
        RenderStates st = Preset(0);
        st.colourMask[1] = st.colourMask[2] = st.colourMask[3] = false;
        b.SetStates(st);
        Submit(b, Box(40, 40, 280, 200, Colour{1, 1, 1, 1}));
        Submit(b, Box(60, 60, 100, 100, Colour{0, 0, 0, 1}));
      },
      [](const char* who, const PixelImage& img) {
        const Colour& bg = kQuadrants[0];
        ExpectPixel(who, img, 50, 50, 1.0f, bg.g, bg.b);
        ExpectPixel(who, img, 80, 80, 0.0f, bg.g, bg.b);
        ExpectPixel(who, img, 20, 20, bg.r, bg.g, bg.b);
      });
}

// A masked colour does not keep a clear from clearing all channels.
TEST(GLBackend, ClearIgnoresColourMask) {
  RunScene("clear-under-mask", [](Backend& b) {
    Background(b);
    RenderStates st;
    st.colourMask[0] = st.colourMask[1] = false;
    b.SetStates(st);
    b.Clear();
    Submit(b, Box(40, 40, 280, 200, Colour{1, 1, 1, 1}));
  }, [](const char* who, const PixelImage& img) {
    ExpectPixel(who, img, 20, 20, 0, 0, 0);
    ExpectPixel(who, img, 100, 100, 0, 0, 1);
  });
}

// Three rows (cull none, back, front) of a clockwise quad at x0 and a
// counter-clockwise one at x1, each w by h, rows 'step' apart.
void CullRows(Backend& b, float top, float x0 = 20, float x1 = 160, float w = 100, float h = 25, float step = 30) {
  const int modes[3] = {kCullNone, kCullBack, kCullFront};
  for (int row = 0; row < 3; ++row) {
    RenderStates st;
    st.cullMode = modes[row];
    b.SetStates(st);
    float y = top + step * static_cast<float>(row);
    Submit(b, Box(x0, y, x0 + w, y + h, Colour{1, 0.2f, 0.2f, 1}));
    Submit(b, Box(x1, y, x1 + w, y + h, Colour{0.2f, 1, 0.2f, 1}, 0, 0, 1, 1, true));
  }
  b.SetStates(RenderStates());
}

TEST(GLBackend, CullBackAndFront) {
  RunScene(
      "cull",
      [](Backend& b) {
        Background(b);
        CullRows(b, 10);
      },
      [](const char* who, const PixelImage& img) {
        const Colour& left = kQuadrants[0];
        const Colour& right = kQuadrants[1];
        ExpectPixel(who, img, 70, 20, 1, 0.2f, 0.2f);          // none: both drawn
        ExpectPixel(who, img, 210, 20, 0.2f, 1, 0.2f);
        ExpectPixel(who, img, 70, 50, 1, 0.2f, 0.2f);          // back: the clockwise one stays
        ExpectPixel(who, img, 210, 50, right.r, right.g, right.b);
        ExpectPixel(who, img, 70, 80, left.r, left.g, left.b);  // front: the counter-clockwise one stays
        ExpectPixel(who, img, 210, 80, 0.2f, 1, 0.2f);
      });
}

// A target drawn with an asymmetric picture (and culling, whose winding the
// flipped projection mirrors), then drawn onto the window 1:1 and enlarged.
TEST(GLBackend, RenderTarget) {
  const int tw = 100, th = 90;
  Backend* backends[2] = {g_rig ? g_rig->sw.get() : nullptr, g_rig ? g_rig->gl.get() : nullptr};
  ASSERT_TRUE(backends[0] && backends[1]);
  TextureHandle targets[2][2] = {};
  PixelImage contents[2];
  for (int i = 0; i < 2; ++i) {
    targets[i][0] = backends[i]->CreateTexture(tw, th, true, true, nullptr);
    targets[i][1] = backends[i]->CreateTexture(40, 30, false, true, nullptr);
    ASSERT_NE(targets[i][0], 0u);
    ASSERT_NE(targets[i][1], 0u);
  }
  RunScene(
      "render-target",
      [&](Backend& b) {
        int i = &b == backends[0] ? 0 : 1;
        Background(b);  // drawn before the switch: must survive it
        ASSERT_TRUE(b.BeginTarget(targets[i][0], 0x80FF0000));
        Ortho(b, tw, th, true);
        b.SetStates(RenderStates());
        Submit(b, Box(4, 4, 30, 14, Colour{0, 1, 0, 1}));  // top-left marker
        const Colour corners[4] = {{1, 1, 1, 1}, {0, 0, 1, 1}, {0, 0, 0, 0.5f}, {1, 1, 0, 0.8f}};
        Submit(b, Box(50, 40, 96, 86, corners));
        CullRows(b, 20, 4, 40, 30, 12, 15);  // rows at 20, 35 and 50
        b.EndTarget();
        // The second target: no alpha channel, cleared with alpha 0.
        ASSERT_TRUE(b.BeginTarget(targets[i][1], 0x000000FF));
        Ortho(b, 40, 30, true);
        Submit(b, Box(0, 0, 20, 15, Colour{1, 1, 0, 1}));
        b.EndTarget();
        Ortho(b, kWidth, kHeight, false);
        ASSERT_TRUE(b.ReadTexture(targets[i][0], contents[i]));
        const Colour white{1, 1, 1, 1};
        Submit(b, Box(10, 10, 10 + tw, 10 + th, white), targets[i][0], kAddressClamp);
        Submit(b, Box(120, 10, 120 + 2 * tw, 10 + 2 * th, white), targets[i][0], kAddressClamp);
        Submit(b, Box(20, 150, 100, 210, white), targets[i][1], kAddressClamp);
      },
      [&](const char* who, const PixelImage& img) {
        ExpectPixel(who, img, 15, 15, 0, 1, 0);  // the marker is at the top-left
        // The target without alpha covers the background: blue, and yellow
        // in its top-left quarter.
        ExpectPixel(who, img, 90, 200, 0, 0, 1);
        ExpectPixel(who, img, 30, 160, 1, 1, 0);
      });
  ExpectSame("render-target-contents", contents[0], contents[1], true);
  // Top row first in both: the marker.
  Pixel marker = PixelAt(contents[1], 6, 6);
  EXPECT_EQ(marker.g, 255);
  EXPECT_EQ(marker.r, 0);
  EXPECT_EQ(marker.a, 255);
  Pixel cleared = PixelAt(contents[1], 45, 2);
  EXPECT_EQ(cleared.r, 255);
  EXPECT_NEAR(cleared.a, 128, 1);
  for (int i = 0; i < 2; ++i) {
    backends[i]->ReleaseTexture(targets[i][0]);
    backends[i]->ReleaseTexture(targets[i][1]);
  }
}

// Sprites drawn one texel per pixel at whole-pixel positions show their
// texels: exactly in software, within the tolerance in OpenGL; with
// wrapping, the far side of the texture does not bleed in.
TEST(GLBackend, UnscaledSpritesShowTheirTexels) {
  const int sizes[2][2] = {{37, 23}, {32, 16}};
  Backend* backends[2] = {g_rig ? g_rig->sw.get() : nullptr, g_rig ? g_rig->gl.get() : nullptr};
  ASSERT_TRUE(backends[0] && backends[1]);
  std::vector<uint8_t> texels[2];
  TextureHandle textures[2][2] = {};
  for (int t = 0; t < 2; ++t) {
    texels[t] = PatternTexture(sizes[t][0], sizes[t][1]);
    for (size_t i = 0; i < texels[t].size(); i += 4) {
      texels[t][i + 1] = static_cast<uint8_t>(texels[t][i + 1] ^ (i * 37));  // vary every channel
      texels[t][i + 3] = 255;
    }
    for (int i = 0; i < 2; ++i) {
      textures[i][t] = backends[i]->CreateTexture(sizes[t][0], sizes[t][1], t == 0, false, texels[t].data());
      ASSERT_NE(textures[i][t], 0u);
    }
  }
  const int places[][2] = {{0, 0}, {60, 30}, {101, 57}, {250, 190}, {283, 217}};
  const int modes[] = {kAddressWrap, kAddressClamp};
  RunScene(
      "unscaled-sprites",
      [&](Backend& b) {
        int i = &b == backends[0] ? 0 : 1;
        Background(b);
        for (int p = 0; p < 5; ++p) {
          int t = p % 2, w = sizes[t][0], h = sizes[t][1];
          float x = static_cast<float>(places[p][0]), y = static_cast<float>(places[p][1]);
          Submit(b, Box(x, y, x + w, y + h, Colour{1, 1, 1, 1}), textures[i][t], modes[p % 2]);
        }
      },
      [&](const char* who, const PixelImage& img) {
        int tolerance = std::string(who) == "software" ? 0 : kTolerance, worst = 0;
        for (int p = 0; p < 5; ++p) {
          int t = p % 2, w = sizes[t][0], h = sizes[t][1];
          for (int ty = 0; ty < h; ++ty)
            for (int tx = 0; tx < w; ++tx) {
              Pixel got = PixelAt(img, places[p][0] + tx, places[p][1] + ty);
              const uint8_t* want = &texels[t][static_cast<size_t>((ty * w + tx) * 4)];
              worst = std::max({worst, std::abs(got.b - want[0]), std::abs(got.g - want[1]), std::abs(got.r - want[2])});
            }
        }
        EXPECT_LE(worst, tolerance) << who;
      });
  for (int i = 0; i < 2; ++i)
    for (int t = 0; t < 2; ++t) backends[i]->ReleaseTexture(textures[i][t]);
}

// Geometry that is not finite or absurdly far away is dropped for every back
// end; a quad reaching far past the target is cut at its edges alike.
TEST(GLBackend, ExtremeGeometryDrawsAlike) {
  const float nan = std::nanf(""), inf = INFINITY;
  RunScene(
      "extreme-geometry",
      [&](Backend& b) {
        Background(b);
        const Colour orange{1, 0.5f, 0.2f, 1};
        Quad q = Box(10, 10, 100, 100, orange);
        q.v[2].x = nan;
        Submit(b, q);
        q = Box(10, 10, 100, 100, orange);
        q.v[1].y = -inf;
        Submit(b, q);
        q = Box(10, 10, 100, 100, orange);
        q.v[2].z = -1.0e30f;
        Submit(b, q);
        q = Box(10, 10, 100, 100, orange);
        q.v[0].r = nan;
        Submit(b, q);
        // Cut, not dropped: a band millions of pixels wide, and a wedge with
        // one corner a million pixels out.
        Submit(b, Box(-5.0e6f, 120, 5.0e6f, 150, Colour{0.2f, 0.9f, 0.4f, 0.8f}));
        q = Box(200, 20, 260, 80, Colour{0.9f, 0.9f, 0.2f, 1});
        q.v[2].x = 1.0e6f;
        q.v[2].y = 3.0e5f;
        Submit(b, q);
      },
      [&](const char* who, const PixelImage& img) {
        ExpectPixel(who, img, 50, 50, kQuadrants[0].r, kQuadrants[0].g, kQuadrants[0].b);
        const Colour& below = kQuadrants[2];  // y 135 lies in the lower half
        ExpectPixel(who, img, 5, 135, 0.2f * 0.8f + below.r * 0.2f, 0.9f * 0.8f + below.g * 0.2f,
                    0.4f * 0.8f + below.b * 0.2f);
      });
}

// Textures keep what was uploaded, whatever their size.
TEST(GLBackend, TextureRoundTrip) {
  ASSERT_TRUE(g_rig && g_rig->gl) << (g_rig ? g_rig->error : std::string("no rig"));
  Backend& gl = *g_rig->gl;
  std::vector<uint8_t> pattern = PatternTexture(5, 3);
  TextureHandle t = gl.CreateTexture(5, 3, true, false, pattern.data());
  ASSERT_NE(t, 0u);
  PixelImage out;
  ASSERT_TRUE(gl.ReadTexture(t, out));
  EXPECT_EQ(out.width, 5);
  EXPECT_EQ(out.height, 3);
  EXPECT_EQ(out.bgra, pattern);
  gl.ReleaseTexture(t);
  EXPECT_FALSE(gl.ReadTexture(t, out));
  // Without alpha the alpha channel reads as opaque.
  TextureHandle opaque = gl.CreateTexture(5, 3, false, false, pattern.data());
  ASSERT_TRUE(gl.ReadTexture(opaque, out));
  for (size_t i = 0; i < out.bgra.size(); i += 4) {
    EXPECT_EQ(out.bgra[i + 2], pattern[i + 2]);
    EXPECT_EQ(out.bgra[i + 3], 255);
  }
  gl.ReleaseTexture(opaque);
  // No pixels: black.
  TextureHandle black = gl.CreateTexture(3, 3, true, false, nullptr);
  ASSERT_TRUE(gl.ReadTexture(black, out));
  EXPECT_EQ(out.bgra, std::vector<uint8_t>(36, 0));
  gl.ReleaseTexture(black);
  EXPECT_FALSE(gl.BeginTarget(12345, 0));
  EXPECT_EQ(gl.CreateTexture(0, 4, true, false, nullptr), 0u);
}

// After Present the read-back shows the frame that was presented.
TEST(GLBackend, ReadBackAfterPresent) {
  ASSERT_TRUE(g_rig && g_rig->gl) << (g_rig ? g_rig->error : std::string("no rig"));
  Backend& gl = *g_rig->gl;
  gl.SetStates(RenderStates());
  Ortho(gl, kWidth, kHeight, false);
  gl.Clear();
  Background(gl);
  Submit(gl, Box(100, 100, 150, 130, Colour{1, 1, 1, 1}));
  PixelImage before, after;
  ASSERT_TRUE(gl.ReadBackBuffer(before));
  ASSERT_TRUE(gl.Present());
  ASSERT_TRUE(gl.ReadBackBuffer(after));
  ExpectSame("after-present", before, after, false);
  ExpectPixel("opengl", after, 120, 110, 1, 1, 1);
}


// ---------------------------------------------------------------------------
// The debug font.

// Text in several colours, over the edges and with characters outside
// printable ASCII, drawn under a scaled projection and states the font
// ignores; a sprite drawn before and after it shows that the states, the
// projection and the texture binding are the same after the text.
void DebugTextScene(Backend& b, TextureHandle sprite, bool withText) {
  Background(b);
  Ortho(b, kWidth, kHeight, false, 0.5f);  // the text stays in target pixels
  RenderStates st;
  st.blendOp = kOpMax;
  st.colourMask[2] = false;
  st.alphaFunc = kGreater;
  st.alphaRef = 200;
  st.cullMode = kCullBack;
  b.SetStates(st);
  const Colour white{1, 1, 1, 1};
  Submit(b, Box(40, 300, 120, 340, white), sprite, kAddressClamp);
  if (withText) {
    b.DrawDebugText(6, 4, "Tarn Engine 1.4.7 {}[]|@#%&~ jgpqy", 0xFFFFFFFF);
    b.DrawDebugText(20, 100, "caf\xC3\xA9 \x01\x7F\ttab\nline", 0x99FFCC33);
    b.DrawDebugText(-7, kHeight - 5, "cut at the left and bottom edges", 0xFF40E0FF);
    b.DrawDebugText(kWidth - 30, 150, "cut at the right", 0xC0200040);
    b.DrawDebugText(kWidth + 5, -20, "outside", 0xFFFFFFFF);
  }
  Submit(b, Box(200, 300, 280, 340, white), sprite, kAddressClamp);
}

TEST(GLBackend, DebugTextMatchesSoftware) {
  Backend* backends[2] = {g_rig ? g_rig->sw.get() : nullptr, g_rig ? g_rig->gl.get() : nullptr};
  ASSERT_TRUE(backends[0] && backends[1]);
  // One colour that passes the alpha test: where it is sampled does not matter.
  std::vector<uint8_t> texels(4 * 4 * 4);
  for (size_t i = 0; i < texels.size(); i += 4) texels[i] = 250, texels[i + 1] = 40, texels[i + 2] = 200, texels[i + 3] = 230;
  TextureHandle sprites[2] = {};
  for (int i = 0; i < 2; ++i) ASSERT_NE(sprites[i] = backends[i]->CreateTexture(4, 4, true, false, texels.data()), 0u);
  PixelImage images[2];
  RunScene(
      "debug-text", [&](Backend& b) { DebugTextScene(b, sprites[&b == backends[0] ? 0 : 1], true); },
      [&](const char* who, const PixelImage& img) { images[std::string(who) == "software" ? 0 : 1] = img; });
  // Glyphs and sprites lie on whole pixels: no pixel may be an edge case.
  EXPECT_EQ(PixelsBeyondTolerance(images[0], images[1], false), 0);
  // Both sprites show, drawn at half size with the states set for them.
  for (int x : {40, 120}) {
    const Colour& bg = kQuadrants[2];
    ExpectPixel("opengl", images[1], x, 160, std::max(200 / 255.0f, bg.r), std::max(40 / 255.0f, bg.g), bg.b);
  }
  // The text shows: the scene without it differs in many pixels.
  PixelImage plain;
  Backend& sw = *backends[0];
  sw.SetStates(RenderStates());
  Ortho(sw, kWidth, kHeight, false);
  sw.Clear();
  DebugTextScene(sw, sprites[0], false);
  ASSERT_TRUE(sw.ReadBackBuffer(plain));
  EXPECT_GT(PixelsBeyondTolerance(plain, images[0], false), 400);
  for (int i = 0; i < 2; ++i) backends[i]->ReleaseTexture(sprites[i]);
}

// Into a render target with an alpha channel: the rows come out top first
// and the target's alpha stays as it was under the text.
TEST(GLBackend, DebugTextInTargetMatchesSoftware) {
  Backend* backends[2] = {g_rig ? g_rig->sw.get() : nullptr, g_rig ? g_rig->gl.get() : nullptr};
  ASSERT_TRUE(backends[0] && backends[1]);
  const int tw = 128, th = 64;
  PixelImage images[2];
  for (int i = 0; i < 2; ++i) {
    Backend& b = *backends[i];
    TextureHandle target = b.CreateTexture(tw, th, true, true, nullptr);
    ASSERT_NE(target, 0u);
    ASSERT_TRUE(b.BeginTarget(target, 0x40102030));
    Ortho(b, tw, th, true);
    b.SetStates(Preset(0));
    Submit(b, Box(0, 32, tw, th, Colour{0.2f, 0.6f, 0.4f, 0.75f}));
    b.SetStates(RenderStates());
    b.DrawDebugText(2, 1, "Top row: Wy", 0xFFFFFF00);
    b.DrawDebugText(3, 40, "alpha 0.5", 0x80FF60FF);
    b.EndTarget();
    Ortho(b, kWidth, kHeight, false);
    ASSERT_TRUE(b.ReadTexture(target, images[i]));
    b.ReleaseTexture(target);
  }
  EXPECT_EQ(PixelsBeyondTolerance(images[0], images[1], true), 0);
  int inked = 0;
  for (int y = 0; y < th; ++y)
    for (int x = 0; x < tw; ++x) {
      Pixel p = PixelAt(images[1], x, y);
      EXPECT_NEAR(p.a, y < 32 ? 0x40 : 191, 1) << x << "," << y;  // the text leaves alpha alone
      inked += y < 14 && p.r > 0x80;                         // the yellow text is in the top rows
    }
  EXPECT_GT(inked, 30);
}

TEST(GLBackend, DebugTextMeasuresAlike) {
  ASSERT_TRUE(g_rig && g_rig->gl && g_rig->sw) << (g_rig ? g_rig->error : std::string("no rig"));
  EXPECT_EQ(g_rig->gl->DebugFontHeight(), g_rig->sw->DebugFontHeight());
  EXPECT_GT(g_rig->gl->DebugFontHeight(), 0);
  const std::string texts[] = {"", " ", "i", "W", "Hello, world!", "caf\xC3\xA9\x01\x7F\xFF", std::string(5000, 'm')};
  for (const std::string& text : texts) {
    EXPECT_EQ(g_rig->gl->MeasureDebugText(text), g_rig->sw->MeasureDebugText(text)) << text.size() << " bytes";
  }
}

// The names of the texture objects that exist now.
std::vector<GLuint> LiveTextures() {
  std::vector<GLuint> names;
  for (GLuint name = 1; name < (1u << 16); ++name)
    if (glIsTexture(name)) names.push_back(name);
  return names;
}

// The font's texture comes with the first text, once; Close deletes it and
// the next start makes it again.
TEST(GLBackend, DebugFontTextureLifecycle) {
  ASSERT_TRUE(g_rig && g_rig->gl) << (g_rig ? g_rig->error : std::string("no rig"));
  Backend& gl = *g_rig->gl;
  for (int start = 0; start < 2; ++start) {
    gl.Close();
    ASSERT_TRUE(gl.Init(kWidth, kHeight, false));
    std::vector<GLuint> before = LiveTextures();
    gl.MeasureDebugText("no texture for measuring");
    EXPECT_EQ(LiveTextures(), before);
    PixelImage images[2];
    for (int frame = 0; frame < 2; ++frame) {
      Ortho(gl, kWidth, kHeight, false);
      gl.Clear();
      gl.DrawDebugText(10, 10, "text", 0xFFFFFFFF);
      ASSERT_TRUE(gl.ReadBackBuffer(images[frame]));
    }
    std::vector<GLuint> after = LiveTextures();
    ASSERT_EQ(after.size(), before.size() + 1) << "start " << start;
    EXPECT_EQ(PixelsBeyondTolerance(images[0], images[1], false), 0);
    PixelImage black = images[0];
    std::fill(black.bgra.begin(), black.bgra.end(), 0);
    for (size_t i = 3; i < black.bgra.size(); i += 4) black.bgra[i] = 255;
    EXPECT_GT(PixelsBeyondTolerance(black, images[0], false), 20) << "start " << start;
  }
  std::vector<GLuint> withFont = LiveTextures();
  gl.Close();
  EXPECT_EQ(LiveTextures().size() + 1, withFont.size());
  ASSERT_TRUE(gl.Init(kWidth, kHeight, false));
}

}  // namespace
}  // namespace tarn::gfx
