// Decoded images: 32-bit pixels in the byte order B, G, R, A, optionally
// preceded by a TGA or BMP file header in the same block, so that the whole
// block is a complete image file in memory and can be written straight to disk.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

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

}  // namespace tarn::gfx
