// The glyph file of a bitmap font and its spacing file.
//
// A glyph file is read line by line; the first word of a line decides its
// kind ("<font", "<glyph", "<char"; any other line is ignored) and the
// quoted strings after it are its values, in order, whatever the attribute
// names:
//   <font size="16" space="5" padding="2" spacing="0" line="3" paragraph="0"/>
//   <glyph page="0" x="1" y="12" advance="9" x1="0" y1="0" x2="8" y2="12"/>
//   <char c="A" glyph="0"/>
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "text/font.h"

namespace tarn::text {

inline constexpr size_t kMaxGlyphLineChars = 254;
inline constexpr size_t kMaxGlyphs = 65535;  // the glyph count is 16-bit

// What the glyph file held, before the character map is checked against the
// glyphs: character code -> glyph index as written (possibly out of range).
struct GlyphFileContents {
  std::map<uint16_t, uint32_t> characters;
  int longLines = 0;    // lines over the limit, ignored
  int extraGlyphs = 0;  // glyph lines beyond the limit, ignored
};

// Reads the glyph file's text into the font's metrics and glyphs.
GlyphFileContents ReadGlyphLines(const char* data, size_t size, Font& font);

// The values of one line after its tag, in order (an unclosed quote ends
// them). Public for the tests.
int LineValues(const char* line, size_t length, std::string* values, int maxValues);

// Name and nominal size from a glyph file's path: "fonts/Arial24.xml" is
// arial, 24; without trailing digits the size is the pixel size truncated.
void NameFromPath(const std::string& path, float pixelSize, std::string& name, int32_t& size);

// Applies the spacing file (a Parcon document) beside the glyph file, when
// there is one.
void ReadSpacingFile(const std::string& glyphPath, Font& font);

}  // namespace tarn::text
