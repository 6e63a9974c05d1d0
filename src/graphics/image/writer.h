// The image writers. TGA and BMP images are written straight from the block
// of an image of header kind kImageHeaderTga or kImageHeaderBmp, whose header
// already describes the pixels; WriteBMP flips the image's rows first (and
// back afterwards) so the file stores them bottom-up as its header says.
#pragma once

#include <cstdio>

#include "graphics/image/image.h"

namespace tarn::gfx {

bool WritePNG(const Image& image, FILE* file);
bool WriteTGA(const Image& image, FILE* file);
bool WriteBMP(Image& image, FILE* file);

}  // namespace tarn::gfx
