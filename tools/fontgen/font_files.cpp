#include "fontgen/font_files.h"

#include <cstdio>
#include <memory>

#include "graphics/backend.h"
#include "graphics/image/png_file.h"

namespace tarn::fontgen {

namespace {

std::string Utf8(uint16_t code) {
  std::string out;
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
  return out;
}

// The character as the value of a char line: the quotes, the ampersand and
// the angle brackets as entities, everything else as UTF-8.
std::string CharValue(uint16_t code) {
  switch (code) {
    case '"': return "&quot;";
    case '&': return "&amp;";
    case '\'': return "&apos;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    default: return Utf8(code);
  }
}

std::string Quoted(const char* name, long value) { return std::string(" ") + name + "=\"" + std::to_string(value) + "\""; }

}  // namespace

std::string GlyphFileText(const BakedFont& font) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  text += "<font" + Quoted("size", font.size) + Quoted("space_length", font.spaceLength) +
          Quoted("padding", font.padding) + Quoted("character_spacing", 0) +
          Quoted("line_spacing", font.lineSpacing) + Quoted("paragraph_spacing", 0) + ">\n";
  for (const BakedGlyph& glyph : font.glyphs) {
    const GlyphImage& image = glyph.image;
    text += "<glyph" + Quoted("page", glyph.cell.page) + Quoted("x", image.left) + Quoted("y", image.top) +
            Quoted("advance", image.advance) + Quoted("x1", glyph.cell.x) + Quoted("y1", glyph.cell.y) +
            Quoted("x2", glyph.cell.x + image.width) + Quoted("y2", glyph.cell.y + image.height) + "/>\n";
  }
  for (size_t index = 0; index < font.glyphs.size(); ++index)
    for (uint16_t code : font.glyphs[index].characters)
      text += "<char c=\"" + CharValue(code) + "\"" + Quoted("glyph", static_cast<long>(index)) + "/>\n";
  text += "</font>\n";
  return text;
}

std::string SpacingFileText(const BakedFont& font) {
  return "# Spacing of a font baked by tarn-fontgen; the glyph file beside it has the same values.\n"
         "(space_length " + std::to_string(font.spaceLength) + ")\n"
         "(character_spacing 0)\n"
         "(line_spacing " + std::to_string(font.lineSpacing) + ")\n"
         "(paragraph_spacing 0)\n";
}

std::string PageFileName(const std::string& outBase, int page, int pageCount) {
  if (pageCount <= 1 && page == 0) return outBase + ".png";
  return outBase + "_" + static_cast<char>('a' + page) + ".png";
}

bool WritePages(const BakedFont& font, const std::string& outBase, std::string& error) {
  const size_t width = static_cast<size_t>(font.pageWidth), height = static_cast<size_t>(font.pageHeight);
  const size_t inset = static_cast<size_t>(font.padding / 2);
  for (int page = 0; page < font.pageCount; ++page) {
    gfx::PixelImage image;
    image.width = font.pageWidth;
    image.height = font.pageHeight;
    image.bgra.assign(width * height * 4, 255);
    for (size_t i = 3; i < image.bgra.size(); i += 4) image.bgra[i] = 0;
    for (const BakedGlyph& glyph : font.glyphs) {
      if (glyph.cell.page != page) continue;
      const GlyphImage& source = glyph.image;
      size_t left = static_cast<size_t>(glyph.cell.x) + inset, top = static_cast<size_t>(glyph.cell.y) + inset;
      for (size_t y = 0; y < static_cast<size_t>(source.height); ++y)
        for (size_t x = 0; x < static_cast<size_t>(source.width); ++x)
          image.bgra[((top + y) * width + left + x) * 4 + 3] = source.coverage[y * source.width + x];
    }
    std::string path = PageFileName(outBase, page, font.pageCount);
    if (!gfx::WritePngFile(path, image)) {
      error = "cannot write " + path;
      return false;
    }
  }
  return true;
}

bool WriteTextFile(const std::string& path, const std::string& text, std::string& error) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
  bool ok = file && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  ok = file && std::fclose(file.release()) == 0 && ok;
  if (!ok) error = "cannot write " + path;
  return ok;
}

}  // namespace tarn::fontgen
