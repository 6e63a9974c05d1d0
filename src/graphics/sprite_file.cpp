#include "graphics/sprite_file.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "resources/filesystem.h"

namespace tarn::gfx {

namespace {

// A decimal number truncated toward zero; false when the token is not one.
bool ReadNumber(std::istringstream& in, int32_t& out) {
  std::string token;
  if (!(in >> token)) return false;
  char* end = nullptr;
  double value = std::strtod(token.c_str(), &end);
  if (end == token.c_str() || std::isnan(value)) return false;
  out = static_cast<int32_t>(std::clamp(std::trunc(value), -2147483648.0, 2147483647.0));
  return true;
}

}  // namespace

std::vector<Sprite> ParseSprites(const std::string& text) {
  std::vector<Sprite> sprites;
  std::istringstream in(text);
  for (;;) {
    Sprite sprite;
    if (!(in >> sprite.name)) break;
    if (!ReadNumber(in, sprite.x) || !ReadNumber(in, sprite.y) || !ReadNumber(in, sprite.width) ||
        !ReadNumber(in, sprite.height) || !ReadNumber(in, sprite.pivotX) || !ReadNumber(in, sprite.pivotY))
      break;
    sprites.push_back(sprite);
  }
  return sprites;
}

std::vector<Sprite> ReadSpriteFile(const std::string& path) {
  FileInfo info;
  std::unique_ptr<char[]> data = FileSystem::Instance().ReadWhole(path, &info, false);
  if (!data) return {};
  return ParseSprites(std::string(data.get(), info.size));
}

}  // namespace tarn::gfx
