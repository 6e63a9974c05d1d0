// Glyph images of one font at one pixel size, rendered anti-aliased by
// FreeType.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::fontgen {

struct GlyphImage {
  int left = 0;     // from the pen position to the image's left edge
  int top = 0;      // from the baseline up to the image's top edge
  int advance = 0;  // whole pixels
  int width = 0;
  int height = 0;
  std::vector<uint8_t> coverage;  // width * height, rows top-down
};

class FontFace {
 public:
  FontFace() = default;
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  // False with a reason when FreeType cannot read the file as a font or the
  // font has no glyphs at this size.
  bool Open(const std::string& path, int pixelSize, std::string& error);
  // FreeType's glyph for the character, 0 when the font has none.
  unsigned GlyphIndex(uint32_t character) const;
  // False when FreeType cannot render the glyph, or the image is wider or
  // taller than maxSide or in a pixel format other than grey levels or 1 bit.
  bool Render(unsigned glyph, int maxSide, GlyphImage& image) const;
  // The advance of the space, or a quarter of the size when the font has none.
  int SpaceAdvance() const;
  // The distance between baselines that the font asks for, whole pixels.
  int LineHeight() const;

 private:
  void* library_ = nullptr;  // FT_Library
  void* face_ = nullptr;     // FT_Face
  int size_ = 0;
};

}  // namespace tarn::fontgen
