// PNG files of 32-bit images through libpng.
#pragma once

#include <string>

#include "graphics/backend.h"

namespace tarn::gfx {

// Writes B, G, R, A pixels (rows top-down) as an RGBA PNG.
bool WritePngFile(const std::string& path, const PixelImage& image);
// Reads any PNG into B, G, R, A pixels; false for a missing or broken file.
bool ReadPngFile(const std::string& path, PixelImage& image);

}  // namespace tarn::gfx
