// The rig of the OpenGL tests: a private Xvfb server, a window with an
// OpenGL context, and the OpenGL and software back ends on it, made once for
// the whole test program; and the comparison of the images the two draw.
#pragma once

#include <memory>
#include <string>

#include "graphics/backend.h"
#include "xvfb_server.h"

namespace tarn::gfx::gltest {

// The window's client size, which is the size of both back buffers.
constexpr int kWidth = 320;
constexpr int kHeight = 240;

struct Rig {
  XvfbServer xvfb;
  std::unique_ptr<Backend> gl;
  std::unique_ptr<Backend> sw;
  std::string error;  // why the rig is not complete
  std::string renderer;
};

// Made by the test environment before the first test, gone after the last.
extern Rig* g_rig;

struct Comparison {
  int pixels = 0;
  int beyondTolerance = 0;  // some channel differs by more than kTolerance
  int unexplained = 0;      // ... and is not explained by an edge shift
  int maxDiff = 0;
  int firstBadX = -1, firstBadY = -1;
  std::string Describe() const;
};

// Mesa interpolates colours and bilinear weights in fixed point (8-bit
// colour, 8-bit sub-texel fractions) where the software renderer uses
// floats and rounds once, so smooth areas may differ by a few levels:
// at most kTolerance per channel. Both use pixel centres and a top-left
// fill rule, but an edge or a texel boundary that falls (nearly) on a pixel
// centre can land on either side after rounding; such a pixel differs by a
// lot yet holds a value the reference image has right beside it. So a pixel
// beyond the tolerance is accepted when each of its channels lies within the
// range the reference's 3x3 neighbourhood spans (widened by the tolerance),
// and at most 1% of the pixels may be such edge cases. Anything else fails.
constexpr int kTolerance = 3;
constexpr double kEdgeShare = 0.01;

Comparison Compare(const PixelImage& reference, const PixelImage& image, bool withAlpha);

// Pixels where two images differ by more than the tolerance.
int PixelsBeyondTolerance(const PixelImage& a, const PixelImage& b, bool withAlpha);

// Binary PPM dumps of a failed comparison, for a look with an image viewer.
void Dump(const std::string& name, const PixelImage& image);

// The software image against the OpenGL one by the rules above; both are
// dumped when they differ.
void ExpectSame(const std::string& name, const PixelImage& reference, const PixelImage& image, bool withAlpha);

}  // namespace tarn::gfx::gltest
