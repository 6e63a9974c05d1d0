#include "graphics/image/reader.h"

#include <cctype>

namespace tarn::gfx {

namespace {

constexpr ImageReader kReaders[] = {
    {"png", ReadPNG},
    {"jpg", ReadJPEG},
    {"tga", ReadTGA},
    {"bmp", ReadBMP},
};

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

const ImageReader* FindImageReader(std::string_view extension) {
  for (const ImageReader& reader : kReaders)
    if (SameLetters(extension, reader.extension)) return &reader;
  return nullptr;
}

}  // namespace tarn::gfx
