// Image files as the scripts and the collision and particle masks use them:
// loading with the format guessed from the path, saving a region, and finding
// the smallest region that holds every solid pixel.
#pragma once

#include <string>

#include "graphics/image/image.h"

namespace tarn::gfx {

// Loads an image file of one of the allowed formats (bits of FormatBit). A
// path without an extension tries ".png", ".tga", ".bmp", ".jpg" in that
// order. With alphaCompanion, an image without alpha takes the green channel
// of "<path without extension>_alpha.png" as its alpha. Returns the given
// image, or a new one the caller owns, or null after a fatal error.
Image* LoadImageFile(const std::string& path, int formats, bool powerOfTwo, int headerKind, int* outWidth,
                     int* outHeight, bool alphaCompanion, Image* image = nullptr);

// Saves a region of an image file (null rect: the whole image) as PNG, TGA or
// BMP in the write folder. Failures are warnings; the result says whether the
// file was written.
bool SaveRegion(const std::string& source, const std::string& destination, const ImageRect* rect);

// The header kind (ImageHeaderKind) a file name's extension asks for: .png,
// .tga or .bmp in any case; -1 for any other.
int ImageKindOf(const std::string& path);
// Writes the image as a file of that kind in the write folder, through its
// guard (missing folders are made). False when it cannot be opened or written.
bool WriteImageFile(Image& image, const std::string& destination, int kind);

// Shrinks rect to the smallest rectangle holding every solid pixel of the
// image file inside it. False when the file cannot be loaded or the rectangle
// does not fit the image.
bool FindSmallestRegion(const std::string& source, ImageRect& rect, bool testAlpha, bool testColour);

}  // namespace tarn::gfx
