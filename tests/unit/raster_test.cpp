// Coverage of the software rasteriser: quads that share edges cover every
// pixel once, whichever row set-up path draws them and however the rows are
// split between threads.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "graphics/software/raster.h"

namespace tarn::gfx {
namespace {

constexpr int kSize = 96;

Viewport PixelViewport() {
  Viewport v{};
  v.matrix[0] = 2.0f / kSize;
  v.matrix[5] = -2.0f / kSize;
  v.matrix[10] = 1.0f;
  v.matrix[12] = -1.0f;
  v.matrix[13] = 1.0f;
  v.matrix[15] = 1.0f;
  v.width = kSize;
  v.height = kSize;
  return v;
}

// A grid of quads over shared, jittered corners. Quarter-pixel jitter puts
// many corners on pixel centres and many edges through them, where the
// fill rule alone decides.
struct Grid {
  static constexpr int kCells = 6;
  float x[kCells + 1][kCells + 1], y[kCells + 1][kCells + 1];

  explicit Grid(std::mt19937& rng) {
    std::uniform_int_distribution<int> jitter(-16, 16);
    const float cell = 12.0f, origin = 12.0f;
    for (int j = 0; j <= kCells; ++j)
      for (int i = 0; i <= kCells; ++i) {
        bool border = i == 0 || j == 0 || i == kCells || j == kCells;
        x[j][i] = origin + i * cell + (border ? 0.0f : jitter(rng) * 0.25f);
        y[j][i] = origin + j * cell + (border ? 0.0f : jitter(rng) * 0.25f);
      }
  }
  Quad Cell(int i, int j, bool reversed, float blue) const {
    const int corner[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    Quad q;
    for (int k = 0; k < 4; ++k) {
      int c = reversed ? 3 - k : k;
      int ci = i + corner[c][0], cj = j + corner[c][1];
      q.v[k] = {x[cj][ci], y[cj][ci], 0.5f, 0.1f * ci, 0.1f * cj, 0.0f, 0.0f, blue, 1.0f};
    }
    return q;
  }
};

// Draws the grid adding 1 to the blue byte of each pixel per covering;
// rows are drawn in bands of random height.
Surface DrawGrid(const Grid& grid, const Surface* texture, std::mt19937& rng) {
  Surface target;
  target.alpha = true;
  target.Resize(kSize, kSize);
  RenderStates states;
  states.srcBlend = kBlendOne;
  states.dstBlend = kBlendOne;
  Viewport viewport = PixelViewport();
  std::uniform_int_distribution<int> bandHeight(1, 40);
  for (int j = 0; j < Grid::kCells; ++j)
    for (int i = 0; i < Grid::kCells; ++i) {
      PreparedQuad quad;
      if (!PrepareQuad(viewport, grid.Cell(i, j, (i + j) % 3 == 0, 1.0f / 255.0f), quad)) continue;
      for (int row = 0; row < kSize;) {
        int next = std::min(kSize, row + bandHeight(rng));
        RasterPrepared(target, states, quad, texture, kAddressClamp, row, next);
        row = next;
      }
    }
  return target;
}

TEST(RasterTest, SharedEdgesCoverEachPixelOnce) {
  std::mt19937 rng(99);
  Surface white;
  white.alpha = true;
  white.Resize(1, 1);
  white.pixels[0] = 0xFFFFFFFFu;
  for (int round = 0; round < 40; ++round) {
    Grid grid(rng);
    // Untextured quads take the triangle-by-triangle path, textured ones
    // share their row set-up; both must cover alike.
    for (const Surface* texture : {static_cast<const Surface*>(nullptr), static_cast<const Surface*>(&white)}) {
      Surface target = DrawGrid(grid, texture, rng);
      int twice = 0, missed = 0;
      for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
          uint32_t count = target.Row(y)[x] & 0xFF;
          bool inside = x > 12 && x < 84 && y > 12 && y < 84;
          twice += count > 1;
          missed += inside && count != 1;
          if (!(x >= 12 && x <= 84 && y >= 12 && y <= 84)) missed += count != 0;
        }
      EXPECT_EQ(0, twice) << "round " << round << (texture ? " textured" : "");
      EXPECT_EQ(0, missed) << "round " << round << (texture ? " textured" : "");
    }
  }
}

// The perspective projection of the render device for the test's target:
// positions relative to the centre, sprites at depth 200 at pixel size.
Viewport PerspectiveViewport() {
  const float n = 1.0f, f = 100000.0f, half = kSize / 2.0f * n / 200.0f;
  Viewport v{};
  v.matrix[0] = n / half;
  v.matrix[5] = -n / half;
  v.matrix[10] = f / (f - n);
  v.matrix[11] = 1.0f;
  v.matrix[14] = n * f / (n - f);
  v.width = kSize;
  v.height = kSize;
  return v;
}

// Quads the render device would drop, handed to the rasteriser directly:
// each is prepared and drawn without running away, and the ones that are
// not numbers draw nothing. A quad reaching millions of pixels past the
// target is cut at the guard band and covers exactly its rows.
TEST(RasterTest, ExtremeGeometryEndsAndIsCut) {
  const float nan = std::nanf(""), inf = INFINITY;
  struct Case {
    const char* name;
    float x, y, depth;  // of the last vertex
    bool perspective, drawsNothing;
  };
  const Case cases[] = {{"depth -1e30", 40, 40, -1.0e30f, true, false}, {"depth 1e10", 40, 40, 1.0e10f, true, false},
                        {"depth -1e30 ortho", 40, 40, -1.0e30f, false, false}, {"NaN x", nan, 40, 200, true, true},
                        {"NaN depth", 40, 40, nan, true, true},  {"infinite y", 40, inf, 200, false, true},
                        {"x 1e30", 1.0e30f, 40, 200, false, false}, {"x 1e30, near", 1.0e30f, 40, 1.5f, true, false}};
  RenderStates states;
  for (const Case& c : cases) {
    Surface target;
    target.Resize(kSize, kSize);
    Viewport viewport = c.perspective ? PerspectiveViewport() : PixelViewport();
    // In perspective the origin is the centre and sprites lie at depth 200;
    // the orthographic test projection keeps depths 0..1.
    float o = c.perspective ? -kSize / 2.0f : 0.0f, z = c.perspective ? 200.0f : 0.5f;
    Quad q;
    q.v[0] = {o + 10, o + 10, z, 0, 0, 1, 1, 1, 1};
    q.v[1] = {o + 60, o + 10, z, 1, 0, 1, 1, 1, 1};
    q.v[2] = {o + c.x, o + c.y, c.depth, 1, 1, 1, 1, 1, 1};
    q.v[3] = {o + 10, o + 60, z, 0, 1, 1, 1, 1, 1};
    RasterQuad(target, viewport, states, q, nullptr, kAddressWrap);
    int drawn = 0;
    for (uint32_t p : target.pixels) drawn += p != 0;
    if (c.drawsNothing) {
      EXPECT_EQ(0, drawn) << c.name;
    } else {
      EXPECT_GT(drawn, 0) << c.name << ": the part inside the depth range is drawn";
    }
  }
  for (bool perspective : {false, true}) {
    Surface target;
    target.Resize(kSize, kSize);
    float o = perspective ? -kSize / 2.0f : 0.0f, z = perspective ? 200.0f : 0.5f;
    Quad band;
    band.v[0] = {o - 5.0e6f, o + 29.5f, z, 0, 0, 1, 1, 1, 1};
    band.v[1] = {o + 5.0e6f, o + 29.5f, z, 1, 0, 1, 1, 1, 1};
    band.v[2] = {o + 5.0e6f, o + 49.5f, z, 1, 1, 1, 1, 1, 1};
    band.v[3] = {o - 5.0e6f, o + 49.5f, z, 0, 1, 1, 1, 1, 1};
    RasterQuad(target, perspective ? PerspectiveViewport() : PixelViewport(), states, band, nullptr, kAddressWrap);
    int wrong = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) wrong += (target.Row(y)[x] != 0) != (y >= 30 && y < 50);
    EXPECT_EQ(0, wrong) << (perspective ? "perspective" : "orthographic");
  }
}

}  // namespace
}  // namespace tarn::gfx
