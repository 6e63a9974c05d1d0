// Image files into textures of the current back end.
#pragma once

namespace tarn::gfx {

// "dds", "png", "jpg", "tga" or "bmp" for a format bit; "" for anything else.
const char* FormatExtension(int formatBit);

}  // namespace tarn::gfx
