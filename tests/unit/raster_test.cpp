// Coverage of the software rasteriser: quads that share edges cover every
// pixel once, whichever row set-up path draws them and however the rows are
// split between threads.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tarn::gfx
