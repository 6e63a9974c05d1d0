// PNG images through libpng, read and written.
#include <png.h>

#include <csetjmp>
#include <istream>
#include <new>
#include <vector>

#include "graphics/image/read_support.h"
#include "graphics/image/reader.h"
#include "graphics/image/writer.h"

namespace tarn::gfx {

using codec::RemainingBytes;
using codec::ReportSize;
using codec::Row;

namespace {

// Deflate cannot compress better than about 1032 to 1.
constexpr uint64_t kDeflateMaxRatio = 1032;
// The largest chunk libpng may allocate for; the chunks the reader keeps
// (palette, transparency, the fixed-size ones) are far smaller.
constexpr png_alloc_size_t kPngChunkMallocMax = 1 << 20;
// Ancillary chunks of free length that the reader never uses: text, palette
// suggestions, colour profiles, Exif, calibration and scale. libpng would
// allocate (and zero) whatever length their header claims, even past the end
// of the file, and only warn; skipped, they cost a read of their bytes.
constexpr png_byte kPngSkippedChunks[] = "tEXt\0zTXt\0iTXt\0sPLT\0iCCP\0eXIf\0pCAL\0sCAL";
constexpr int kPngSkippedChunkCount = sizeof kPngSkippedChunks / 5;

struct PngRead {
  std::istream* stream = nullptr;
  Image* image = nullptr;
  bool powerOfTwo = false;
  int headerKind = 0;
  int64_t remaining = -1;
  int fileWidth = 0, fileHeight = 0;
};

void PngReadData(png_structp png, png_bytep data, png_size_t length) {
  auto* stream = static_cast<std::istream*>(png_get_io_ptr(png));
  stream->read(reinterpret_cast<char*>(data), static_cast<std::streamsize>(length));
  if (static_cast<png_size_t>(stream->gcount()) != length) png_error(png, "short read");
}

void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

// Everything that libpng may long-jump out of lives here; no object with a
// destructor is alive in this frame.
int DecodePng(png_structp png, png_infop info, PngRead& read, std::vector<png_bytep>& rowPointers) {
  if (setjmp(png_jmpbuf(png))) return -1;
  png_set_read_fn(png, read.stream, PngReadData);
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  png_set_chunk_malloc_max(png, kPngChunkMallocMax);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kPngSkippedChunks, kPngSkippedChunkCount);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colourType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
  if (width == 0 || height == 0 || width > static_cast<png_uint_32>(kMaxImageSide) ||
      height > static_cast<png_uint_32>(kMaxImageSide))
    return -1;
  read.fileWidth = static_cast<int>(width);
  read.fileHeight = static_cast<int>(height);

  // The compressed data must be able to hold the rows it claims.
  if (read.remaining >= 0) {
    uint64_t channels = png_get_channels(png, info);
    uint64_t rowBits = static_cast<uint64_t>(width) * channels * static_cast<uint64_t>(bitDepth);
    uint64_t raw = static_cast<uint64_t>(height) * ((rowBits + 7) / 8 + 1);
    if (raw > static_cast<uint64_t>(read.remaining) * kDeflateMaxRatio + 4096) return -1;
  }

  png_set_strip_16(png);
  png_set_packing(png);
  png_set_expand(png);
  png_set_bgr(png);
  // Grey becomes (g, g, g); a missing alpha channel becomes the filler 0xFF.
  if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) return -1;

  read.image->Allocate(static_cast<int>(width), static_cast<int>(height), read.powerOfTwo, read.headerKind);
  if (!read.image->pixels) return -1;
  read.image->alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0;
  for (png_uint_32 y = 0; y < height; ++y) rowPointers[y] = Row(*read.image, static_cast<int>(y));
  png_read_image(png, rowPointers.data());
  png_read_end(png, nullptr);
  return 0;
}

// Everything libpng may long-jump out of; no object with a destructor lives
// in this frame.
bool EncodePng(png_structp png, png_infop info, const Image& image, FILE* file, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

int ReadPNG(std::istream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight) {
  if (!stream) return -1;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  if (!png) return -1;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return -1;
  }
  PngRead read;
  read.stream = stream;
  read.image = &image;
  read.powerOfTwo = powerOfTwo;
  read.headerKind = headerKind;
  read.remaining = RemainingBytes(*stream);
  // Sized before decoding starts so that nothing is allocated inside the
  // frame libpng may jump out of.
  std::vector<png_bytep> rowPointers;
  int result = -1;
  try {
    rowPointers.resize(kMaxImageSide);
    result = DecodePng(png, info, read, rowPointers);
  } catch (const std::bad_alloc&) {
    result = -1;
  }
  png_destroy_read_struct(&png, &info, nullptr);
  if (result == 0) ReportSize(read.fileWidth, read.fileHeight, outWidth, outHeight);
  return result;
}

bool WritePNG(const Image& image, FILE* file) {
  if (!file || !image.pixels || image.width <= 0 || image.height <= 0) return false;
  std::vector<png_bytep> rows(static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y)
    rows[static_cast<size_t>(y)] =
        const_cast<png_bytep>(image.pixels + static_cast<size_t>(y) * static_cast<size_t>(image.width) * 4);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  bool ok = EncodePng(png, info, image, file, rows);
  png_destroy_write_struct(&png, &info);
  return ok;
}

}  // namespace tarn::gfx
