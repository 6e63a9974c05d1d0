// The software renderer keeps every texture as 32-bit pixels; a texture
// meant for 16-bit or compressed storage gets exactly the colours that
// storage would give back.
#pragma once

#include "graphics/backend.h"
#include "graphics/software/surface.h"

namespace tarn::gfx {

void ReduceToStorage(Surface& surface, TextureStorage storage);

}  // namespace tarn::gfx
