// The image readers, one per file format, all of one form so that a loader
// picks them from a table by the file's extension.
#pragma once

#include <istream>
#include <string_view>

#include "graphics/image/image.h"

namespace tarn::gfx {

// Every reader: 0 on success, -1 on any failure (the image may be left
// allocated; the caller frees it). outWidth and outHeight receive the size
// stored in the file, before any padding. None of them trusts a size read
// from the file: pixel data is read in bounded chunks before the image is
// allocated, and compressed data is checked against the bytes the stream
// still holds.
using ImageReadFunction = int (*)(std::istream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth,
                                  int* outHeight);

int ReadPNG(std::istream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight);
int ReadJPEG(std::istream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight);
int ReadTGA(std::istream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight);
int ReadBMP(std::istream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight);

// One format the readers know: the extension its files carry and its reader.
struct ImageReader {
  const char* extension;  // lower case, without the dot
  ImageReadFunction read;
};

// The reader of the files with this extension (in any case, without the dot):
// png, jpg, tga or bmp; null for any other. DDS files are textures and go
// through DecodeDds instead.
const ImageReader* FindImageReader(std::string_view extension);

}  // namespace tarn::gfx
