// Image files outside the texture path: the general loader (used by collision
// masks, particle shape masks and the script's image functions), saving a
// region of an image file, and finding the smallest region holding every solid
// pixel.
#include <algorithm>
#include <cctype>
#include <memory>

#include "diag/error.h"
#include "diag/log.h"
#include "graphics/image/reader.h"
#include "graphics/image/writer.h"
#include "graphics/image_files.h"
#include "graphics/load_guard.h"
#include "graphics/texture.h"
#include "resources/filesystem.h"

namespace tarn::gfx {

namespace {

struct FormatEntry {
  int bit;
  const char* extension;
};

// The loader's order when a path has no extension; DDS is never guessed.
constexpr FormatEntry kGuessOrder[] = {
    {kFormatPng, "png"},
    {kFormatTga, "tga"},
    {kFormatBmp, "bmp"},
    {kFormatJpg, "jpg"},
};

constexpr int kAllFormats = kFormatDds | kFormatPng | kFormatJpg | kFormatTga | kFormatBmp;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Where the extension's dot is in the file-name part, or npos.
size_t ExtensionDot(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return std::string::npos;
  return dot;
}

int FormatOfExtension(const std::string& extension) {
  std::string lower = Lower(extension);
  if (lower == "dds") return kFormatDds;
  for (const FormatEntry& entry : kGuessOrder)
    if (lower == entry.extension) return entry.bit;
  return 0;
}

ImageReadFunction ReaderOf(int bit) {
  for (const FormatEntry& entry : kGuessOrder)
    if (entry.bit == bit) return FindImageReader(entry.extension)->read;
  return nullptr;
}

}  // namespace

Image* LoadImageFile(const std::string& path, int formats, bool powerOfTwo, int headerKind, int* outWidth,
                     int* outHeight, bool alphaCompanion, Image* image) {
  FileSystem& fs = FileSystem::Instance();
  size_t dot = ExtensionDot(path);
  std::string name;
  int format = 0;
  InputStream* stream = nullptr;
  if (dot != std::string::npos) {
    format = FormatOfExtension(path.substr(dot + 1));
    if (!(format & formats)) {
      WrongFileFormat(path);
      return nullptr;
    }
    name = path;
    stream = fs.OpenRead(name, nullptr, false);
  } else {
    for (const FormatEntry& entry : kGuessOrder) {
      if (!(entry.bit & formats)) continue;
      name = path + "." + entry.extension;
      format = entry.bit;
      stream = fs.OpenRead(name, nullptr, false);
      if (stream) break;
    }
  }
  if (!stream) {
    ErrorLoadingFile(name.empty() ? path : name);
    return nullptr;
  }

  std::unique_ptr<Image> created;
  if (!image) {
    created = std::make_unique<Image>();
    image = created.get();
  }
  int result = 0;
  if (ImageReadFunction reader = ReaderOf(format)) {
    try {
      result = FailOnAllocationError(
          [&] { return reader(stream, *image, powerOfTwo, headerKind, outWidth, outHeight); }, -1);
    } catch (...) {
      fs.CloseRead(stream);
      throw;
    }
  }
  // A DDS file is not decoded here: the image stays as it was (empty when new).
  fs.CloseRead(stream);
  if (result != 0) {
    ErrorProcessingFile(name);  // the new image goes with 'created'
    return nullptr;
  }

  if (alphaCompanion && !image->alpha) {
    std::string base = dot != std::string::npos ? path.substr(0, dot) : path;
    std::string companionName = base + "_alpha.png";
    if (InputStream* companionStream = fs.OpenRead(companionName, nullptr, false)) {
      Image companion;
      int read = FailOnAllocationError(
          [&] { return ReadPNG(companionStream, companion, false, kImageHeaderNone, nullptr, nullptr); }, -1);
      fs.CloseRead(companionStream);
      if (read == 0) {
        image->CopyChannel(companion, 1, 3);  // the companion's green becomes the alpha
        image->alpha = true;
      }
    }
  }
  created.release();
  return image;
}

int ImageKindOf(const std::string& path) {
  size_t dot = ExtensionDot(path);
  std::string extension = dot == std::string::npos ? std::string() : Lower(path.substr(dot + 1));
  if (extension == "png") return kImageHeaderNone;
  if (extension == "tga") return kImageHeaderTga;
  if (extension == "bmp") return kImageHeaderBmp;
  return -1;
}

bool WriteImageFile(Image& image, const std::string& destination, int kind) {
  FILE* file = FileSystem::Instance().OpenWriteFile(destination, "wb", true);
  if (!file) return false;
  bool written = false;
  if (kind == kImageHeaderTga) written = WriteTGA(image, file);
  else if (kind == kImageHeaderBmp) written = WriteBMP(image, file);
  else written = WritePNG(image, file);
  if (fclose(file) != 0) written = false;
  return written;
}

bool SaveRegion(const std::string& source, const std::string& destination, const ImageRect* rect) {
  int kind = ImageKindOf(destination);
  if (kind < 0) {
    LogWarning("ERROR: SaveTextureToFile - incorrect destination file format <%s>", destination.c_str());
    return false;
  }

  Image loaded;
  if (!LoadImageFile(source, kAllFormats, false, kind, nullptr, nullptr, true, &loaded)) return false;
  if (!loaded.pixels) {
    // A DDS source decodes to nothing here; there is nothing to save.
    LogWarning("ERROR: SaveTextureToFile - incorrect selected region <0, 0, 0, 0> from file <%s>", source.c_str());
    return false;
  }

  Image region;
  Image* toWrite = &loaded;
  if (rect) {
    if (rect->left < 0 || rect->top < 0 || rect->right > loaded.width || rect->bottom > loaded.height ||
        rect->right - rect->left < 1 || rect->bottom - rect->top < 1) {
      LogWarning("ERROR: SaveTextureToFile - incorrect selected region <%d, %d, %d, %d> from file <%s>", rect->left,
                 rect->right, rect->top, rect->bottom, source.c_str());
      return false;
    }
    bool whole = rect->left == 0 && rect->top == 0 && rect->right == loaded.width && rect->bottom == loaded.height;
    if (!whole) {
      int w = rect->right - rect->left, h = rect->bottom - rect->top;
      if (!region.Allocate(w, h, false, kind) && !region.pixels) return false;
      region.alpha = loaded.alpha;
      CopyRect(loaded.pixels, loaded.width, loaded.height, loaded.width, region.pixels, w, h, w, rect, nullptr);
      toWrite = &region;
    }
  }

  if (!WriteImageFile(*toWrite, destination, kind)) {
    LogWarning("ERROR: SaveTextureToFile - can't open file for write <%s>", destination.c_str());
    return false;
  }
  return true;
}

bool FindSmallestRegion(const std::string& source, ImageRect& rect, bool testAlpha, bool testColour) {
  Image image;
  if (!LoadImageFile(source, kAllFormats, false, kImageHeaderNone, nullptr, nullptr, true, &image)) return false;
  const int width = image.width, height = image.height;

  if (rect.left < 0) rect.left = 0;
  if (rect.left > width) return false;
  if (rect.top < 0) rect.top = 0;
  if (rect.top > height) return false;
  if (rect.right > width) rect.right = width;
  else if (rect.right <= rect.left) return false;
  if (rect.bottom > height) rect.bottom = height;
  else if (rect.bottom <= rect.top) return false;

  auto solid = [&](int x, int y) {
    const uint8_t* p = image.pixels + (static_cast<size_t>(y) * static_cast<size_t>(width) + x) * 4;
    return (testAlpha && p[3] != 0) || (testColour && (p[0] != 0 || p[1] != 0 || p[2] != 0));
  };
  auto columnHasSolid = [&](int x) {
    for (int y = rect.top; y < rect.bottom; ++y)
      if (solid(x, y)) return true;
    return false;
  };
  const int columnsLeft = rect.left, columnsRight = rect.right;
  auto rowHasSolid = [&](int y) {
    for (int x = columnsLeft; x < columnsRight; ++x)
      if (solid(x, y)) return true;
    return false;
  };

  int left = rect.right;
  for (int x = rect.left; x < rect.right; ++x)
    if (columnHasSolid(x)) {
      left = x;
      break;
    }
  int right = left;
  for (int x = rect.right - 1; x >= left; --x)
    if (columnHasSolid(x)) {
      right = x + 1;
      break;
    }
  rect.left = left;
  rect.right = right;

  int top = rect.bottom;
  for (int y = rect.top; y < rect.bottom; ++y)
    if (rowHasSolid(y)) {
      top = y;
      break;
    }
  int bottom = top;
  for (int y = rect.bottom - 1; y >= top; --y)
    if (rowHasSolid(y)) {
      bottom = y + 1;
      break;
    }
  rect.top = top;
  rect.bottom = bottom;
  return true;
}

}  // namespace tarn::gfx
