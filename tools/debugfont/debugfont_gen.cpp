// Build tool: renders the printable ASCII characters of a TrueType font into
// the engine's embedded 12-pixel debug font (C++ source on standard output).
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: tarn-debugfont-gen FONT.ttf > debug_font_data.inc\n");
    return 2;
  }
  FT_Library library;
  FT_Face face;
  if (FT_Init_FreeType(&library) || FT_New_Face(library, argv[1], 0, &face)) {
    fprintf(stderr, "tarn-debugfont-gen: cannot read %s\n", argv[1]);
    return 1;
  }
  FT_Set_Pixel_Sizes(face, 0, 10);
  int ascender = static_cast<int>(face->size->metrics.ascender >> 6);
  std::vector<unsigned char> data;
  printf("// Generated at build time from %s; do not edit.\n", argv[1]);
  printf("constexpr int kDebugFontAscender = %d;\n", ascender);
  printf("constexpr DebugGlyph kDebugGlyphs[95] = {\n");
  for (int c = 32; c < 127; ++c) {
    if (FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT)) {
      fprintf(stderr, "tarn-debugfont-gen: no glyph for %d\n", c);
      return 1;
    }
    FT_GlyphSlot g = face->glyph;
    size_t offset = data.size();
    for (unsigned row = 0; row < g->bitmap.rows; ++row)
      for (unsigned col = 0; col < g->bitmap.width; ++col)
        data.push_back(g->bitmap.buffer[row * static_cast<unsigned>(g->bitmap.pitch) + col]);
    printf("  {%d, %d, %d, %u, %u, %zu},\n", static_cast<int>(g->advance.x >> 6), g->bitmap_left, g->bitmap_top,
           g->bitmap.width, g->bitmap.rows, offset);
  }
  printf("};\nconstexpr unsigned char kDebugGlyphData[%zu] = {", data.size() ? data.size() : 1);
  for (size_t i = 0; i < data.size(); ++i) printf("%s%u,", i % 24 ? "" : "\n  ", data[i]);
  if (data.empty()) printf("0");
  printf("\n};\n");
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return 0;
}
