#include "text/font_file.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <strings.h>

#include "resources/parcon.h"
#include "resources/utf.h"
#include "script/args.h"

namespace tarn::text {
namespace {

const char* SkipBlanks(const char* text) {
  while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n') ++text;
  return text;
}

// Whether the text, after leading white space, begins a decimal number.
bool StartsNumber(const char* text) {
  text = SkipBlanks(text);
  if (*text == '+' || *text == '-') ++text;
  if (*text == '.') ++text;
  return std::isdigit(static_cast<unsigned char>(*text)) != 0;
}

// A metric of the file; values that are not finite keep the old one.
void SetMetric(const std::string& value, float& metric) {
  if (!StartsNumber(value.c_str())) return;
  float number = ParconNarrow(ParconToFloat(value.c_str()));
  if (std::isfinite(number)) metric = number;
}

void ReadFontLine(const std::string* values, int count, FontMetrics& m) {
  float* fields[] = {&m.pixelSize, &m.spaceLength, &m.glyphPadding,
                     &m.characterSpacing, &m.lineSpacing, &m.paragraphSpacing};
  for (int i = 0; i < count && i < 6; ++i) SetMetric(values[i], *fields[i]);
}

int IntValue(const std::string* values, int count, int index) {
  return index < count ? ParconToInt(values[index].c_str()) : 0;
}

int16_t Clamp16(int value) { return static_cast<int16_t>(value < -32768 ? -32768 : value > 32767 ? 32767 : value); }

Glyph ReadGlyphLine(const std::string* values, int count) {
  Glyph g;
  // The first four are kept in 8 bits, as the format stores them.
  g.page = static_cast<uint8_t>(IntValue(values, count, 0));
  g.offsetX = static_cast<int8_t>(IntValue(values, count, 1));
  g.offsetY = static_cast<int8_t>(-static_cast<int64_t>(IntValue(values, count, 2)));
  g.advance = static_cast<uint8_t>(IntValue(values, count, 3));
  g.x1 = Clamp16(IntValue(values, count, 4));
  g.y1 = Clamp16(IntValue(values, count, 5));
  g.x2 = Clamp16(IntValue(values, count, 6));
  g.y2 = Clamp16(IntValue(values, count, 7));
  int dx = g.x2 - g.x1, dy = g.y2 - g.y1;
  bool upright = static_cast<int64_t>(dx) * dy > 0;
  // An image turned on its page swaps its axes and the two free corners.
  g.width = static_cast<uint8_t>(std::abs(upright ? dx : dy));
  g.height = static_cast<uint8_t>(std::abs(upright ? dy : dx));
  g.cornerB = upright ? 1 : 3;
  g.cornerD = upright ? 3 : 1;
  return g;
}

struct Entity {
  const char* text;
  uint16_t code;
};
const Entity kEntities[] = {{"&quot;", 34}, {"&amp;", 38}, {"&apos;", 39},
                            {"&nbsp;", 32}, {"&lt;", 60},  {"&gt;", 62}};

// The character of a <char line: its first word, an entity or UTF-8; 0 when
// there is none.
uint16_t CharacterOf(const std::string& value) {
  const char* start = SkipBlanks(value.c_str());
  size_t length = 0;
  while (start[length] && !std::isspace(static_cast<unsigned char>(start[length]))) ++length;
  std::string word(start, length);
  if (!word.empty() && word[0] == '&') {
    for (const Entity& entity : kEntities)
      if (word == entity.text) return entity.code;
    return 0;
  }
  std::u16string units = Utf8ToUtf16(word, 1);
  return units.empty() ? 0 : static_cast<uint16_t>(units[0]);
}

void ReadCharLine(const std::string* values, int count, std::map<uint16_t, uint32_t>& characters) {
  if (count < 2) return;
  uint16_t character = CharacterOf(values[0]);
  const char* index = SkipBlanks(values[1].c_str());
  if (character == 0 || !std::isdigit(static_cast<unsigned char>(*index))) return;
  unsigned long long number = std::strtoull(index, nullptr, 10);
  uint32_t glyph = number > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(number);
  characters.emplace(character, glyph);  // a character mapped twice keeps its first glyph
}

// The first word of the line, and where the text after it begins.
size_t TagLength(const char* line, size_t length, size_t& start) {
  start = 0;
  while (start < length && std::isspace(static_cast<unsigned char>(line[start]))) ++start;
  size_t end = start;
  while (end < length && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
  return end - start;
}

void ReadLine(const char* line, size_t length, Font& font, GlyphFileContents& contents) {
  size_t start = 0;
  size_t tagLength = TagLength(line, length, start);
  std::string tag(line + start, tagLength);
  if (tag != "<font" && tag != "<glyph" && tag != "<char") return;
  std::string values[8];
  const char* rest = line + start + tagLength;
  int count = LineValues(rest, length - start - tagLength, values, 8);
  if (tag == "<font") {
    ReadFontLine(values, count, font.metrics);
  } else if (tag == "<glyph") {
    if (font.glyphs.size() < kMaxGlyphs)
      font.glyphs.push_back(ReadGlyphLine(values, count));
    else
      ++contents.extraGlyphs;
  } else {
    ReadCharLine(values, count, contents.characters);
  }
}

}  // namespace

int LineValues(const char* line, size_t length, std::string* values, int maxValues) {
  int count = 0;
  size_t i = 0;
  while (count < maxValues) {
    while (i < length && line[i] != '"' && line[i] != '\'') ++i;
    if (i >= length) break;
    char quote = line[i++];
    const void* close = std::memchr(line + i, quote, length - i);
    if (!close) break;
    size_t end = static_cast<size_t>(static_cast<const char*>(close) - line);
    values[count++].assign(line + i, end - i);
    i = end + 1;
  }
  return count;
}

GlyphFileContents ReadGlyphLines(const char* data, size_t size, Font& font) {
  GlyphFileContents contents;
  size_t pos = 0;
  while (pos < size) {
    const void* feed = std::memchr(data + pos, '\n', size - pos);
    size_t end = feed ? static_cast<size_t>(static_cast<const char*>(feed) - data) : size;
    // Longer lines break the format; they are skipped whole, not read in parts.
    if (end - pos > kMaxGlyphLineChars)
      ++contents.longLines;
    else
      ReadLine(data + pos, end - pos, font, contents);
    pos = end + 1;
  }
  return contents;
}

void NameFromPath(const std::string& path, float pixelSize, std::string& name, int32_t& size) {
  std::string base = path;
  for (char& c : base) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  size_t slash = base.find_last_of("/\\");
  if (slash != std::string::npos) base.erase(0, slash + 1);
  size_t dot = base.rfind('.');
  if (dot != std::string::npos) base.erase(dot);
  size_t digits = base.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(base[digits - 1]))) --digits;
  if (digits == base.size()) {
    name = base;
    size = args::ToInteger(pixelSize);
    return;
  }
  name = base.substr(0, digits);
  size = ParconToInt(base.c_str() + digits);  // saturated at the int range
}

void ReadSpacingFile(const std::string& glyphPath, Font& font) {
  std::string path = glyphPath;
  size_t slash = path.find_last_of("/\\");
  size_t dot = path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.erase(dot);
  path += ".fnt";
  Parcon parcon;
  if (!parcon.Open(path, false) || !parcon.Root()) return;
  struct Key {
    const char* name;
    float* metric;
  };
  FontMetrics& m = font.metrics;
  const Key keys[] = {{"space_length", &m.spaceLength},
                      {"character_spacing", &m.characterSpacing},
                      {"line_spacing", &m.lineSpacing},
                      {"paragraph_spacing", &m.paragraphSpacing}};
  const ParconList& root = *parcon.Root();
  for (size_t i = 1; i < root.size(); ++i) {
    ParconCursor cursor(root[i]->List());
    const char* listName = root[i]->List() ? cursor.Name() : nullptr;
    if (!listName) continue;
    for (const Key& key : keys) {
      if (strcasecmp(listName, key.name) != 0) continue;
      try {
        float value = cursor.NextFloat(true, 0);
        if (std::isfinite(value)) *key.metric = value;
      } catch (const ParconMissingData& error) {
        FatalError("%s\nLine: %d", error.Text().c_str(), error.Line());
      }
    }
  }
}

}  // namespace tarn::text
