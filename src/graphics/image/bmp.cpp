// BMP images, read and written by hand: uncompressed 8-bit (with a palette),
// 24-bit and 32-bit files are read; files are written as the image's block,
// 32-bit and bottom-up.
#include <cstring>
#include <istream>
#include <vector>

#include "graphics/image/read_support.h"
#include "graphics/image/reader.h"
#include "graphics/image/writer.h"

namespace tarn::gfx {

using namespace codec;

namespace {

struct BmpHeader {
  uint32_t magic = 0, fileSize = 0, reserved1 = 0, reserved2 = 0, dataOffset = 0;
  uint32_t headerSize = 0, width = 0, height = 0, planes = 0, bits = 0, compression = 0, imageSize = 0;
  uint32_t xResolution = 0, yResolution = 0, coloursUsed = 0, coloursImportant = 0;
};

bool ReadBmpHeader(std::istream& s, BmpHeader& h) {
  return Read16(s, h.magic) && Read32(s, h.fileSize) && Read16(s, h.reserved1) && Read16(s, h.reserved2) &&
         Read32(s, h.dataOffset) && Read32(s, h.headerSize) && Read32(s, h.width) && Read32(s, h.height) &&
         Read16(s, h.planes) && Read16(s, h.bits) && Read32(s, h.compression) && Read32(s, h.imageSize) &&
         Read32(s, h.xResolution) && Read32(s, h.yResolution) && Read32(s, h.coloursUsed) &&
         Read32(s, h.coloursImportant);
}

}  // namespace

int ReadBMP(std::istream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight) {
  if (!stream) return -1;
  BmpHeader h;
  if (!ReadBmpHeader(*stream, h)) return -1;
  const int32_t width = static_cast<int32_t>(h.width), height = static_cast<int32_t>(h.height);
  // A negative height (a top-down file) is refused like any other.
  if (width <= 0 || height <= 0 || width > kMaxClassicImageSide || height > kMaxClassicImageSide) return -1;
  if ((h.bits != 8 && h.bits != 24 && h.bits != 32) || h.compression != 0) return -1;
  if (h.headerSize < 40 || h.dataOffset < kBmpHeaderSize || h.dataOffset - 14 < h.headerSize) return -1;
  // Between the 54 header bytes and the pixels: the rest of a larger
  // information header, then the palette.
  const size_t extraHeader = h.headerSize - 40;
  const size_t gap = h.dataOffset - kBmpHeaderSize;
  const size_t paletteBytes = gap - extraHeader;
  const size_t rowBytes = (static_cast<size_t>(width) * h.bits / 8 + 3) & ~static_cast<size_t>(3);
  std::vector<uint8_t> data;
  if (!ReadExact(*stream, gap + rowBytes * static_cast<size_t>(height), data)) return -1;
  const uint8_t* palette = data.data() + extraHeader;
  const size_t paletteEntries = paletteBytes / 4;
  const uint8_t* rows = data.data() + gap;
  image.Allocate(width, height, powerOfTwo, headerKind);
  if (!image.pixels) return -1;
  for (int y = 0; y < height; ++y) {
    const uint8_t* from = rows + static_cast<size_t>(height - 1 - y) * rowBytes;  // first file row: bottom
    uint8_t* to = Row(image, y);
    for (int x = 0; x < width; ++x, to += 4) {
      if (h.bits == 8) {
        size_t index = from[x];
        if (index >= paletteEntries) return -1;
        to[0] = palette[index * 4];
        to[1] = palette[index * 4 + 1];
        to[2] = palette[index * 4 + 2];
        to[3] = 255;
      } else if (h.bits == 24) {
        to[0] = from[x * 3];
        to[1] = from[x * 3 + 1];
        to[2] = from[x * 3 + 2];
        to[3] = 255;
      } else {
        std::memcpy(to, from + x * 4, 4);
      }
    }
  }
  ReportSize(width, height, outWidth, outHeight);
  return 0;
}

bool WriteBMP(Image& image, FILE* file) {
  if (!file || image.headerKind != kImageHeaderBmp || !image.pixels) return false;
  // The header says bottom-up; the image keeps its own order afterwards.
  image.FlipVertical();
  image.WriteRaw(file, true, 4);
  image.FlipVertical();
  return ferror(file) == 0;
}

}  // namespace tarn::gfx
