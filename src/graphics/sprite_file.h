// Sprite files: named rectangles of an image, one "name x y width height
// pivotX pivotY" record after another.
#pragma once

#include <string>
#include <vector>

#include "graphics/texture.h"

namespace tarn::gfx {

// Parses sprite records until the end or the first incomplete record.
std::vector<Sprite> ParseSprites(const std::string& text);
// Reads the sprite file through the file system; missing: no sprites.
std::vector<Sprite> ReadSpriteFile(const std::string& path);

}  // namespace tarn::gfx
