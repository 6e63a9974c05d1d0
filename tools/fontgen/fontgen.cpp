#include "fontgen/fontgen.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

#include "fontgen/font_files.h"
#include "fontgen/options.h"
#include "fontgen/raster.h"
#include "fontgen/shelf_pack.h"

namespace tarn::fontgen {

namespace {

const char kUsage[] =
    "usage: tarn-fontgen FONT.ttf SIZE OUT_BASENAME [--chars RANGES] [--padding N] [--page WxH]\n";

FontgenOutcome Refuse(const std::string& reason, bool withUsage = false) {
  FontgenOutcome outcome;
  outcome.status = 2;
  outcome.err = "tarn-fontgen: " + reason + "\n" + (withUsage ? kUsage : "");
  return outcome;
}

FontgenOutcome Failed(const std::string& reason) {
  FontgenOutcome outcome;
  outcome.status = 1;
  outcome.err = "tarn-fontgen: " + reason + "\n";
  return outcome;
}

// The engine keeps offsets in signed bytes, the advance and the image size in
// unsigned bytes, and the cell must fit its page.
bool Fits(const GlyphImage& image, const FontgenOptions& options) {
  return image.left >= -128 && image.left <= 127 && image.top >= -128 && image.top <= 127 &&
         image.advance >= 0 && image.advance <= 255 && image.width + options.padding <= options.pageWidth &&
         image.height + options.padding <= options.pageHeight;
}

struct Collected {
  std::vector<BakedGlyph> glyphs;
  size_t mappedChars = 0;   // characters the font has a glyph for
  size_t droppedGlyphs = 0;
  size_t droppedChars = 0;
  uint64_t area = 0;        // of the kept cells, texels
  bool overflow = false;    // the cells cover more than all pages could hold
};

// One glyph per FreeType glyph, in the order of their first characters. The
// space and the control characters are left out: the engine draws the space
// by its length and lays out the line feed itself. Rendering stops once the
// cells would not fit on the pages, so a font of huge glyphs cannot take
// more memory than the pages themselves.
Collected CollectGlyphs(const FontFace& face, const FontgenOptions& options) {
  const uint64_t capacity = static_cast<uint64_t>(kMaxPages) * options.pageWidth * options.pageHeight;
  std::map<unsigned, std::vector<uint16_t>> byGlyph;
  std::vector<unsigned> order;
  Collected result;
  for (uint16_t code : options.characters) {
    if (code <= 32 || (code >= 0xD800 && code <= 0xDFFF)) continue;
    unsigned index = face.GlyphIndex(code);
    if (!index) continue;
    ++result.mappedChars;
    std::vector<uint16_t>& codes = byGlyph[index];
    if (codes.empty()) order.push_back(index);
    codes.push_back(code);
  }
  for (unsigned index : order) {
    BakedGlyph glyph;
    glyph.characters = std::move(byGlyph[index]);
    if (!face.Render(index, 255, glyph.image) || !Fits(glyph.image, options)) {
      ++result.droppedGlyphs;
      result.droppedChars += glyph.characters.size();
      continue;
    }
    GlyphImage& image = glyph.image;
    if (image.width == 0 || image.height == 0) {
      image.width = image.height = 0;
      image.coverage.clear();
    }
    result.area += static_cast<uint64_t>(image.width + options.padding) * (image.height + options.padding);
    result.glyphs.push_back(std::move(glyph));
    if (result.area > capacity) {
      result.overflow = true;
      break;
    }
  }
  return result;
}

std::string PageSize(const FontgenOptions& options) {
  return std::to_string(options.pageWidth) + "x" + std::to_string(options.pageHeight);
}

}  // namespace

FontgenOutcome RunFontgen(const std::vector<std::string>& args) {
  FontgenOptions options;
  std::string error;
  if (!ParseFontgenArgs(args, options, error)) return Refuse(error, true);
  FontFace face;
  if (!face.Open(options.fontPath, options.size, error)) return Refuse(error);

  Collected collected = CollectGlyphs(face, options);
  if (collected.mappedChars == 0) return Refuse("none of the characters asked for has a glyph in " + options.fontPath);
  if (collected.glyphs.empty())
    return Refuse("every glyph of the characters asked for is too large for the engine's font format or the page");
  std::vector<Cell> cells;
  for (const BakedGlyph& glyph : collected.glyphs)
    cells.push_back(Cell{glyph.image.width + options.padding, glyph.image.height + options.padding});
  std::vector<Placement> placements;
  BakedFont font;
  if (collected.overflow ||
      !PackCells(cells, options.pageWidth, options.pageHeight, kMaxPages, placements, font.pageCount))
    return Refuse("the glyphs need more than 26 pages of " + PageSize(options) + "; give a larger --page");

  font.size = options.size;
  font.spaceLength = face.SpaceAdvance();
  font.padding = options.padding;
  font.lineSpacing = std::max(0, face.LineHeight() - options.size);
  font.pageWidth = options.pageWidth;
  font.pageHeight = options.pageHeight;
  font.glyphs = std::move(collected.glyphs);
  for (size_t i = 0; i < font.glyphs.size(); ++i) font.glyphs[i].cell = placements[i];

  if (!WriteTextFile(options.outBase + ".xml", GlyphFileText(font), error) ||
      !WriteTextFile(options.outBase + ".fnt", SpacingFileText(font), error) ||
      !WritePages(font, options.outBase, error))
    return Failed(error);

  FontgenOutcome outcome;
  outcome.out = "tarn-fontgen: " + options.outBase + ".xml: " + std::to_string(font.glyphs.size()) + " glyphs for " +
                std::to_string(collected.mappedChars - collected.droppedChars) + " characters on " +
                std::to_string(font.pageCount) + " page" + (font.pageCount > 1 ? "s" : "") + " of " +
                PageSize(options) + "\n";
  if (collected.droppedGlyphs)
    outcome.out += "tarn-fontgen: dropped " + std::to_string(collected.droppedGlyphs) + " glyphs (" +
                   std::to_string(collected.droppedChars) +
                   " characters) whose offsets, advance or size do not fit the engine's font format or the page\n";
  return outcome;
}

}  // namespace tarn::fontgen
