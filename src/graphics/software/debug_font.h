// The debug font drawn by the software renderer, straight into a surface.
#pragma once

#include <cstdint>
#include <string>

#include "graphics/debug_font_data.h"
#include "graphics/software/surface.h"

namespace tarn::gfx {

// Draws text with its top-left corner at (x, y); pixels outside the surface
// are skipped and its alpha channel is kept. Characters outside printable
// ASCII draw as '?'.
void DrawDebugFontText(Surface& target, int x, int y, const std::string& text, uint32_t argb);

}  // namespace tarn::gfx
