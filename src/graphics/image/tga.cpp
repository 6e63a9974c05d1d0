// TGA images, read and written by hand: true colour (24 or 32 bits, plain or
// run-length packed) and 8-bit colour-mapped files are read; files are written
// as the image's block, 32-bit with the first row at the top.
#include <cstring>
#include <istream>
#include <vector>

#include "graphics/image/read_support.h"
#include "graphics/image/reader.h"
#include "graphics/image/writer.h"

namespace tarn::gfx {

using namespace codec;

namespace {

struct TgaHeader {
  uint32_t idLength = 0, colourMapType = 0, imageType = 0, mapFirst = 0, mapLength = 0, mapEntrySize = 0;
  uint32_t xOrigin = 0, yOrigin = 0, width = 0, height = 0, depth = 0, descriptor = 0;
};

bool ReadTgaHeader(std::istream& s, TgaHeader& h) {
  return Read8(s, h.idLength) && Read8(s, h.colourMapType) && Read8(s, h.imageType) && Read16(s, h.mapFirst) &&
         Read16(s, h.mapLength) && Read8(s, h.mapEntrySize) && Read16(s, h.xOrigin) && Read16(s, h.yOrigin) &&
         Read16(s, h.width) && Read16(s, h.height) && Read8(s, h.depth) && Read8(s, h.descriptor);
}

// Decodes run-length packets from 'data' into rows 0..height-1 of the image,
// in file order. False when the data ends before the last pixel.
bool DecodeTgaRle(const std::vector<uint8_t>& data, int bytesPerPixel, int width, int height, Image& image) {
  size_t at = 0;
  const size_t total = static_cast<size_t>(width) * static_cast<size_t>(height);
  size_t done = 0;
  auto put = [&](const uint8_t* p) {
    int x = static_cast<int>(done % static_cast<size_t>(width));
    int y = static_cast<int>(done / static_cast<size_t>(width));
    uint8_t* to = Row(image, y) + x * 4;
    to[0] = p[0];
    to[1] = p[1];
    to[2] = p[2];
    to[3] = bytesPerPixel == 4 ? p[3] : 255;
    ++done;
  };
  while (done < total) {
    if (at >= data.size()) return false;
    uint8_t header = data[at++];
    size_t count = static_cast<size_t>(header & 0x7F) + 1;
    if (header & 0x80) {
      if (data.size() - at < static_cast<size_t>(bytesPerPixel)) return false;
      const uint8_t* pixel = &data[at];
      at += static_cast<size_t>(bytesPerPixel);
      for (size_t i = 0; i < count && done < total; ++i) put(pixel);
    } else {
      if ((data.size() - at) / static_cast<size_t>(bytesPerPixel) < count) return false;
      for (size_t i = 0; i < count; ++i, at += static_cast<size_t>(bytesPerPixel))
        if (done < total) put(&data[at]);  // pixels past the image's end are ignored
    }
  }
  return true;
}

void FlipRows(Image& image, int rows) {
  size_t rowBytes = static_cast<size_t>(image.width) * 4;
  std::vector<uint8_t> temp(rowBytes);
  for (int top = 0, bottom = rows - 1; top < bottom; ++top, --bottom) {
    std::memcpy(temp.data(), Row(image, top), rowBytes);
    std::memcpy(Row(image, top), Row(image, bottom), rowBytes);
    std::memcpy(Row(image, bottom), temp.data(), rowBytes);
  }
}

}  // namespace

int ReadTGA(std::istream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight) {
  if (!stream) return -1;
  TgaHeader h;
  if (!ReadTgaHeader(*stream, h) || !Skip(*stream, h.idLength)) return -1;
  const int width = static_cast<int>(h.width), height = static_cast<int>(h.height);
  if (width <= 0 || height <= 0 || width > kMaxClassicImageSide || height > kMaxClassicImageSide) return -1;
  const bool rle = (h.imageType & 8) != 0;
  const int baseType = static_cast<int>(h.imageType & 7);
  const bool hasMap = h.colourMapType == 1;
  bool trueColour = (h.depth == 24 || h.depth == 32) && baseType == 2;
  bool mapped = h.depth == 8 && !rle && baseType == 1 && hasMap && (h.mapEntrySize == 24 || h.mapEntrySize == 32);
  if (!trueColour && !mapped) return -1;
  const bool topDown = (h.descriptor & 0x20) != 0;
  const size_t mapBytes = hasMap ? static_cast<size_t>(h.mapLength) * ((h.mapEntrySize + 7) / 8) : 0;
  const int bytesPerPixel = static_cast<int>(h.depth / 8);
  const size_t pixelCount = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<uint8_t> data;

  if (rle) {
    if (!Skip(*stream, mapBytes)) return -1;
    // The most a file can need: a one-pixel packet for every pixel. The
    // least: one full 128-pixel run per packet.
    ReadUpTo(*stream, pixelCount * static_cast<size_t>(bytesPerPixel + 1), data);
    size_t least = (pixelCount + 127) / 128 * static_cast<size_t>(bytesPerPixel + 1);
    if (data.size() < least) return -1;
    image.Allocate(width, height, powerOfTwo, headerKind);
    if (!image.pixels) return -1;
    if (!DecodeTgaRle(data, bytesPerPixel, width, height, image)) return -1;
    if (!topDown) FlipRows(image, height);
  } else {
    if (!ReadExact(*stream, mapBytes + pixelCount * static_cast<size_t>(bytesPerPixel), data)) return -1;
    image.Allocate(width, height, powerOfTwo, headerKind);
    if (!image.pixels) return -1;
    const uint8_t* map = data.data();
    const uint8_t* pixels = data.data() + mapBytes;
    const size_t entryBytes = h.mapEntrySize / 8;
    for (int y = 0; y < height; ++y) {
      int fileRow = topDown ? y : height - 1 - y;
      const uint8_t* from = pixels + static_cast<size_t>(fileRow) * static_cast<size_t>(width) * bytesPerPixel;
      uint8_t* to = Row(image, y);
      for (int x = 0; x < width; ++x, to += 4) {
        if (mapped) {
          uint32_t index = from[x];
          if (index < h.mapFirst || index - h.mapFirst >= h.mapLength) return -1;
          const uint8_t* entry = map + (index - h.mapFirst) * entryBytes;
          to[0] = entry[0];
          to[1] = entry[1];
          to[2] = entry[2];
          to[3] = entryBytes == 4 ? entry[3] : 255;
        } else {
          const uint8_t* p = from + x * bytesPerPixel;
          to[0] = p[0];
          to[1] = p[1];
          to[2] = p[2];
          to[3] = bytesPerPixel == 4 ? p[3] : 255;
        }
      }
    }
  }
  image.alpha = h.depth == 32 || (mapped && h.mapEntrySize == 32);
  ReportSize(width, height, outWidth, outHeight);
  return 0;
}

bool WriteTGA(const Image& image, FILE* file) {
  if (!file || image.headerKind != kImageHeaderTga || !image.pixels) return false;
  image.WriteRaw(file, true, 4);
  return ferror(file) == 0;
}

}  // namespace tarn::gfx
