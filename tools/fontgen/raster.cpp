#include "fontgen/raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>

namespace tarn::fontgen {

namespace {

FT_Face Face(void* face) { return static_cast<FT_Face>(face); }

// Whole pixels of a 26.6 value; a broken font's huge values stay out of range.
int RoundPixels(FT_Pos value26_6) {
  constexpr FT_Pos kLimit = FT_Pos{1} << 24;
  if (value26_6 > kLimit) return 1 << 18;
  if (value26_6 < -kLimit) return -(1 << 18);
  return static_cast<int>((value26_6 + 32) >> 6);
}

// Copies a rendered bitmap as coverage bytes; 1-bit images become 0 or 255.
bool CopyCoverage(const FT_Bitmap& bitmap, GlyphImage& image) {
  bool grey = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
  if (!grey && bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return false;
  size_t width = bitmap.width, rows = bitmap.rows;
  size_t pitch = static_cast<size_t>(std::abs(bitmap.pitch));
  if (pitch < (grey ? width : (width + 7) / 8) || (rows && !bitmap.buffer)) return false;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(rows);
  image.coverage.assign(width * rows, 0);
  for (size_t y = 0; y < rows; ++y) {
    // A negative pitch stores the rows bottom-up.
    const unsigned char* row = bitmap.buffer + (bitmap.pitch < 0 ? rows - 1 - y : y) * pitch;
    for (size_t x = 0; x < width; ++x) {
      uint8_t value = grey ? row[x] : ((row[x / 8] >> (7 - x % 8)) & 1 ? 255 : 0);
      image.coverage[y * width + x] = value;
    }
  }
  return true;
}

}  // namespace

FontFace::~FontFace() {
  if (face_) FT_Done_Face(Face(face_));
  if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool FontFace::Open(const std::string& path, int pixelSize, std::string& error) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library)) {
    error = "FreeType cannot start";
    return false;
  }
  library_ = library;
  FT_Face face = nullptr;
  if (FT_Error failure = FT_New_Face(library, path.c_str(), 0, &face)) {
    error = failure == FT_Err_Cannot_Open_Resource ? "cannot open the font file \"" + path + "\""
                                                   : "FreeType cannot read \"" + path + "\" as a font";
    return false;
  }
  face_ = face;
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize))) {
    error = "the font \"" + path + "\" has no glyphs of " + std::to_string(pixelSize) + " pixels";
    return false;
  }
  size_ = pixelSize;
  return true;
}

unsigned FontFace::GlyphIndex(uint32_t character) const {
  return face_ ? FT_Get_Char_Index(Face(face_), character) : 0;
}

bool FontFace::Render(unsigned glyph, int maxSide, GlyphImage& image) const {
  FT_Face face = Face(face_);
  if (!face || FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT)) return false;
  const FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_BITMAP) return false;
  if (slot->bitmap.width > static_cast<unsigned>(maxSide) || slot->bitmap.rows > static_cast<unsigned>(maxSide))
    return false;
  image.left = slot->bitmap_left;
  image.top = slot->bitmap_top;
  image.advance = RoundPixels(slot->advance.x);
  return CopyCoverage(slot->bitmap, image);
}

int FontFace::SpaceAdvance() const {
  FT_Face face = Face(face_);
  FT_UInt space = face ? FT_Get_Char_Index(face, ' ') : 0;
  if (!space || FT_Load_Glyph(face, space, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT)) return (size_ + 2) / 4;
  return RoundPixels(face->glyph->advance.x);
}

int FontFace::LineHeight() const {
  return face_ ? RoundPixels(Face(face_)->size->metrics.height) : 0;
}

}  // namespace tarn::fontgen
