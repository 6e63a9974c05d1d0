// Compares two PNG images pixel by pixel: imgcmp ACTUAL EXPECTED [TOLERANCE [X Y]]
// Exit status 0 when both have the same size and every channel differs by at
// most TOLERANCE (default 0); 1 otherwise, with a summary of the differences.
// With X and Y, EXPECTED is compared with the region of ACTUAL of its size
// whose top-left corner is (X, Y).
#include <cstdio>
#include <cstdlib>

#include "graphics/image/png_file.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc == 5) {
    fprintf(stderr, "usage: imgcmp ACTUAL EXPECTED [TOLERANCE [X Y]]\n");
    return 2;
  }
  int tolerance = argc > 3 ? atoi(argv[3]) : 0;
  int left = argc > 5 ? atoi(argv[4]) : 0, top = argc > 5 ? atoi(argv[5]) : 0;
  tarn::gfx::PixelImage a, b;
  if (!tarn::gfx::ReadPngFile(argv[1], a)) {
    fprintf(stderr, "imgcmp: cannot read %s\n", argv[1]);
    return 1;
  }
  if (!tarn::gfx::ReadPngFile(argv[2], b)) {
    fprintf(stderr, "imgcmp: cannot read %s\n", argv[2]);
    return 1;
  }
  bool region = argc > 5;
  bool fits = region ? left >= 0 && top >= 0 && left + b.width <= a.width && top + b.height <= a.height
                     : a.width == b.width && a.height == b.height;
  if (!fits) {
    fprintf(stderr, "imgcmp: size %dx%d, expected %dx%d at %d,%d\n", a.width, a.height, b.width, b.height, left, top);
    return 1;
  }
  long differing = 0;
  int worst = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < b.height; ++y) {
    for (int x = 0; x < b.width; ++x) {
      const unsigned char* p = &a.bgra[(static_cast<size_t>(y + top) * a.width + x + left) * 4];
      const unsigned char* q = &b.bgra[(static_cast<size_t>(y) * b.width + x) * 4];
      int diff = 0;
      for (int c = 0; c < 4; ++c) diff = std::max(diff, std::abs(p[c] - q[c]));
      if (diff > tolerance && differing++ == 0) {
        firstX = x + left;
        firstY = y + top;
      }
      worst = std::max(worst, diff);
    }
  }
  if (differing) {
    fprintf(stderr, "imgcmp: %ld pixels differ by more than %d (worst %d, first at %d,%d)\n", differing, tolerance,
            worst, firstX, firstY);
    return 1;
  }
  return 0;
}
