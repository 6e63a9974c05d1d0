#include "graphics/image/png_file.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "graphics/image/image.h"

namespace tarn::gfx {

namespace {
struct FileCloser {
  void operator()(FILE* f) const {
    if (f) fclose(f);
  }
};
using File = std::unique_ptr<FILE, FileCloser>;
}  // namespace

bool WritePngFile(const std::string& path, const PixelImage& image) {
  if (image.width <= 0 || image.height <= 0) return false;
  png_image out;
  std::memset(&out, 0, sizeof out);
  out.version = PNG_IMAGE_VERSION;
  out.width = static_cast<png_uint_32>(image.width);
  out.height = static_cast<png_uint_32>(image.height);
  out.format = PNG_FORMAT_BGRA;
  File file(fopen(path.c_str(), "wb"));
  if (!file) return false;
  bool ok = png_image_write_to_stdio(&out, file.get(), 0, image.bgra.data(), image.width * 4, nullptr) != 0;
  png_image_free(&out);
  return ok;
}

bool ReadPngFile(const std::string& path, PixelImage& image) {
  png_image in;
  std::memset(&in, 0, sizeof in);
  in.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&in, path.c_str())) return false;
  if (in.width == 0 || in.height == 0 || in.width > static_cast<png_uint_32>(kMaxImageSide) ||
      in.height > static_cast<png_uint_32>(kMaxImageSide)) {
    png_image_free(&in);
    return false;
  }
  in.format = PNG_FORMAT_BGRA;
  image.width = static_cast<int>(in.width);
  image.height = static_cast<int>(in.height);
  image.bgra.assign(PNG_IMAGE_SIZE(in), 0);
  bool ok = png_image_finish_read(&in, nullptr, image.bgra.data(), image.width * 4, nullptr) != 0;
  png_image_free(&in);
  return ok;
}

}  // namespace tarn::gfx
