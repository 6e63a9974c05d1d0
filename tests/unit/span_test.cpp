// The vector loops of the textured, alpha-blended row against the plain
// integer reference, on random textures, coordinates, tints and targets.
#include <gtest/gtest.h>

#include <random>

#include "graphics/software/pixel_blend.h"
#include "graphics/software/span_alpha.h"

namespace tarn::gfx {
namespace {

struct Case {
  int width, height, mode;
  bool textureAlpha;
};

void FillTexture(Surface& tex, std::mt19937& rng, bool transparentHalf) {
  for (int y = 0; y < tex.height; ++y)
    for (int x = 0; x < tex.width; ++x) {
      uint32_t p = rng();
      // Whole transparent regions exercise the skipped pixel pairs.
      if (transparentHalf && x < tex.width / 2) p &= 0x00FFFFFFu;
      tex.Row(y)[x] = p;
    }
}

TEST(SpanAlphaTest, VectorLoopsMatchReference) {
  std::mt19937 rng(1234);
  const Case cases[] = {{64, 64, kAddressWrap, true},   {16, 32, kAddressWrap, false}, {1, 1, kAddressWrap, true},
                        {100, 60, kAddressWrap, true},  {64, 64, kAddressClamp, true}, {50, 8, kAddressMirror, true},
                        {128, 4, kAddressMirror, false}, {2, 256, kAddressWrap, true}};
  int mismatches = 0;
  for (const Case& c : cases) {
    Surface tex;
    tex.alpha = c.textureAlpha;
    tex.Resize(c.width, c.height);
    for (int round = 0; round < 300; ++round) {
      FillTexture(tex, rng, round % 3 == 0);
      Sampler sampler = MakeSampler(&tex, c.mode);
      int count = static_cast<int>(rng() % 40);
      std::uniform_int_distribution<int64_t> start(-(int64_t{1} << 26), int64_t{1} << 26);
      std::uniform_int_distribution<int64_t> step(-200000, 200000);
      int64_t tx = start(rng), ty = start(rng), dtx = step(rng), dty = step(rng);
      if (round % 5 == 0) dty = 0;
      uint32_t colour = round % 4 == 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(rng());
      bool targetAlpha = round % 2 == 0;
      std::vector<uint32_t> target(count + 1);
      for (uint32_t& p : target) p = rng();
      std::vector<uint32_t> expected = target, vector = target, sse2 = target;
      SpanAlphaBlendReference(expected.data(), count, sampler, tx, ty, dtx, dty, colour, targetAlpha);
      SpanRow row{vector.data(), count, tx, ty};
      SpanAlphaBlendRows(&row, 1, SpanStyle{&sampler, dtx, dty, colour, targetAlpha});
      SpanAlphaBlendSse2(sse2.data(), count, sampler, tx, ty, dtx, dty, colour, targetAlpha);
      // The pixel past the row is never touched.
      mismatches += vector != expected;
      mismatches += sse2 != expected;
      // Added rows: the vector loop, the one-pixel loop and the general
      // blending of the same states agree.
      std::vector<uint32_t> added = target, addedVector = target, general = target;
      SpanAddReference(added.data(), count, sampler, tx, ty, dtx, dty, colour, targetAlpha);
      SpanStyle addedStyle{&sampler, dtx, dty, colour, targetAlpha, true};
      SpanAlphaBlendRows(&row, 0, addedStyle);
      SpanRow addedRow{addedVector.data(), count, tx, ty};
      SpanAlphaBlendRows(&addedRow, 1, addedStyle);
      mismatches += addedVector != added;
      Surface surface;
      surface.alpha = targetAlpha;
      RenderStates states;
      states.dstBlend = kBlendOne;
      PixelContext ctx{&surface, &states, sampler, 0xFFFFFFFFu, BlendPath::General};
      RenderStates subtract;
      subtract.blendOp = kOpSubtract;
      PixelContext subtractCtx{&surface, &subtract, sampler, 0xFFFFFFFFu, BlendPath::General};
      for (int i = 0; i < count; ++i, tx += dtx, ty += dty) {
        uint32_t source = Modulate(SampleFixed(sampler, static_cast<int>(tx >> 8), static_cast<int>(ty >> 8)), colour);
        BlendGeneral(ctx, general[i], source);
        uint32_t expect = target[i], got = target[i];
        BlendGeneral(subtractCtx, expect, source);
        SubtractBlend(got, source, targetAlpha);
        mismatches += expect != got;
      }
      mismatches += general != added;
    }
  }
  EXPECT_EQ(0, mismatches);
}

TEST(SpanAlphaTest, RowsSetUpOnceMatchRowsAlone) {
  std::mt19937 rng(77);
  for (bool textureAlpha : {true, false}) {
    Surface tex;
    tex.alpha = textureAlpha;
    tex.Resize(32, 16);
    FillTexture(tex, rng, true);
    Sampler sampler = MakeSampler(&tex, kAddressWrap);
    const int kRows = 9, kWidth = 40;
    std::vector<uint32_t> expected(kRows * kWidth), drawn;
    for (uint32_t& p : expected) p = rng();
    drawn = expected;
    SpanStyle style{&sampler, 30000, -17000, 0xC0FF8040u, !textureAlpha};
    std::vector<SpanRow> rows;
    for (int r = 0; r < kRows; ++r) {
      int count = r * 4 + r % 3;  // 0, 5, 10, ... with every remainder
      int64_t tx = static_cast<int64_t>(rng() % 2000000), ty = static_cast<int64_t>(rng() % 2000000);
      rows.push_back({drawn.data() + r * kWidth, count, tx, ty});
      SpanAlphaBlendReference(expected.data() + r * kWidth, count, sampler, tx, ty, style.dtx, style.dty, style.colour,
                              style.targetAlpha);
    }
    SpanAlphaBlendRows(rows.data(), kRows, style);
    EXPECT_EQ(expected, drawn) << (textureAlpha ? "texture with alpha" : "opaque texture");
  }
}

}  // namespace
}  // namespace tarn::gfx
