// Whole runs of pixels: filling and copying with the alpha byte set.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarn::gfx {

void FillPixels(uint32_t* pixels, size_t count, uint32_t value);
// to[i] = from[i] with alpha 255.
void CopyOpaque(uint32_t* to, const uint32_t* from, size_t count);

}  // namespace tarn::gfx
