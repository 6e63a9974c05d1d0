// A 32-bit image the software renderer draws into or samples from: pixels as
// 0xAARRGGBB words (B, G, R, A bytes in memory), rows top-down.
#pragma once

#include <cstdint>
#include <vector>

namespace tarn::gfx {

struct Surface {
  int width = 0;
  int height = 0;
  bool alpha = true;   // false: the alpha channel reads as opaque
  bool bit16 = false;  // stores R5G6B5 precision (back buffer only)
  std::vector<uint32_t> pixels;

  void Resize(int w, int h) {
    width = w;
    height = h;
    pixels.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
  }
  uint32_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width); }
  const uint32_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width); }
};

}  // namespace tarn::gfx
