// Compares two PNG images pixel by pixel: imgcmp ACTUAL EXPECTED [TOLERANCE]
// Exit status 0 when both have the same size and every channel differs by at
// most TOLERANCE (default 0); 1 otherwise, with a summary of the differences.
#include <cstdio>
#include <cstdlib>

#include "graphics/png_file.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: imgcmp ACTUAL EXPECTED [TOLERANCE]\n");
    return 2;
  }
  int tolerance = argc > 3 ? atoi(argv[3]) : 0;
  tarn::gfx::PixelImage a, b;
  if (!tarn::gfx::ReadPngFile(argv[1], a)) {
    fprintf(stderr, "imgcmp: cannot read %s\n", argv[1]);
    return 1;
  }
  if (!tarn::gfx::ReadPngFile(argv[2], b)) {
    fprintf(stderr, "imgcmp: cannot read %s\n", argv[2]);
    return 1;
  }
  if (a.width != b.width || a.height != b.height) {
    fprintf(stderr, "imgcmp: size %dx%d, expected %dx%d\n", a.width, a.height, b.width, b.height);
    return 1;
  }
  long differing = 0;
  int worst = 0, firstX = -1, firstY = -1;
  for (int i = 0; i < a.width * a.height; ++i) {
    int diff = 0;
    for (int c = 0; c < 4; ++c) diff = std::max(diff, std::abs(a.bgra[i * 4 + c] - b.bgra[i * 4 + c]));
    if (diff > tolerance) {
      if (differing++ == 0) {
        firstX = i % a.width;
        firstY = i / a.width;
      }
    }
    worst = std::max(worst, diff);
  }
  if (differing) {
    fprintf(stderr, "imgcmp: %ld pixels differ by more than %d (worst %d, first at %d,%d)\n", differing, tolerance,
            worst, firstX, firstY);
    return 1;
  }
  return 0;
}
