// The files of a baked font: the glyph file OUT.xml, the spacing file OUT.fnt
// and the page images OUT.png (one page) or OUT_a.png, OUT_b.png, ...
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fontgen/raster.h"
#include "fontgen/shelf_pack.h"

namespace tarn::fontgen {

// Pages are named with one letter each.
inline constexpr int kMaxPages = 26;

struct BakedGlyph {
  GlyphImage image;
  Placement cell;                    // top-left of its (width + padding) x (height + padding) cell
  std::vector<uint16_t> characters;  // ascending
};

struct BakedFont {
  int size = 0;
  int spaceLength = 0;
  int padding = 0;
  int lineSpacing = 0;
  int pageWidth = 0;
  int pageHeight = 0;
  int pageCount = 0;
  std::vector<BakedGlyph> glyphs;  // in file order
};

std::string GlyphFileText(const BakedFont& font);
// A Parcon document with the four spacing metrics.
std::string SpacingFileText(const BakedFont& font);
// The page's file name as the engine looks it up, with the extension .png.
std::string PageFileName(const std::string& outBase, int page, int pageCount);
// White pixels with each glyph's coverage in alpha, its image at
// (padding / 2, padding / 2) inside its cell.
bool WritePages(const BakedFont& font, const std::string& outBase, std::string& error);
bool WriteTextFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace tarn::fontgen
