// The 12-pixel debug font of the software renderer, embedded in the engine.
#pragma once

#include <cstdint>
#include <string>

#include "graphics/software/surface.h"

namespace tarn::gfx {

inline constexpr int kDebugFontHeight = 12;

// Draws text with its top-left corner at (x, y); pixels outside the surface
// are skipped. Characters outside printable ASCII draw as '?'.
void DrawDebugFontText(Surface& target, int x, int y, const std::string& text, uint32_t argb);
int MeasureDebugFontText(const std::string& text);

}  // namespace tarn::gfx
