// Images of the finished frame (screenshots) and of a bitmap's texture,
// saved in the write folder as BMP, TGA or PNG by the name's extension.
#pragma once

#include <string>

#include "graphics/image/image.h"
#include "graphics/texture.h"

namespace tarn::gfx {

// Null path: the next free number of "screenshots/screen%.3d.bmp". Null
// rect: the whole frame; a rect is cut to the frame. destWidth and
// destHeight of 1 or more resize the image.
bool TakeScreenshot(const std::string* path, const ImageRect* rect, int destWidth, int destHeight);
// Null path: the next number of "tex/temp_tex%.3d.tga".
bool SaveBitmap(const Bitmap* bitmap, const std::string* path);
// Back to the counters of a fresh process (tests).
void ResetImageCounters();

}  // namespace tarn::gfx
