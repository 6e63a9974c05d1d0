#include "text/font.h"

namespace tarn::text {

Font::Font() {
  for (int32_t& index : direct_) index = -1;
}

Font::~Font() {
  for (gfx::Bitmap& page : pages) {
    if (page.valid) gfx::TextureManager::Instance().ReleaseBitmap(page);
  }
}

void Font::IndexCharacters() {
  for (int32_t& index : direct_) index = -1;
  for (const auto& [character, index] : characters) {
    if (character < kDirect && index < glyphs.size()) direct_[character] = index;
  }
}

}  // namespace tarn::text
