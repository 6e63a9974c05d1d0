// Image writers: PNG through libpng; TGA and BMP straight from the image's
// block, whose header already describes the pixels.
#include <png.h>

#include <csetjmp>
#include <vector>

#include "graphics/image.h"

namespace tarn::gfx {

namespace {

void PngWriteError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWriteWarning(png_structp, png_const_charp) {}

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

bool WritePNG(const Image& image, FILE* file) {
  if (!file || !image.pixels || image.width <= 0 || image.height <= 0) return false;
  std::vector<png_bytep> rows(static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y)
    rows[static_cast<size_t>(y)] =
        const_cast<png_bytep>(image.pixels + static_cast<size_t>(y) * static_cast<size_t>(image.width) * 4);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngWriteError, PngWriteWarning);
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

bool WriteTGA(const Image& image, FILE* file) {
  if (!file || image.headerKind != kImageHeaderTga || !image.pixels) return false;
  image.WriteRaw(file, true, 4);
  return ferror(file) == 0;
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
