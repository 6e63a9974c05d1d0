// A bitmap font: glyph images packed into texture pages, the character map
// and the spacing metrics, as read from a glyph file and its spacing file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "graphics/texture.h"

namespace tarn::text {

struct Glyph {
  uint8_t page = 0;
  int8_t offsetX = 0;
  int8_t offsetY = 0;  // from the baseline to the image's top, downward positive
  uint8_t advance = 0;
  int16_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // the image rectangle on its page
  uint8_t width = 0, height = 0;           // the drawn image, before padding
  // The quad vertex (1 or 3) that takes the texture corner (tu2, tv1), and
  // the one that takes (tu1, tv2); swapped for images turned on their page.
  uint8_t cornerB = 1, cornerD = 3;
  float tu1 = 0, tv1 = 0, tu2 = 0, tv2 = 0;
};

struct FontMetrics {
  float pixelSize = 10;
  float spaceLength = 0;
  float glyphPadding = 0;
  float characterSpacing = 0;
  float lineSpacing = 0;
  float paragraphSpacing = 0;
};

struct Font {
  Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  ~Font();  // gives the page bitmaps back

  std::string path;  // the resource key of the glyph file
  std::string name;  // lower case, without extension and trailing digits
  int32_t size = 10;
  FontMetrics metrics;
  std::vector<Glyph> glyphs;                 // in file order, at most 65535
  std::map<uint16_t, uint16_t> characters;   // character code -> glyph index
  std::vector<gfx::Bitmap> pages;            // one per texture page; may be empty
  bool texturesDirty = true;
  bool coordsDirty = true;

  // The glyph that draws the character, or null.
  const Glyph* Find(uint16_t character) const {
    if (character < kDirect) {
      int32_t index = direct_[character];
      return index < 0 ? nullptr : &glyphs[static_cast<size_t>(index)];
    }
    auto it = characters.find(character);
    return it == characters.end() ? nullptr : &glyphs[it->second];
  }
  // Builds the fast lookup of Find; called once the character map is final.
  void IndexCharacters();

 private:
  static constexpr uint16_t kDirect = 256;
  int32_t direct_[kDirect];
};

}  // namespace tarn::text
