// Loading, choosing and releasing fonts.
#include <cctype>
#include <map>

#include "diag/log.h"
#include "resources/filesystem.h"
#include "resources/parcon.h"
#include "text/font_file.h"
#include "text/text_renderer.h"

namespace tarn::text {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Cuts trailing decimal digits off the name into 'size'; false without any.
bool TakeTrailingSize(std::string& name, int& size) {
  size_t digits = name.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
  if (digits == name.size()) return false;
  size = ParconToInt(name.c_str() + digits);
  name.erase(digits);
  return true;
}

// Keeps the mappings to existing glyphs; the page count follows from the
// glyphs that are mapped.
int ResolveCharacters(const GlyphFileContents& contents, Font& font) {
  int pages = 0;
  for (const auto& [character, index] : contents.characters) {
    if (index >= font.glyphs.size()) continue;
    font.characters.emplace(character, static_cast<uint16_t>(index));
    pages = std::max(pages, font.glyphs[index].page + 1);
  }
  font.IndexCharacters();
  return pages;
}

void ApplyPadding(Font& font) {
  int half = static_cast<int>(font.metrics.glyphPadding / 2);
  auto pad = [half](int16_t& v) {
    int padded = v + half;
    v = static_cast<int16_t>(padded < -32768 ? -32768 : padded > 32767 ? 32767 : padded);
  };
  for (Glyph& g : font.glyphs) {
    pad(g.x1);
    pad(g.y1);
    pad(g.x2);
    pad(g.y2);
  }
}

bool ReadFont(const std::string& key, Font& font) {
  FileSystem& fs = FileSystem::Instance();
  FileInfo info;
  std::unique_ptr<char[]> data = fs.ReadWhole(key, &info, false);
  if (!data) return false;
  GlyphFileContents contents = ReadGlyphLines(data.get(), static_cast<size_t>(info.size), font);
  data.reset();
  if (contents.longLines > 0)
    LogWarning("%s: %d line(s) longer than %d characters ignored", key.c_str(), contents.longLines,
               static_cast<int>(kMaxGlyphLineChars));
  if (contents.extraGlyphs > 0)
    LogWarning("%s: %d glyph(s) beyond the first %d ignored", key.c_str(), contents.extraGlyphs,
               static_cast<int>(kMaxGlyphs));
  NameFromPath(key, font.metrics.pixelSize, font.name, font.size);
  ReadSpacingFile(key, font);
  int pages = ResolveCharacters(contents, font);
  if (font.characters.empty()) return false;
  ApplyPadding(font);
  font.pages.resize(static_cast<size_t>(pages));
  font.texturesDirty = font.coordsDirty = true;
  return true;
}

}  // namespace

TextRenderer& TextRenderer::Instance() {
  static TextRenderer renderer;
  return renderer;
}

TextRenderer::TextRenderer() : layout_(std::make_unique<Layout>()) {}

Font* TextRenderer::LoadFont(const std::string& path) {
  std::string key = FileSystem::ResourceKey(path);
  for (const auto& font : fonts_)
    if (font->path == key) return font.get();
  auto font = std::make_unique<Font>();
  font->path = key;
  if (!ReadFont(key, *font)) {
    LogInfo("Can't load font: %s", key.c_str());
    return nullptr;
  }
  LogInfo("Loaded font: %s", key.c_str());
  Font* loaded = font.get();
  for (auto& old : fonts_) {
    if (old->name == font->name && old->size == font->size) {
      Forget(old);
      old = std::move(font);
      return loaded;
    }
  }
  fonts_.push_back(std::move(font));
  return loaded;
}

int TextRenderer::LoadFonts(const std::string& pattern) {
  std::map<std::string, FileInfo> files;
  FileSystem::Instance().Search(pattern, true, false, &files, true);
  int count = 0;
  for (const auto& entry : files)
    if (LoadFont(entry.first)) ++count;
  return count;
}

bool TextRenderer::SetFont(const std::string& fontName, int size) {
  std::string name = Lower(fontName);
  current_ = nullptr;
  if (size < 1 && (name.empty() || !TakeTrailingSize(name, size))) {
    LogWarning("Bad font size <name=%s, size=%d>", name.c_str(), size);
    return false;
  }
  Font* best = nullptr;
  int64_t bestDistance = 10000;
  for (const auto& font : fonts_) {
    if (font->name != name) continue;
    int64_t d = static_cast<int64_t>(font->size) - size;
    int64_t distance = d < 0 ? 5000 - d : d;  // a smaller font only when no larger one exists
    if (distance < bestDistance) {
      bestDistance = distance;
      best = font.get();
    }
  }
  if (!best) {
    LogWarning("Font not found: %s", name.c_str());
    return false;
  }
  PrepareTextures(*best);
  current_ = best;
  scale_ = best->size > 0 ? static_cast<float>(size) / static_cast<float>(best->size) : 1.0f;
  return true;
}

bool TextRenderer::ReleaseFonts(const std::string& fontName) {
  std::string name = Lower(fontName);
  int size = 0;
  bool sized = TakeTrailingSize(name, size);
  bool removed = false;
  for (auto it = fonts_.begin(); it != fonts_.end();) {
    if ((*it)->name != name || (sized && (*it)->size != size)) {
      ++it;
      continue;
    }
    Forget(*it);
    it = fonts_.erase(it);
    removed = true;
    if (sized) break;
  }
  return removed;
}

void TextRenderer::ReleaseAllFonts() {
  for (auto& font : fonts_) Forget(font);
  fonts_.clear();
}

void TextRenderer::Forget(std::unique_ptr<Font>& font) {
  if (current_ == font.get()) current_ = nullptr;
  if (layout_->font == font.get()) {
    layout_->count = 0;
    layout_->font = nullptr;
  }
  font.reset();
}

void TextRenderer::ResetForTests() {
  ReleaseAllFonts();
  ReleaseBuffers();
  scale_ = 1.0f;
  layout_ = std::make_unique<Layout>();
}

}  // namespace tarn::text
