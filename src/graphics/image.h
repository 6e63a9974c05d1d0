// Decoded images: 32-bit pixels in the byte order B, G, R, A, optionally
// preceded by a TGA or BMP file header in the same block, so that the whole
// block is a complete image file in memory and can be written straight to disk.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "resources/filesystem.h"

namespace tarn::gfx {

// The header that precedes the pixels of an image's block.
enum ImageHeaderKind { kImageHeaderNone = 0, kImageHeaderTga = 1, kImageHeaderBmp = 2 };

inline constexpr int kTgaHeaderSize = 18;
inline constexpr int kBmpHeaderSize = 54;

// The largest side any reader accepts, whatever the format allows.
inline constexpr int kMaxImageSide = 16384;
// The largest side the TGA, BMP and JPEG readers accept.
inline constexpr int kMaxClassicImageSide = 4096;

// A rectangle as left, top, right, bottom (right and bottom exclusive).
struct ImageRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

class Image {
 public:
  Image() = default;
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  Image(Image&& other) noexcept;
  Image& operator=(Image&& other) noexcept;
  ~Image() = default;

  // With powerOfTwo the sides grow to the next powers of two (the pixels are
  // then zeroed unless both sides already were powers of two). An image that
  // already has pixels of exactly this size is kept as it is and the result is
  // false; otherwise a new block with the header of the given kind is made and
  // the result is true. Sides that are not positive, above kMaxImageSide or
  // an unknown header kind free the image and give false with no pixels.
  bool Allocate(int width, int height, bool powerOfTwo, int headerKind);
  void Free();
  void Clear();

  // The pixel word A << 24 | R << 16 | G << 8 | B; no bounds check.
  uint32_t PixelAt(int x, int y) const;
  // Copies one byte of every pixel of the source into another byte of this
  // image's pixels, over the rows and columns both images have.
  bool CopyChannel(const Image& source, int sourceIndex, int destIndex);
  bool SwapChannels(int a, int b);
  void FlipVertical();
  int HeaderSize() const;
  // Writes the header (when asked for and present), then the first
  // bytesPerPixel bytes of every pixel in row order.
  void WriteRaw(FILE* file, bool withHeader, int bytesPerPixel) const;
  // Same size: copies the pixels; otherwise resamples into this image's size.
  // alpha is taken from the source.
  void CopyFrom(const Image& source);

  uint8_t* Pixels() { return pixels; }
  const uint8_t* Pixels() const { return pixels; }
  // The whole block: header followed by the pixels.
  const uint8_t* Block() const { return block_.empty() ? nullptr : block_.data(); }
  size_t BlockSize() const { return block_.size(); }
  bool Empty() const { return pixels == nullptr; }

  int32_t width = 0;
  int32_t height = 0;
  uint8_t* pixels = nullptr;  // into the block, after the header
  int32_t headerKind = 0;
  bool alpha = false;

 private:
  void WriteHeader();
  std::vector<uint8_t> block_;
};

// Copies the overlapping part of two pixel areas (4 bytes a pixel, strides in
// pixels). Each optional rectangle clips its side; false when a rectangle's
// left or top lies outside its area.
bool CopyRect(const uint8_t* source, int sourceWidth, int sourceHeight, int sourceStride, uint8_t* dest,
              int destWidth, int destHeight, int destStride, const ImageRect* sourceRect = nullptr,
              const ImageRect* destRect = nullptr);

// Scales a pixel area to another size with an area filter (strides in pixels).
void Resample(const uint8_t* source, int sourceWidth, int sourceHeight, int sourceStride, uint8_t* dest,
              int destWidth, int destHeight, int destStride);

// Readers: 0 on success, -1 on any failure (the image may be left allocated;
// the caller frees it). outWidth and outHeight receive the size stored in the
// file, before any padding.
int ReadPNG(InputStream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight);
int ReadJPEG(InputStream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight);
int ReadTGA(InputStream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight);
int ReadBMP(InputStream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight);

// Writers. TGA and BMP images are written with WriteTGA / WriteBMP from an
// image of header kind 1 or 2; WriteBMP flips the image's rows first (and back
// afterwards) so the file stores them bottom-up as its header says.
bool WritePNG(const Image& image, FILE* file);
bool WriteTGA(const Image& image, FILE* file);
bool WriteBMP(Image& image, FILE* file);

// Loads an image file of one of the allowed formats (bits of FormatBit). A
// path without an extension tries ".png", ".tga", ".bmp", ".jpg" in that
// order. With alphaCompanion, an image without alpha takes the green channel
// of "<path without extension>_alpha.png" as its alpha. Returns the given
// image, or a new one the caller owns, or null after a fatal error.
Image* LoadImageFile(const std::string& path, int formats, bool powerOfTwo, int headerKind, int* outWidth,
                     int* outHeight, bool alphaCompanion, Image* image = nullptr);

// Saves a region of an image file (null rect: the whole image) as PNG, TGA or
// BMP in the write folder. Failures are warnings; the result says whether the
// file was written.
bool SaveRegion(const std::string& source, const std::string& destination, const ImageRect* rect);

// Shrinks rect to the smallest rectangle holding every solid pixel of the
// image file inside it. False when the file cannot be loaded or the rectangle
// does not fit the image.
bool FindSmallestRegion(const std::string& source, ImageRect& rect, bool testAlpha, bool testColour);

}  // namespace tarn::gfx
