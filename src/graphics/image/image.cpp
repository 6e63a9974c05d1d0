#include "graphics/image/image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "graphics/image/bytes.h"

namespace tarn::gfx {

namespace {

bool IsPowerOfTwo(int value) { return value > 0 && (value & (value - 1)) == 0; }

int NextPowerOfTwo(int value) {
  int result = 1;
  while (result < value) result <<= 1;
  return result;
}

int HeaderSizeOf(int kind) {
  switch (kind) {
    case kImageHeaderTga: return kTgaHeaderSize;
    case kImageHeaderBmp: return kBmpHeaderSize;
    default: return 0;
  }
}

}  // namespace

Image::Image(Image&& other) noexcept { *this = std::move(other); }

Image& Image::operator=(Image&& other) noexcept {
  if (this == &other) return *this;
  block_ = std::move(other.block_);  // the buffer moves, so 'pixels' stays valid
  width = other.width;
  height = other.height;
  pixels = other.pixels;
  headerKind = other.headerKind;
  alpha = other.alpha;
  other.block_.clear();
  other.width = other.height = 0;
  other.pixels = nullptr;
  other.headerKind = 0;
  other.alpha = false;
  return *this;
}

bool Image::Allocate(int newWidth, int newHeight, bool powerOfTwo, int newHeaderKind) {
  if (newWidth <= 0 || newHeight <= 0 || newWidth > kMaxImageSide || newHeight > kMaxImageSide ||
      newHeaderKind < kImageHeaderNone || newHeaderKind > kImageHeaderBmp) {
    bool keepAlpha = alpha;
    Free();
    alpha = keepAlpha;
    return false;
  }
  bool padded = false;
  if (powerOfTwo) {
    padded = !IsPowerOfTwo(newWidth) || !IsPowerOfTwo(newHeight);
    newWidth = NextPowerOfTwo(newWidth);
    newHeight = NextPowerOfTwo(newHeight);
  }
  if (pixels && width == newWidth && height == newHeight && headerKind == newHeaderKind) {
    // Same block reused: the padding must not show what was there before.
    if (padded) Clear();
    return false;
  }
  bool keepAlpha = alpha;
  Free();
  alpha = keepAlpha;
  size_t header = static_cast<size_t>(HeaderSizeOf(newHeaderKind));
  size_t bytes = static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight) * 4;
  try {
    // value-initialised: the pixels start zeroed whether padded or not
    block_.assign(header + bytes, 0);
  } catch (const std::bad_alloc&) {
    block_.clear();
    return false;
  }
  width = newWidth;
  height = newHeight;
  headerKind = newHeaderKind;
  pixels = block_.data() + header;
  WriteHeader();
  return true;
}

void Image::WriteHeader() {
  uint8_t* h = block_.data();
  if (headerKind == kImageHeaderTga) {
    std::memset(h, 0, kTgaHeaderSize);
    h[2] = 2;  // uncompressed true colour
    Put16(h + 12, static_cast<uint32_t>(width) & 0xFFFF);
    Put16(h + 14, static_cast<uint32_t>(height) & 0xFFFF);
    h[16] = 32;
    h[17] = 0x20;  // first row at the top
  } else if (headerKind == kImageHeaderBmp) {
    std::memset(h, 0, kBmpHeaderSize);
    uint32_t w = static_cast<uint32_t>(width) & 0xFFFF;
    uint32_t hgt = static_cast<uint32_t>(height) & 0xFFFF;
    uint32_t imageBytes = w * hgt * 4;
    h[0] = 'B';
    h[1] = 'M';
    Put32(h + 2, imageBytes + kBmpHeaderSize);
    Put32(h + 10, kBmpHeaderSize);
    Put32(h + 14, 40);
    Put32(h + 18, w);
    Put32(h + 22, hgt);  // positive: rows stored bottom-up
    Put16(h + 26, 1);
    Put16(h + 28, 32);
    Put32(h + 34, imageBytes);
  }
}

void Image::Free() {
  std::vector<uint8_t>().swap(block_);
  width = height = 0;
  pixels = nullptr;
  headerKind = 0;
  alpha = false;
}

void Image::Clear() {
  if (pixels) std::memset(pixels, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
}

uint32_t Image::PixelAt(int x, int y) const {
  const uint8_t* p = pixels + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

bool Image::CopyChannel(const Image& source, int sourceIndex, int destIndex) {
  if (sourceIndex < 0 || sourceIndex > 3 || destIndex < 0 || destIndex > 3) return false;
  if (!pixels || !source.pixels) return true;
  int rows = std::min(height, source.height);
  int columns = std::min(width, source.width);
  for (int y = 0; y < rows; ++y) {
    const uint8_t* from = source.pixels + static_cast<size_t>(y) * static_cast<size_t>(source.width) * 4;
    uint8_t* to = pixels + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
    for (int x = 0; x < columns; ++x) to[x * 4 + destIndex] = from[x * 4 + sourceIndex];
  }
  return true;
}

bool Image::SwapChannels(int a, int b) {
  if (a < 0 || a > 3 || b < 0 || b > 3) return false;
  if (!pixels || a == b) return true;
  size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  for (size_t i = 0; i < count; ++i) std::swap(pixels[i * 4 + a], pixels[i * 4 + b]);
  return true;
}

void Image::FlipVertical() {
  if (!pixels) return;
  size_t rowBytes = static_cast<size_t>(width) * 4;
  std::vector<uint8_t> row(rowBytes);
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    uint8_t* a = pixels + static_cast<size_t>(top) * rowBytes;
    uint8_t* b = pixels + static_cast<size_t>(bottom) * rowBytes;
    std::memcpy(row.data(), a, rowBytes);
    std::memcpy(a, b, rowBytes);
    std::memcpy(b, row.data(), rowBytes);
  }
}

int Image::HeaderSize() const { return HeaderSizeOf(headerKind); }

void Image::WriteRaw(FILE* file, bool withHeader, int bytesPerPixel) const {
  if (!file) return;
  if (withHeader && HeaderSize() > 0 && !block_.empty())
    fwrite(block_.data(), 1, static_cast<size_t>(HeaderSize()), file);
  if (!pixels || bytesPerPixel <= 0) return;
  bytesPerPixel = std::min(bytesPerPixel, 4);
  size_t rowBytes = static_cast<size_t>(width) * 4;
  if (bytesPerPixel == 4) {
    fwrite(pixels, 1, rowBytes * static_cast<size_t>(height), file);
    return;
  }
  std::vector<uint8_t> row(static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel));
  for (int y = 0; y < height; ++y) {
    const uint8_t* from = pixels + static_cast<size_t>(y) * rowBytes;
    for (int x = 0; x < width; ++x)
      std::memcpy(&row[static_cast<size_t>(x) * bytesPerPixel], from + x * 4, static_cast<size_t>(bytesPerPixel));
    fwrite(row.data(), 1, row.size(), file);
  }
}

void Image::CopyFrom(const Image& source) {
  alpha = source.alpha;
  if (!pixels || !source.pixels) return;
  if (width == source.width && height == source.height) {
    std::memcpy(pixels, source.pixels, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  } else {
    Resample(source.pixels, source.width, source.height, source.width, pixels, width, height, width);
  }
}

bool CopyRect(const uint8_t* source, int sourceWidth, int sourceHeight, int sourceStride, uint8_t* dest,
              int destWidth, int destHeight, int destStride, const ImageRect* sourceRect, const ImageRect* destRect) {
  struct Side {
    int width, height;
    size_t start;  // in pixels
  };
  auto clip = [](int w, int h, int stride, const ImageRect* rect, Side& side) {
    side.width = w;
    side.height = h;
    side.start = 0;
    if (!rect) return true;
    side.width = std::min(side.width, rect->right);
    side.height = std::min(side.height, rect->bottom);
    if (rect->left > 0) {
      if (rect->left >= side.width) return false;
      side.start += static_cast<size_t>(rect->left);
      side.width -= rect->left;
    }
    if (rect->top > 0) {
      if (rect->top >= side.height) return false;
      side.start += static_cast<size_t>(rect->top) * static_cast<size_t>(stride);
      side.height -= rect->top;
    }
    return true;
  };
  if (!source || !dest) return false;
  Side from{}, to{};
  if (!clip(sourceWidth, sourceHeight, sourceStride, sourceRect, from)) return false;
  if (!clip(destWidth, destHeight, destStride, destRect, to)) return false;
  int rows = std::min(from.height, to.height);
  int columns = std::min(from.width, to.width);
  if (rows <= 0 || columns <= 0) return true;
  for (int y = 0; y < rows; ++y) {
    const uint8_t* a = source + (from.start + static_cast<size_t>(y) * static_cast<size_t>(sourceStride)) * 4;
    uint8_t* b = dest + (to.start + static_cast<size_t>(y) * static_cast<size_t>(destStride)) * 4;
    std::memmove(b, a, static_cast<size_t>(columns) * 4);
  }
  return true;
}

namespace {

// The source cells one destination cell covers, with their weights.
struct Span {
  int first = 0;
  std::vector<float> weights;
  float total = 0;
};

// Destination cell i of 'count' covers [i * size / count, (i + 1) * size /
// count) of the source; each source cell weighs by how much of it lies inside.
std::vector<Span> Spans(int sourceSize, int destSize) {
  std::vector<Span> spans(static_cast<size_t>(destSize));
  double scale = static_cast<double>(sourceSize) / destSize;
  for (int i = 0; i < destSize; ++i) {
    double begin = i * scale;
    double end = std::min((i + 1) * scale, static_cast<double>(sourceSize));
    int first = std::min(static_cast<int>(begin), sourceSize - 1);
    int last = std::min(static_cast<int>(std::ceil(end - 1e-6)) - 1, sourceSize - 1);
    last = std::max(last, first);
    Span& span = spans[static_cast<size_t>(i)];
    span.first = first;
    for (int k = first; k <= last; ++k) {
      double weight = std::min<double>(k + 1, end) - std::max<double>(k, begin);
      if (weight < 0) weight = 0;
      span.weights.push_back(static_cast<float>(weight));
      span.total += static_cast<float>(weight);
    }
    if (span.total <= 0) {  // a vanishing span: take its one cell whole
      span.weights.assign(1, 1.0f);
      span.total = 1.0f;
    }
  }
  return spans;
}

}  // namespace

void Resample(const uint8_t* source, int sourceWidth, int sourceHeight, int sourceStride, uint8_t* dest, int destWidth,
              int destHeight, int destStride) {
  if (!source || !dest || sourceWidth <= 0 || sourceHeight <= 0 || destWidth <= 0 || destHeight <= 0) return;
  std::vector<Span> columns = Spans(sourceWidth, destWidth);
  std::vector<Span> rows = Spans(sourceHeight, destHeight);
  // One destination row at a time: the covered source rows are first summed
  // column by column, then the columns are combined.
  std::vector<float> rowSum(static_cast<size_t>(sourceWidth) * 4);
  for (int j = 0; j < destHeight; ++j) {
    const Span& rowSpan = rows[static_cast<size_t>(j)];
    std::fill(rowSum.begin(), rowSum.end(), 0.0f);
    for (size_t r = 0; r < rowSpan.weights.size(); ++r) {
      float weight = rowSpan.weights[r];
      if (weight == 0) continue;
      const uint8_t* line =
          source + static_cast<size_t>(rowSpan.first + static_cast<int>(r)) * static_cast<size_t>(sourceStride) * 4;
      for (size_t b = 0; b < rowSum.size(); ++b) rowSum[b] += weight * line[b];
    }
    uint8_t* out = dest + static_cast<size_t>(j) * static_cast<size_t>(destStride) * 4;
    for (int i = 0; i < destWidth; ++i) {
      const Span& columnSpan = columns[static_cast<size_t>(i)];
      float sum[4] = {0, 0, 0, 0};
      for (size_t c = 0; c < columnSpan.weights.size(); ++c) {
        float weight = columnSpan.weights[c];
        const float* cell = &rowSum[static_cast<size_t>(columnSpan.first + static_cast<int>(c)) * 4];
        for (int b = 0; b < 4; ++b) sum[b] += weight * cell[b];
      }
      float total = columnSpan.total * rowSpan.total;
      for (int b = 0; b < 4; ++b) {
        float value = std::floor(sum[b] / total + 0.5f);
        out[i * 4 + b] = static_cast<uint8_t>(std::clamp(value, 0.0f, 255.0f));
      }
    }
  }
}

}  // namespace tarn::gfx
