// Images: the Image record, the four readers on files the tests make
// themselves, the writers, the general loader and the two script functions.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "diag/error.h"
#include "graphics/bitmap_handles.h"
#include "graphics/image/image.h"
#include "graphics/image/reader.h"
#include "graphics/image/writer.h"
#include "graphics/image_files.h"
#include "graphics/texture.h"
#include "resources/filesystem.h"
#include "script/api.h"
#include "script/guard.h"
#include "test_support.h"

namespace tarn::gfx {
namespace {

// ---------------------------------------------------------------------------
// Byte builders

void Put8(std::string& s, uint32_t v) { s += static_cast<char>(v & 0xFF); }
void Put16(std::string& s, uint32_t v) {
  Put8(s, v);
  Put8(s, v >> 8);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v);
  Put16(s, v >> 16);
}
std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) Put8(s, static_cast<uint32_t>(v));
  return s;
}

struct TgaSpec {
  int idLength = 0, mapType = 0, imageType = 2, mapFirst = 0, mapLength = 0, mapEntry = 0;
  int width = 1, height = 1, depth = 32, descriptor = 0;
};

std::string TgaHeaderBytes(const TgaSpec& t) {
  std::string s;
  Put8(s, t.idLength);
  Put8(s, t.mapType);
  Put8(s, t.imageType);
  Put16(s, t.mapFirst);
  Put16(s, t.mapLength);
  Put8(s, t.mapEntry);
  Put16(s, 0);
  Put16(s, 0);
  Put16(s, t.width);
  Put16(s, t.height);
  Put8(s, t.depth);
  Put8(s, t.descriptor);
  return s;
}

struct BmpSpec {
  int32_t width = 1, height = 1;
  int bits = 24;
  uint32_t compression = 0;
  uint32_t headerSize = 40;
  std::string palette;  // 4 bytes an entry
  int32_t dataOffsetAdjust = 0;
};

// rows: the pixel rows exactly as stored (bottom row first, padded).
std::string BmpBytes(const BmpSpec& b, const std::string& rows) {
  std::string s = "BM";
  uint32_t offset = 14 + b.headerSize + static_cast<uint32_t>(b.palette.size()) + b.dataOffsetAdjust;
  Put32(s, offset + static_cast<uint32_t>(rows.size()));
  Put16(s, 0);
  Put16(s, 0);
  Put32(s, offset);
  Put32(s, b.headerSize);
  Put32(s, static_cast<uint32_t>(b.width));
  Put32(s, static_cast<uint32_t>(b.height));
  Put16(s, 1);
  Put16(s, static_cast<uint32_t>(b.bits));
  Put32(s, b.compression);
  Put32(s, static_cast<uint32_t>(rows.size()));
  Put32(s, 2835);
  Put32(s, 2835);
  Put32(s, 0);
  Put32(s, 0);
  s += std::string(b.headerSize - 40, '\x7f');  // the rest of a larger information header
  s += b.palette;
  return s + rows;
}

// PNG files through libpng into memory.
struct PngSpec {
  int width = 1, height = 1, colourType = PNG_COLOR_TYPE_RGB_ALPHA, bitDepth = 8;
  bool interlace = false;
  std::vector<png_color> palette;
  std::vector<png_byte> trns;
};

void AppendPng(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}
void FlushPng(png_structp) {}

// rows: each file row as libpng expects it (packed, big-endian 16-bit).
std::string MakePng(const PngSpec& spec, const std::vector<std::string>& rows) {
  std::string out;
  std::vector<png_bytep> pointers;
  for (const std::string& row : rows) pointers.push_back(reinterpret_cast<png_bytep>(const_cast<char*>(row.data())));
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return std::string();
  }
  png_set_write_fn(png, &out, AppendPng, FlushPng);
  png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colourType,
               spec.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!spec.palette.empty())
    png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
  if (!spec.trns.empty())
    png_set_tRNS(png, info, spec.trns.data(), static_cast<int>(spec.trns.size()), nullptr);
  png_write_info(png, info);
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

uint32_t Crc32(const std::string& data, size_t from, size_t length) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = from; i < from + length; ++i) {
    crc ^= static_cast<uint8_t>(data[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// A big-endian 32-bit field written over four bytes of 's'.
void PutBig32(std::string& s, size_t at, uint32_t v) {
  s[at] = static_cast<char>(v >> 24);
  s[at + 1] = static_cast<char>(v >> 16);
  s[at + 2] = static_cast<char>(v >> 8);
  s[at + 3] = static_cast<char>(v);
}

// Rewrites the size in a PNG's IHDR and fixes the chunk's CRC.
std::string WithPngSize(std::string png, uint32_t width, uint32_t height) {
  PutBig32(png, 16, width);
  PutBig32(png, 20, height);
  PutBig32(png, 29, Crc32(png, 12, 17));
  return png;
}

// The signature and IHDR of a 1 x 1 PNG followed by one chunk whose header
// claims 'length' bytes while only 'body' follows.
std::string PngWithClaimedChunk(const std::string& type, uint32_t length, const std::string& body) {
  std::string png = MakePng(PngSpec{}, {std::string(4, '\0')}).substr(0, 33);
  std::string chunk = std::string(4, '\0') + type + body;
  PutBig32(chunk, 0, length);
  return png + chunk;
}

// JPEG files through libjpeg; sample(x, y, c) gives each component.
std::string MakeJpeg(int width, int height, int components, J_COLOR_SPACE space,
                     const std::function<int(int, int, int)>& sample, int quality = 95) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr error;
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  FILE* file = tmpfile();
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(width) * components);
  while (cinfo.next_scanline < cinfo.image_height) {
    int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < components; ++c) row[static_cast<size_t>(x) * components + c] = static_cast<JSAMPLE>(sample(x, y, c));
    JSAMPROW pointer = row.data();
    jpeg_write_scanlines(&cinfo, &pointer, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string out;
  long size = ftell(file);
  rewind(file);
  out.resize(static_cast<size_t>(size));
  size_t got = fread(&out[0], 1, out.size(), file);
  fclose(file);
  out.resize(got);
  return out;
}

using ReaderFn = int (*)(InputStream*, Image&, bool, int, int*, int*);

int Decode(ReaderFn reader, const std::string& bytes, Image& image, bool pot = false, int kind = 0, int* w = nullptr,
           int* h = nullptr) {
  std::istringstream in(bytes, std::ios::binary);
  return reader(&in, image, pot, kind, w, h);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// 0xAARRGGBB
uint32_t Argb(int a, int r, int g, int b) {
  return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 |
         static_cast<uint32_t>(b);
}

std::string FileBytes(FILE* file) {
  fflush(file);
  long size = ftell(file);
  rewind(file);
  std::string out(static_cast<size_t>(size), '\0');
  size_t got = fread(&out[0], 1, out.size(), file);
  out.resize(got);
  return out;
}

// ---------------------------------------------------------------------------
// The Image record

TEST(Image, AllocatePadsToPowersOfTwoAndReusesTheSameSize) {
  Image image;
  image.alpha = true;
  EXPECT_TRUE(image.Allocate(3, 5, true, 0));
  EXPECT_EQ(4, image.width);
  EXPECT_EQ(8, image.height);
  EXPECT_TRUE(image.alpha) << "Allocate leaves alpha alone";
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(0u, image.PixelAt(x, y));
  image.pixels[0] = 77;
  EXPECT_FALSE(image.Allocate(4, 8, false, 0)) << "same size: nothing new";
  EXPECT_EQ(77, image.pixels[0]) << "contents kept";
  EXPECT_TRUE(image.Allocate(4, 8, false, 1)) << "another header is another block";
  EXPECT_EQ(18, image.HeaderSize());
  EXPECT_TRUE(image.Allocate(2, 2, true, 2));
  EXPECT_EQ(2, image.width);
  EXPECT_EQ(54, image.HeaderSize());
  EXPECT_EQ(54u + 16, image.BlockSize());
  EXPECT_EQ(image.Block() + 54, image.pixels);
  EXPECT_FALSE(image.Allocate(0, 4, false, 0));
  EXPECT_TRUE(image.Empty());
  EXPECT_FALSE(image.Allocate(kMaxImageSide + 1, 1, false, 0));
  EXPECT_TRUE(image.Empty());
  image.Free();
  EXPECT_EQ(0, image.width);
  EXPECT_EQ(0, image.height);
  EXPECT_EQ(nullptr, image.pixels);
  EXPECT_EQ(0, image.headerKind);
  EXPECT_FALSE(image.alpha);
}

TEST(Image, TgaHeaderBytesAreExact) {
  Image image;
  ASSERT_TRUE(image.Allocate(300, 2, false, kImageHeaderTga));
  std::string header(reinterpret_cast<const char*>(image.Block()), 18);
  EXPECT_EQ(Bytes({0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x2C, 0x01, 2, 0, 32, 0x20}), header);
}

TEST(Image, BmpHeaderBytesAreExact) {
  Image image;
  ASSERT_TRUE(image.Allocate(3, 258, false, kImageHeaderBmp));
  std::string header(reinterpret_cast<const char*>(image.Block()), 54);
  std::string expected = "BM";
  uint32_t imageBytes = 3 * 258 * 4;
  Put32(expected, imageBytes + 54);
  Put32(expected, 0);
  Put32(expected, 54);
  Put32(expected, 40);
  Put32(expected, 3);
  Put32(expected, 258);
  Put16(expected, 1);
  Put16(expected, 32);
  Put32(expected, 0);
  Put32(expected, imageBytes);
  expected += std::string(16, '\0');
  EXPECT_EQ(expected, header);
}

TEST(Image, PixelWordsChannelsAndFlip) {
  Image image;
  ASSERT_TRUE(image.Allocate(2, 3, false, 0));
  for (int i = 0; i < 24; ++i) image.pixels[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(0x03020100u, image.PixelAt(0, 0));
  EXPECT_EQ(0x17161514u, image.PixelAt(1, 2));
  EXPECT_TRUE(image.SwapChannels(0, 2));
  EXPECT_EQ(0x03000102u, image.PixelAt(0, 0));
  EXPECT_FALSE(image.SwapChannels(0, 4));
  image.FlipVertical();
  EXPECT_EQ(0x13101112u, image.PixelAt(0, 0));
  EXPECT_EQ(0x03000102u, image.PixelAt(0, 2));
  EXPECT_EQ(0x0B08090Au, image.PixelAt(0, 1));

  Image small;
  ASSERT_TRUE(small.Allocate(1, 2, false, 0));
  small.pixels[1] = 200;  // (0,0) green
  small.pixels[5] = 100;  // (0,1) green
  EXPECT_TRUE(image.CopyChannel(small, 1, 3));
  EXPECT_EQ(200, image.PixelAt(0, 0) >> 24);
  EXPECT_EQ(100, image.PixelAt(0, 1) >> 24);
  EXPECT_EQ(0x17u, image.PixelAt(1, 0) >> 24) << "columns the source lacks stay";
  EXPECT_EQ(0x03u, image.PixelAt(0, 2) >> 24) << "rows the source lacks stay";
  EXPECT_FALSE(image.CopyChannel(small, 4, 0));
  EXPECT_FALSE(image.CopyChannel(small, 0, -1));
  image.Clear();
  EXPECT_EQ(0u, image.PixelAt(1, 2));
}

TEST(Image, WriteRawWritesHeaderAndChosenBytes) {
  Image image;
  ASSERT_TRUE(image.Allocate(2, 1, false, kImageHeaderTga));
  for (int i = 0; i < 8; ++i) image.pixels[i] = static_cast<uint8_t>(i + 1);
  FILE* file = tmpfile();
  image.WriteRaw(file, true, 3);
  std::string bytes = FileBytes(file);
  fclose(file);
  ASSERT_EQ(18u + 6, bytes.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.Block()), 18), bytes.substr(0, 18));
  EXPECT_EQ(Bytes({1, 2, 3, 5, 6, 7}), bytes.substr(18));
  file = tmpfile();
  image.WriteRaw(file, false, 4);
  EXPECT_EQ(Bytes({1, 2, 3, 4, 5, 6, 7, 8}), FileBytes(file));
  fclose(file);
}

TEST(Image, CopyRectClipsBothSides) {
  std::vector<uint32_t> source(4 * 3), dest(3 * 3, 0);
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint32_t>(i + 1);
  auto* s = reinterpret_cast<uint8_t*>(source.data());
  auto* d = reinterpret_cast<uint8_t*>(dest.data());
  ImageRect from{1, 1, 3, 3};
  EXPECT_TRUE(CopyRect(s, 4, 3, 4, d, 3, 3, 3, &from, nullptr));
  EXPECT_EQ((std::vector<uint32_t>{6, 7, 0, 10, 11, 0, 0, 0, 0}), dest);

  std::fill(dest.begin(), dest.end(), 0);
  ImageRect to{2, 1, 100, 100};
  EXPECT_TRUE(CopyRect(s, 4, 3, 4, d, 3, 3, 3, nullptr, &to));
  EXPECT_EQ((std::vector<uint32_t>{0, 0, 0, 0, 0, 1, 0, 0, 5}), dest);

  ImageRect outside{4, 0, 10, 10};
  EXPECT_FALSE(CopyRect(s, 4, 3, 4, d, 3, 3, 3, &outside, nullptr)) << "left not below the width";
  ImageRect below{0, 3, 10, 10};
  EXPECT_FALSE(CopyRect(s, 4, 3, 4, d, 3, 3, 3, &below, nullptr));
  ImageRect clippedAway{2, 0, 2, 3};
  EXPECT_FALSE(CopyRect(s, 4, 3, 4, d, 3, 3, 3, &clippedAway, nullptr)) << "left at the clipped width";
  ImageRect negative{-5, 0, -1, 3};
  std::fill(dest.begin(), dest.end(), 9);
  EXPECT_TRUE(CopyRect(s, 4, 3, 4, d, 3, 3, 3, &negative, nullptr)) << "nothing to copy, nothing written";
  EXPECT_EQ(std::vector<uint32_t>(9, 9), dest);
}

TEST(Image, ResampleIsAnAreaFilter) {
  // Same size: unchanged.
  std::vector<uint8_t> a(3 * 2 * 4);
  for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<uint8_t>(i * 10);
  std::vector<uint8_t> b(a.size());
  Resample(a.data(), 3, 2, 3, b.data(), 3, 2, 3);
  EXPECT_EQ(a, b);

  // Halving: each destination pixel is the mean of a 2x2 block.
  std::vector<uint8_t> four(4 * 4 * 4, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) four[(y * 4 + x) * 4] = static_cast<uint8_t>((x + y * 4) * 10);
  std::vector<uint8_t> two(2 * 2 * 4);
  Resample(four.data(), 4, 4, 4, two.data(), 2, 2, 2);
  EXPECT_EQ(25, two[0]);    // (0 + 10 + 40 + 50) / 4
  EXPECT_EQ(45, two[4]);    // (20 + 30 + 60 + 70) / 4
  EXPECT_EQ(105, two[8]);   // (80 + 90 + 120 + 130) / 4
  EXPECT_EQ(125, two[12]);  // (100 + 110 + 140 + 150) / 4

  // Three to two: partial cells weigh by their covered share.
  std::vector<uint8_t> row = {0, 0, 0, 0, 90, 0, 0, 0, 180, 0, 0, 255};
  std::vector<uint8_t> out(2 * 4);
  Resample(row.data(), 3, 1, 3, out.data(), 2, 1, 2);
  EXPECT_EQ(30, out[0]);   // (0 * 1 + 90 * 0.5) / 1.5
  EXPECT_EQ(150, out[4]);  // (90 * 0.5 + 180 * 1) / 1.5
  EXPECT_EQ(0, out[3]);
  EXPECT_EQ(170, out[7]);  // 255 / 1.5 rounded

  // Rounded to nearest: (10 + 21) / 2 = 15.5 gives 16, (10 + 20) / 2 stays 15.
  std::vector<uint8_t> pair = {10, 10, 0, 0, 21, 20, 0, 0};
  std::vector<uint8_t> one(4);
  Resample(pair.data(), 2, 1, 2, one.data(), 1, 1, 1);
  EXPECT_EQ(16, one[0]);
  EXPECT_EQ(15, one[1]);

  // Enlarging repeats the covering pixel; the last source row is used.
  std::vector<uint8_t> tall = {10, 20, 30, 40, 50, 60, 70, 80};
  std::vector<uint8_t> big(3 * 4 * 4);
  Resample(tall.data(), 1, 2, 1, big.data(), 3, 4, 3);
  EXPECT_EQ(10, big[0]);
  EXPECT_EQ(10, big[(1 * 3 + 2) * 4]);
  EXPECT_EQ(50, big[(3 * 3 + 1) * 4]);
  EXPECT_EQ(80, big[(3 * 3 + 2) * 4 + 3]);
}

TEST(Image, CopyFromCopiesOrResamplesAndTakesAlpha) {
  Image source, same, smaller;
  ASSERT_TRUE(source.Allocate(2, 2, false, 0));
  for (int i = 0; i < 16; ++i) source.pixels[i] = static_cast<uint8_t>(i * 8);
  source.alpha = true;
  ASSERT_TRUE(same.Allocate(2, 2, false, 1));
  same.CopyFrom(source);
  EXPECT_EQ(0, std::memcmp(same.pixels, source.pixels, 16));
  EXPECT_TRUE(same.alpha);
  ASSERT_TRUE(smaller.Allocate(1, 1, false, 0));
  smaller.CopyFrom(source);
  EXPECT_EQ(48, smaller.pixels[0]);  // (0 + 32 + 64 + 96) / 4
  EXPECT_EQ(72, smaller.pixels[3]);  // (24 + 56 + 88 + 120) / 4
}

// ---------------------------------------------------------------------------
// TGA

TEST(ReadTga, UncompressedBottomUpOddWidth) {
  TgaSpec t;
  t.width = 3;
  t.height = 2;
  t.depth = 24;
  t.idLength = 4;
  // File rows bottom first; an ID field of 4 bytes to skip.
  std::string data = TgaHeaderBytes(t) + "ABCD" + Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9}) +
                     Bytes({11, 12, 13, 14, 15, 16, 17, 18, 19});
  Image image;
  int w = 0, h = 0;
  ASSERT_EQ(0, Decode(ReadTGA, data, image, false, 0, &w, &h));
  EXPECT_EQ(3, w);
  EXPECT_EQ(2, h);
  EXPECT_FALSE(image.alpha);
  EXPECT_EQ(Argb(255, 13, 12, 11), image.PixelAt(0, 0));
  EXPECT_EQ(Argb(255, 19, 18, 17), image.PixelAt(2, 0));
  EXPECT_EQ(Argb(255, 3, 2, 1), image.PixelAt(0, 1));
  EXPECT_EQ(Argb(255, 9, 8, 7), image.PixelAt(2, 1));
}

TEST(ReadTga, DescriptorDecidesRowOrder) {
  TgaSpec t;
  t.width = 1;
  t.height = 2;
  t.depth = 32;
  std::string pixels = Bytes({1, 2, 3, 4, 5, 6, 7, 8});
  t.descriptor = 0x28;  // top-left origin, 8 alpha bits
  Image top;
  ASSERT_EQ(0, Decode(ReadTGA, TgaHeaderBytes(t) + pixels, top));
  EXPECT_TRUE(top.alpha);
  EXPECT_EQ(0x04030201u, top.PixelAt(0, 0));
  EXPECT_EQ(0x08070605u, top.PixelAt(0, 1));
  t.descriptor = 8;  // bottom-left origin
  Image bottom;
  ASSERT_EQ(0, Decode(ReadTGA, TgaHeaderBytes(t) + pixels, bottom));
  EXPECT_EQ(0x08070605u, bottom.PixelAt(0, 0));
  EXPECT_EQ(0x04030201u, bottom.PixelAt(0, 1));
}

TEST(ReadTga, RunLengthPacketsAcrossRows) {
  TgaSpec t;
  t.imageType = 10;
  t.width = 3;
  t.height = 2;
  t.depth = 32;
  t.descriptor = 8;  // bottom-up
  // A run of 4 (crosses the row end), then 3 literal pixels of which the last
  // lies past the image and is ignored.
  std::string packets = Bytes({0x83, 1, 2, 3, 4, 0x02, 10, 11, 12, 13, 20, 21, 22, 23, 30, 31, 32, 33});
  Image image;
  ASSERT_EQ(0, Decode(ReadTGA, TgaHeaderBytes(t) + packets, image));
  EXPECT_TRUE(image.alpha);
  // File row 0 (bottom) = run x3; file row 1 (top) = run, lit 10, lit 20.
  EXPECT_EQ(0x04030201u, image.PixelAt(0, 0));
  EXPECT_EQ(0x0D0C0B0Au, image.PixelAt(1, 0));
  EXPECT_EQ(0x17161514u, image.PixelAt(2, 0));
  for (int x = 0; x < 3; ++x) EXPECT_EQ(0x04030201u, image.PixelAt(x, 1));
}

TEST(ReadTga, RunLength24BitTopDownWithColourMapSkipped) {
  TgaSpec t;
  t.imageType = 10;
  t.mapType = 1;
  t.mapLength = 2;
  t.mapEntry = 24;
  t.width = 2;
  t.height = 2;
  t.depth = 24;
  t.descriptor = 0x20;
  std::string map = Bytes({99, 99, 99, 98, 98, 98});
  std::string packets = Bytes({0x01, 1, 2, 3, 4, 5, 6, 0x81, 7, 8, 9});
  Image image;
  ASSERT_EQ(0, Decode(ReadTGA, TgaHeaderBytes(t) + map + packets, image));
  EXPECT_FALSE(image.alpha);
  EXPECT_EQ(Argb(255, 3, 2, 1), image.PixelAt(0, 0));
  EXPECT_EQ(Argb(255, 6, 5, 4), image.PixelAt(1, 0));
  EXPECT_EQ(Argb(255, 9, 8, 7), image.PixelAt(0, 1));
  EXPECT_EQ(Argb(255, 9, 8, 7), image.PixelAt(1, 1));
}

TEST(ReadTga, ColourMappedEntries) {
  TgaSpec t;
  t.imageType = 1;
  t.mapType = 1;
  t.mapLength = 2;
  t.mapEntry = 24;
  t.width = 2;
  t.height = 1;
  t.depth = 8;
  std::string map24 = Bytes({10, 20, 30, 40, 50, 60});
  Image image;
  ASSERT_EQ(0, Decode(ReadTGA, TgaHeaderBytes(t) + map24 + Bytes({1, 0}), image));
  EXPECT_FALSE(image.alpha);
  EXPECT_EQ(Argb(255, 60, 50, 40), image.PixelAt(0, 0));
  EXPECT_EQ(Argb(255, 30, 20, 10), image.PixelAt(1, 0));

  t.mapEntry = 32;
  t.mapFirst = 5;  // indexes count from the map's first entry
  std::string map32 = Bytes({10, 20, 30, 40, 50, 60, 70, 80});
  Image withAlpha;
  ASSERT_EQ(0, Decode(ReadTGA, TgaHeaderBytes(t) + map32 + Bytes({6, 5}), withAlpha));
  EXPECT_TRUE(withAlpha.alpha);
  EXPECT_EQ(Argb(80, 70, 60, 50), withAlpha.PixelAt(0, 0));
  EXPECT_EQ(Argb(40, 30, 20, 10), withAlpha.PixelAt(1, 0));

  Image outside;
  EXPECT_EQ(-1, Decode(ReadTGA, TgaHeaderBytes(t) + map32 + Bytes({7, 5}), outside)) << "index past the map";
  Image below;
  EXPECT_EQ(-1, Decode(ReadTGA, TgaHeaderBytes(t) + map32 + Bytes({4, 5}), below)) << "index before the map";
}

TEST(ReadTga, PaddingAndHeaderKind) {
  TgaSpec t;
  t.width = 3;
  t.height = 3;
  t.depth = 32;
  t.descriptor = 0x28;
  std::string pixels(3 * 3 * 4, '\x11');
  Image image;
  int w = 0, h = 0;
  ASSERT_EQ(0, Decode(ReadTGA, TgaHeaderBytes(t) + pixels, image, true, kImageHeaderTga, &w, &h));
  EXPECT_EQ(3, w);
  EXPECT_EQ(3, h);
  EXPECT_EQ(4, image.width);
  EXPECT_EQ(4, image.height);
  EXPECT_EQ(0x11111111u, image.PixelAt(2, 2));
  EXPECT_EQ(0u, image.PixelAt(3, 0));
  EXPECT_EQ(0u, image.PixelAt(0, 3));
  EXPECT_EQ(4, image.Block()[12]);
}

TEST(ReadTga, RefusesMalformedFiles) {
  TgaSpec good;
  good.width = 2;
  good.height = 2;
  good.depth = 32;
  std::string header = TgaHeaderBytes(good);
  std::string full = header + std::string(16, '\x01');
  Image ok;
  ASSERT_EQ(0, Decode(ReadTGA, full, ok));

  for (size_t cut : {size_t(0), size_t(5), size_t(17), size_t(18), full.size() - 1}) {
    Image image;
    EXPECT_EQ(-1, Decode(ReadTGA, full.substr(0, cut), image)) << "cut at " << cut;
  }
  auto refused = [](TgaSpec t, const std::string& rest, const char* why) {
    Image image;
    EXPECT_EQ(-1, Decode(ReadTGA, TgaHeaderBytes(t) + rest, image)) << why;
    EXPECT_TRUE(image.Empty()) << why << ": nothing allocated";
  };
  TgaSpec t = good;
  t.depth = 16;
  refused(t, std::string(8, '\0'), "16-bit pixels");
  t = good;
  t.width = 4097;
  refused(t, std::string(16, '\0'), "too wide");
  t = good;
  t.height = 0;
  refused(t, "", "no rows");
  t = good;
  t.imageType = 3;
  refused(t, std::string(16, '\0'), "grey type with 32-bit depth");
  t = good;
  t.imageType = 9;
  t.mapType = 1;
  t.mapLength = 1;
  t.mapEntry = 24;
  t.depth = 8;
  refused(t, std::string(10, '\0'), "run-length colour-mapped");
  t = good;
  t.depth = 8;
  t.imageType = 1;
  t.mapType = 1;
  t.mapLength = 1;
  t.mapEntry = 16;
  refused(t, std::string(10, '\0'), "16-bit map entries");
  t = good;
  t.idLength = 200;
  refused(t, "short", "ID field past the end");
  t = good;
  t.width = 4096;
  t.height = 4096;
  refused(t, std::string(64, '\0'), "size the file cannot hold");
  t.imageType = 10;
  refused(t, std::string(64, '\0'), "run-length size the file cannot hold");
  t = good;
  t.imageType = 10;
  Image cutShort;
  EXPECT_EQ(-1, Decode(ReadTGA, TgaHeaderBytes(t) + Bytes({0x03, 1, 2, 3, 4}), cutShort)) << "literal packet cut short";
  Image runShort;
  EXPECT_EQ(-1, Decode(ReadTGA, TgaHeaderBytes(t) + Bytes({0x81, 1, 2, 3, 4, 0x80}), runShort)) << "run packet cut short";
}

// ---------------------------------------------------------------------------
// BMP

TEST(ReadBmp, TwentyFourBitOddWidthRowsArePadded) {
  BmpSpec b;
  b.width = 3;
  b.height = 2;
  b.bits = 24;
  // Bottom row first; 9 bytes of pixels padded to 12.
  std::string rows = Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0});
  Image image;
  int w = 0, h = 0;
  ASSERT_EQ(0, Decode(ReadBMP, BmpBytes(b, rows), image, false, 0, &w, &h));
  EXPECT_EQ(3, w);
  EXPECT_EQ(2, h);
  EXPECT_FALSE(image.alpha);
  EXPECT_EQ(Argb(255, 13, 12, 11), image.PixelAt(0, 0));
  EXPECT_EQ(Argb(255, 19, 18, 17), image.PixelAt(2, 0));
  EXPECT_EQ(Argb(255, 3, 2, 1), image.PixelAt(0, 1));
  EXPECT_EQ(Argb(255, 9, 8, 7), image.PixelAt(2, 1));
}

TEST(ReadBmp, ThirtyTwoBitKeepsBytesButNotAlpha) {
  BmpSpec b;
  b.width = 1;
  b.height = 2;
  b.bits = 32;
  Image image;
  ASSERT_EQ(0, Decode(ReadBMP, BmpBytes(b, Bytes({1, 2, 3, 4, 5, 6, 7, 8})), image));
  EXPECT_FALSE(image.alpha);
  EXPECT_EQ(0x08070605u, image.PixelAt(0, 0));
  EXPECT_EQ(0x04030201u, image.PixelAt(0, 1));
}

TEST(ReadBmp, EightBitPalette) {
  BmpSpec b;
  b.width = 5;
  b.height = 1;
  b.bits = 8;
  b.palette = Bytes({10, 20, 30, 0, 40, 50, 60, 0, 70, 80, 90, 0});
  Image image;
  ASSERT_EQ(0, Decode(ReadBMP, BmpBytes(b, Bytes({2, 0, 1, 1, 2, 0, 0, 0})), image));
  EXPECT_EQ(Argb(255, 90, 80, 70), image.PixelAt(0, 0));
  EXPECT_EQ(Argb(255, 30, 20, 10), image.PixelAt(1, 0));
  EXPECT_EQ(Argb(255, 60, 50, 40), image.PixelAt(3, 0));
  EXPECT_EQ(Argb(255, 90, 80, 70), image.PixelAt(4, 0));

  Image bad;
  EXPECT_EQ(-1, Decode(ReadBMP, BmpBytes(b, Bytes({3, 0, 0, 0, 0, 0, 0, 0})), bad)) << "index past the palette";
}

TEST(ReadBmp, LargerInformationHeaderIsSkipped) {
  BmpSpec b;
  b.width = 2;
  b.height = 1;
  b.bits = 8;
  b.headerSize = 108;
  b.palette = Bytes({1, 2, 3, 0, 4, 5, 6, 0});
  Image image;
  ASSERT_EQ(0, Decode(ReadBMP, BmpBytes(b, Bytes({1, 0, 0, 0})), image));
  EXPECT_EQ(Argb(255, 6, 5, 4), image.PixelAt(0, 0));
  EXPECT_EQ(Argb(255, 3, 2, 1), image.PixelAt(1, 0));
}

TEST(ReadBmp, PaddingAndHeaderKind) {
  BmpSpec b;
  b.width = 3;
  b.height = 1;
  b.bits = 32;
  Image image;
  ASSERT_EQ(0, Decode(ReadBMP, BmpBytes(b, std::string(12, '\x22')), image, true, kImageHeaderBmp));
  EXPECT_EQ(4, image.width);
  EXPECT_EQ(1, image.height);
  EXPECT_EQ(0x22222222u, image.PixelAt(2, 0));
  EXPECT_EQ(0u, image.PixelAt(3, 0));
  EXPECT_EQ('B', image.Block()[0]);
  EXPECT_EQ(4, image.Block()[18]);
}

TEST(ReadBmp, RefusesMalformedFiles) {
  BmpSpec good;
  good.width = 2;
  good.height = 2;
  good.bits = 24;
  std::string rows(16, '\x05');
  std::string full = BmpBytes(good, rows);
  Image ok;
  ASSERT_EQ(0, Decode(ReadBMP, full, ok));
  for (size_t cut : {size_t(0), size_t(2), size_t(30), size_t(53), size_t(54), full.size() - 1}) {
    Image image;
    EXPECT_EQ(-1, Decode(ReadBMP, full.substr(0, cut), image)) << "cut at " << cut;
  }
  auto refused = [&](BmpSpec b, const std::string& data, const char* why) {
    Image image;
    EXPECT_EQ(-1, Decode(ReadBMP, BmpBytes(b, data), image)) << why;
    EXPECT_TRUE(image.Empty()) << why << ": nothing allocated";
  };
  BmpSpec b = good;
  b.height = -2;
  refused(b, rows, "top-down (negative height)");
  b = good;
  b.width = -2;
  refused(b, rows, "negative width");
  b = good;
  b.compression = 1;
  refused(b, rows, "run-length compression");
  b = good;
  b.bits = 16;
  refused(b, rows, "16-bit pixels");
  b = good;
  b.width = 4097;
  refused(b, rows, "too wide");
  b = good;
  b.width = 4096;
  b.height = 4096;
  refused(b, rows, "size the file cannot hold");
  b = good;
  b.dataOffsetAdjust = -20;
  refused(b, rows, "data offset inside the header");
  b = good;
  b.dataOffsetAdjust = 1 << 30;
  refused(b, rows, "data offset past the end");
  Image image;
  std::string core = BmpBytes(good, rows);
  core[14] = 12;  // a core header's size with the longer layout behind it
  EXPECT_EQ(-1, Decode(ReadBMP, core, image));
}

// ---------------------------------------------------------------------------
// PNG

TEST(ReadPng, ColourWithAlphaOddWidth) {
  PngSpec spec;
  spec.width = 3;
  spec.height = 2;
  std::vector<std::string> rows = {Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
                                   Bytes({13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24})};
  Image image;
  int w = 0, h = 0;
  ASSERT_EQ(0, Decode(ReadPNG, MakePng(spec, rows), image, false, 0, &w, &h));
  EXPECT_EQ(3, w);
  EXPECT_EQ(2, h);
  EXPECT_TRUE(image.alpha);
  EXPECT_EQ(Argb(4, 1, 2, 3), image.PixelAt(0, 0));
  EXPECT_EQ(Argb(12, 9, 10, 11), image.PixelAt(2, 0));
  EXPECT_EQ(Argb(24, 21, 22, 23), image.PixelAt(2, 1));
}

TEST(ReadPng, ColourWithoutAlphaGetsFiller) {
  PngSpec spec;
  spec.colourType = PNG_COLOR_TYPE_RGB;
  spec.width = 2;
  Image image;
  ASSERT_EQ(0, Decode(ReadPNG, MakePng(spec, {Bytes({1, 2, 3, 4, 5, 6})}), image));
  EXPECT_FALSE(image.alpha);
  EXPECT_EQ(Argb(255, 1, 2, 3), image.PixelAt(0, 0));
  EXPECT_EQ(Argb(255, 4, 5, 6), image.PixelAt(1, 0));
}

TEST(ReadPng, GreyWithAlpha) {
  PngSpec spec;
  spec.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
  spec.width = 3;
  Image image;
  ASSERT_EQ(0, Decode(ReadPNG, MakePng(spec, {Bytes({10, 200, 20, 0, 30, 255})}), image));
  EXPECT_TRUE(image.alpha);
  EXPECT_EQ(Argb(200, 10, 10, 10), image.PixelAt(0, 0));
  EXPECT_EQ(Argb(0, 20, 20, 20), image.PixelAt(1, 0));
  EXPECT_EQ(Argb(255, 30, 30, 30), image.PixelAt(2, 0));
}

TEST(ReadPng, GreyPackedAndSixteenBit) {
  PngSpec spec;
  spec.colourType = PNG_COLOR_TYPE_GRAY;
  spec.bitDepth = 1;
  spec.width = 9;
  Image packed;
  ASSERT_EQ(0, Decode(ReadPNG, MakePng(spec, {Bytes({0xA0, 0x80})}), packed));
  EXPECT_FALSE(packed.alpha);
  EXPECT_EQ(Argb(255, 255, 255, 255), packed.PixelAt(0, 0));
  EXPECT_EQ(Argb(255, 0, 0, 0), packed.PixelAt(1, 0));
  EXPECT_EQ(Argb(255, 255, 255, 255), packed.PixelAt(2, 0));
  EXPECT_EQ(Argb(255, 255, 255, 255), packed.PixelAt(8, 0));

  PngSpec deep;
  deep.colourType = PNG_COLOR_TYPE_RGB;
  deep.bitDepth = 16;
  Image stripped;
  ASSERT_EQ(0, Decode(ReadPNG, MakePng(deep, {Bytes({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC})}), stripped));
  EXPECT_EQ(Argb(255, 0x12, 0x56, 0x9A), stripped.PixelAt(0, 0));
}

TEST(ReadPng, PaletteWithTransparencyKeepsAlphaFlagOff) {
  PngSpec spec;
  spec.colourType = PNG_COLOR_TYPE_PALETTE;
  spec.width = 2;
  spec.palette = {{10, 20, 30}, {40, 50, 60}};
  spec.trns = {128};
  Image image;
  ASSERT_EQ(0, Decode(ReadPNG, MakePng(spec, {Bytes({0, 1})}), image));
  EXPECT_FALSE(image.alpha);
  EXPECT_EQ(Argb(128, 10, 20, 30), image.PixelAt(0, 0));
  EXPECT_EQ(Argb(255, 40, 50, 60), image.PixelAt(1, 0));
}

TEST(ReadPng, InterlacedWithPadding) {
  PngSpec spec;
  spec.width = 5;
  spec.height = 3;
  spec.interlace = true;
  std::vector<std::string> rows;
  for (int y = 0; y < 3; ++y) {
    std::string row;
    for (int x = 0; x < 5; ++x) row += Bytes({x, y, x + y, 200});
    rows.push_back(row);
  }
  Image image;
  ASSERT_EQ(0, Decode(ReadPNG, MakePng(spec, rows), image, true, kImageHeaderTga));
  EXPECT_EQ(8, image.width);
  EXPECT_EQ(4, image.height);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(Argb(200, x, y, x + y), image.PixelAt(x, y)) << x << "," << y;
  EXPECT_EQ(0u, image.PixelAt(7, 3));
}

TEST(ReadPng, RefusesBrokenAndOversizedFiles) {
  EXPECT_EQ(-1, ReadPNG(nullptr, *std::make_unique<Image>(), false, 0, nullptr, nullptr));
  PngSpec spec;
  spec.width = 16;
  spec.height = 16;
  std::vector<std::string> rows;
  for (int y = 0; y < 16; ++y) {
    std::string row;
    for (int x = 0; x < 16; ++x) row += Bytes({(x * 37 + y * 11) & 255, (x * y) & 255, y * 16, x * 16});
    rows.push_back(row);
  }
  std::string png = MakePng(spec, rows);
  for (size_t cut : {size_t(0), size_t(4), size_t(8), size_t(30), png.size() / 2, png.size() - 13}) {
    Image image;
    EXPECT_EQ(-1, Decode(ReadPNG, png.substr(0, cut), image)) << "cut at " << cut;
  }
  std::string garbled = png;
  garbled[1] = 'X';
  Image notPng;
  EXPECT_EQ(-1, Decode(ReadPNG, garbled, notPng));
  std::string corrupt = png;
  for (size_t i = 60; i < corrupt.size() - 20; i += 7) corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5A);
  Image damaged;
  EXPECT_EQ(-1, Decode(ReadPNG, corrupt, damaged));

  Image lying;
  EXPECT_EQ(-1, Decode(ReadPNG, WithPngSize(png, 16000, 16000), lying)) << "claims far more than it holds";
  EXPECT_TRUE(lying.Empty()) << "refused before allocating";
  Image huge;
  EXPECT_EQ(-1, Decode(ReadPNG, WithPngSize(png, 20000, 1), huge));
  EXPECT_TRUE(huge.Empty());
  Image zero;
  EXPECT_EQ(-1, Decode(ReadPNG, WithPngSize(png, 0, 16), zero));
}

// A few bytes of PNG whose chunk header claims a gigabyte: refused without
// taking the memory the header asks for, whatever the chunk.
TEST(ReadPng, ChunkLengthsPastTheEndCostNoMemory) {
  const std::string body = "Tarn Engine text";  // 57 bytes in all
  for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT", "iCCP", "eXIf", "pCAL", "sCAL", "gAMA", "tRNS", "abCd",
                           "IDAT", "PLTE"}) {
    std::string png = PngWithClaimedChunk(type, 0x3FFFFFF0u, body);
    ASSERT_EQ(57u, png.size());
    long growth = testing::PeakMemoryGrowthKiB([&] {
      Image image;
      Decode(ReadPNG, png, image);
    });
    ASSERT_GE(growth, 0) << type;
    EXPECT_LT(growth, 16 * 1024) << type << ": peak memory grew by " << growth << " KiB";
    Image image;
    EXPECT_EQ(-1, Decode(ReadPNG, png, image)) << type;
  }
}

// ---------------------------------------------------------------------------
// JPEG

int Colour(int x, int y, int c) { return c == 0 ? 200 : c == 1 ? (x < 8 ? 40 : 120) : (y < 8 ? 10 : 250); }

TEST(ReadJpeg, ColourAndGrey) {
  Image image;
  int w = 0, h = 0;
  ASSERT_EQ(0, Decode(ReadJPEG, MakeJpeg(16, 16, 3, JCS_RGB, Colour), image, false, 0, &w, &h));
  EXPECT_EQ(16, w);
  EXPECT_EQ(16, h);
  EXPECT_FALSE(image.alpha);
  auto near = [](uint32_t pixel, int r, int g, int b) {
    int pr = (pixel >> 16) & 255, pg = (pixel >> 8) & 255, pb = pixel & 255;
    return (pixel >> 24) == 255 && std::abs(pr - r) <= 8 && std::abs(pg - g) <= 8 && std::abs(pb - b) <= 8;
  };
  EXPECT_TRUE(near(image.PixelAt(2, 2), 200, 40, 10)) << std::hex << image.PixelAt(2, 2);
  EXPECT_TRUE(near(image.PixelAt(13, 2), 200, 120, 10)) << std::hex << image.PixelAt(13, 2);
  EXPECT_TRUE(near(image.PixelAt(2, 13), 200, 40, 250)) << std::hex << image.PixelAt(2, 13);

  Image grey;
  ASSERT_EQ(0, Decode(ReadJPEG, MakeJpeg(9, 7, 1, JCS_GRAYSCALE, [](int x, int, int) { return x < 4 ? 30 : 220; }),
                      grey, true, kImageHeaderBmp, &w, &h));
  EXPECT_EQ(9, w);
  EXPECT_EQ(7, h);
  EXPECT_EQ(16, grey.width);
  EXPECT_EQ(8, grey.height);
  uint32_t p = grey.PixelAt(1, 1);
  EXPECT_EQ(p & 255, (p >> 8) & 255);
  EXPECT_EQ(p & 255, (p >> 16) & 255);
  EXPECT_NEAR(30, static_cast<int>(p & 255), 8);
  EXPECT_EQ(255u, p >> 24);
  EXPECT_NEAR(220, static_cast<int>(grey.PixelAt(8, 6) & 255), 8);
}

TEST(ReadJpeg, SizeLimitIs4096) {
  auto flat = [](int, int, int) { return 90; };
  Image wide;
  ASSERT_EQ(0, Decode(ReadJPEG, MakeJpeg(4096, 8, 1, JCS_GRAYSCALE, flat, 50), wide));
  EXPECT_EQ(4096, wide.width);
  Image tooWide;
  EXPECT_EQ(-1, Decode(ReadJPEG, MakeJpeg(4097, 8, 1, JCS_GRAYSCALE, flat, 50), tooWide));
  EXPECT_TRUE(tooWide.Empty());
  Image tooTall;
  EXPECT_EQ(-1, Decode(ReadJPEG, MakeJpeg(8, 4097, 1, JCS_GRAYSCALE, flat, 50), tooTall));
  EXPECT_TRUE(tooTall.Empty());
}

TEST(ReadJpeg, TruncatedFileStillFinishes) {
  auto noise = [](int x, int y, int c) { return (x * 131 + y * 71 + c * 29 + (x * y) % 13 * 17) & 255; };
  std::string full = MakeJpeg(64, 64, 3, JCS_RGB, noise);
  Image whole, cut;
  ASSERT_EQ(0, Decode(ReadJPEG, full, whole));
  int w = 0, h = 0;
  ASSERT_EQ(0, Decode(ReadJPEG, full.substr(0, full.size() * 6 / 10), cut, false, 0, &w, &h));
  EXPECT_EQ(64, w);
  EXPECT_EQ(64, h);
  EXPECT_EQ(0, std::memcmp(whole.pixels, cut.pixels, 64 * 4)) << "the rows before the cut decode the same";
}

TEST(ReadJpeg, RefusesBrokenAndUnsupportedFiles) {
  Image none;
  EXPECT_EQ(-1, ReadJPEG(nullptr, none, false, 0, nullptr, nullptr));
  std::string jpeg = MakeJpeg(16, 16, 3, JCS_RGB, Colour);
  for (size_t cut : {size_t(0), size_t(1), size_t(2), size_t(20), size_t(100)}) {
    Image image;
    EXPECT_EQ(-1, Decode(ReadJPEG, jpeg.substr(0, cut), image)) << "cut at " << cut;
  }
  Image garbage;
  EXPECT_EQ(-1, Decode(ReadJPEG, std::string(5000, '\x42'), garbage));
  Image cmyk;
  EXPECT_EQ(-1, Decode(ReadJPEG, MakeJpeg(8, 8, 4, JCS_CMYK, [](int, int, int) { return 100; }), cmyk));
  EXPECT_TRUE(cmyk.Empty());
}

// ---------------------------------------------------------------------------
// Writers

Image Pattern(int width, int height, int kind) {
  Image image;
  image.Allocate(width, height, false, kind);
  for (int i = 0; i < width * height * 4; ++i) image.pixels[i] = static_cast<uint8_t>(i * 7 + 3);
  image.alpha = true;
  return image;
}

TEST(ImageWriters, PngRoundTrip) {
  Image image = Pattern(5, 3, 0);
  FILE* file = tmpfile();
  ASSERT_TRUE(WritePNG(image, file));
  std::string bytes = FileBytes(file);
  fclose(file);
  EXPECT_EQ("\x89PNG", bytes.substr(0, 4));
  Image back;
  ASSERT_EQ(0, Decode(ReadPNG, bytes, back));
  EXPECT_TRUE(back.alpha);
  ASSERT_EQ(5, back.width);
  EXPECT_EQ(0, std::memcmp(image.pixels, back.pixels, 5 * 3 * 4));
  Image empty;
  file = tmpfile();
  EXPECT_FALSE(WritePNG(empty, file));
  fclose(file);
}

TEST(ImageWriters, TgaAndBmpRoundTrip) {
  Image tga = Pattern(3, 2, kImageHeaderTga);
  FILE* file = tmpfile();
  ASSERT_TRUE(WriteTGA(tga, file));
  std::string bytes = FileBytes(file);
  fclose(file);
  EXPECT_EQ(18u + 24, bytes.size());
  Image back;
  ASSERT_EQ(0, Decode(ReadTGA, bytes, back));
  EXPECT_EQ(0, std::memcmp(tga.pixels, back.pixels, 24));

  Image bmp = Pattern(3, 2, kImageHeaderBmp);
  Image copy = Pattern(3, 2, 0);
  file = tmpfile();
  ASSERT_TRUE(WriteBMP(bmp, file));
  bytes = FileBytes(file);
  fclose(file);
  EXPECT_EQ(54u + 24, bytes.size());
  EXPECT_EQ(0, std::memcmp(copy.pixels, bmp.pixels, 24)) << "the image keeps its own row order";
  EXPECT_EQ(0, std::memcmp(bytes.data() + 54, copy.pixels + 12, 12)) << "the file starts with the bottom row";
  Image bmpBack;
  ASSERT_EQ(0, Decode(ReadBMP, bytes, bmpBack));
  EXPECT_EQ(0, std::memcmp(copy.pixels, bmpBack.pixels, 24));

  file = tmpfile();
  EXPECT_FALSE(WriteTGA(bmp, file)) << "a TGA needs its header";
  fclose(file);
}

// ---------------------------------------------------------------------------
// Files through the file system

std::string Tga24(int width, int height, const std::function<std::string(int, int)>& pixel) {
  TgaSpec t;
  t.width = width;
  t.height = height;
  t.depth = 24;
  t.descriptor = 0x20;
  std::string s = TgaHeaderBytes(t);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) s += pixel(x, y);
  return s;
}

std::string Tga32(int width, int height, const std::function<std::string(int, int)>& pixel) {
  TgaSpec t;
  t.width = width;
  t.height = height;
  t.depth = 32;
  t.descriptor = 0x28;
  std::string s = TgaHeaderBytes(t);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) s += pixel(x, y);
  return s;
}

class ImageFileTest : public testing::DataFolderTest {
 protected:
  std::string Written(const std::string& name) { return testing::ReadFile(FileSystem::Instance().WriteFolder() + name); }
};

TEST_F(ImageFileTest, LoadsByExtensionOrGuessesInOrder) {
  Put("pics/a.tga", Tga24(2, 1, [](int x, int) { return Bytes({x, 0, 0}); }));
  Put("pics/a.bmp", BmpBytes(BmpSpec{}, Bytes({9, 9, 9, 0})));
  std::unique_ptr<Image> image(LoadImageFile("pics/a", kFormatPng | kFormatTga | kFormatBmp, false, 0, nullptr, nullptr,
                                             false));
  ASSERT_TRUE(image);
  EXPECT_EQ(2, image->width) << "TGA comes before BMP";
  int w = 0, h = 0;
  std::unique_ptr<Image> bmp(LoadImageFile("pics/a", kFormatBmp | kFormatJpg, true, kImageHeaderBmp, &w, &h, false));
  ASSERT_TRUE(bmp);
  EXPECT_EQ(1, w);
  EXPECT_EQ(kImageHeaderBmp, bmp->headerKind);
  Image given;
  EXPECT_EQ(&given, LoadImageFile("PICS/A.TGA", kFormatTga, false, 0, nullptr, nullptr, false, &given));
  EXPECT_EQ(2, given.width);
  EXPECT_EQ(0u, FileSystem::Instance().OpenStreamCount());
  EXPECT_EQ("", Lines(2));
}

TEST_F(ImageFileTest, ReportsWrongFormatMissingAndBrokenFiles) {
  Put("pics/a.tga", Tga24(1, 1, [](int, int) { return Bytes({1, 2, 3}); }));
  Put("pics/broken.png", "not a png at all");
  EXPECT_EQ(nullptr, LoadImageFile("pics/a.tga", kFormatPng | kFormatBmp, false, 0, nullptr, nullptr, false));
  EXPECT_PRED2(Contains, Lines(2), "Wrong file format\n <pics/a.tga>\n");
  testing::FreshLog();
  EXPECT_EQ(nullptr, LoadImageFile("pics/a.gif", -1, false, 0, nullptr, nullptr, false));
  EXPECT_PRED2(Contains, Lines(2), "Wrong file format\n <pics/a.gif>\n");
  testing::FreshLog();
  EXPECT_EQ(nullptr, LoadImageFile("pics/missing", kFormatPng | kFormatJpg, false, 0, nullptr, nullptr, false));
  EXPECT_PRED2(Contains, Lines(2), "Error loading file\n <pics/missing.jpg>\n") << "the last name tried";
  testing::FreshLog();
  EXPECT_EQ(nullptr, LoadImageFile("pics/broken.png", kFormatPng, false, 0, nullptr, nullptr, false));
  EXPECT_PRED2(Contains, Lines(2), "Error processing file\n <pics/broken.png>\n");
  EXPECT_EQ(0u, FileSystem::Instance().OpenStreamCount());

  testing::DeveloperMode(false);
  EXPECT_THROW(LoadImageFile("pics/broken.png", kFormatPng, false, 0, nullptr, nullptr, false), Exception);
  EXPECT_EQ(0u, FileSystem::Instance().OpenStreamCount());
}

TEST_F(ImageFileTest, AlphaCompanionGivesGreenAsAlpha) {
  Put("pics/ship.tga", Tga24(2, 1, [](int, int) { return Bytes({10, 20, 30}); }));
  PngSpec spec;
  spec.colourType = PNG_COLOR_TYPE_RGB;
  spec.width = 2;
  Put("pics/ship_alpha.png", MakePng(spec, {Bytes({1, 77, 3, 4, 99, 6})}));
  std::unique_ptr<Image> image(LoadImageFile("pics/ship.tga", kFormatTga, false, 0, nullptr, nullptr, true));
  ASSERT_TRUE(image);
  EXPECT_TRUE(image->alpha);
  EXPECT_EQ(Argb(77, 30, 20, 10), image->PixelAt(0, 0));
  EXPECT_EQ(Argb(99, 30, 20, 10), image->PixelAt(1, 0));
  std::unique_ptr<Image> without(LoadImageFile("pics/ship.tga", kFormatTga, false, 0, nullptr, nullptr, false));
  EXPECT_FALSE(without->alpha);
  EXPECT_EQ(Argb(255, 30, 20, 10), without->PixelAt(0, 0));
  // An image with its own alpha ignores the companion.
  Put("pics/own.tga", Tga32(1, 1, [](int, int) { return Bytes({1, 2, 3, 44}); }));
  Put("pics/own_alpha.png", MakePng(spec, {Bytes({1, 77, 3, 4, 99, 6})}));
  std::unique_ptr<Image> own(LoadImageFile("pics/own", kFormatTga, false, 0, nullptr, nullptr, true));
  EXPECT_EQ(44u, own->PixelAt(0, 0) >> 24);
}

TEST_F(ImageFileTest, SaveRegionWritesWholeImagesAndRegions) {
  Put("in.tga", Tga32(4, 3, [](int x, int y) { return Bytes({x, y, 50, 255}); }));
  ASSERT_TRUE(SaveRegion("in.tga", "out.png", nullptr));
  Image png;
  ASSERT_EQ(0, Decode(ReadPNG, Written("out.png"), png));
  EXPECT_EQ(4, png.width);
  EXPECT_EQ(Argb(255, 50, 2, 3), png.PixelAt(3, 2));

  ImageRect rect{1, 1, 3, 3};
  ASSERT_TRUE(SaveRegion("in.tga", "sub/region.TGA", &rect));
  std::string tga = Written("sub/region.TGA");
  EXPECT_EQ(18u + 2 * 2 * 4, tga.size());
  Image region;
  ASSERT_EQ(0, Decode(ReadTGA, tga, region));
  EXPECT_EQ(Argb(255, 50, 1, 1), region.PixelAt(0, 0));
  EXPECT_EQ(Argb(255, 50, 1, 2), region.PixelAt(1, 0));
  EXPECT_EQ(Argb(255, 50, 2, 1), region.PixelAt(0, 1));
  ImageRect whole{0, 0, 4, 3};
  ASSERT_TRUE(SaveRegion("in", "whole.bmp", &whole));
  std::string bmp = Written("whole.bmp");
  EXPECT_EQ(54u + 4 * 3 * 4, bmp.size());
  Image back;
  ASSERT_EQ(0, Decode(ReadBMP, bmp, back));
  EXPECT_EQ(Argb(255, 50, 0, 0), back.PixelAt(0, 0));
  EXPECT_EQ(Argb(255, 50, 2, 3), back.PixelAt(3, 2));
  EXPECT_EQ("", Lines(1));
}

TEST_F(ImageFileTest, SaveRegionRefusesBadRequests) {
  Put("in.png", MakePng(PngSpec{}, {Bytes({1, 2, 3, 4})}));
  EXPECT_FALSE(SaveRegion("in.png", "out.gif", nullptr));
  EXPECT_EQ("ERROR: SaveTextureToFile - incorrect destination file format <out.gif>\n", Lines(1));
  EXPECT_EQ("", Written("out.gif"));
  testing::FreshLog();
  EXPECT_FALSE(SaveRegion("in.png", "out", nullptr));
  EXPECT_EQ("ERROR: SaveTextureToFile - incorrect destination file format <out>\n", Lines(1));
  testing::FreshLog();
  ImageRect tooWide{0, 0, 2, 1};
  EXPECT_FALSE(SaveRegion("in.png", "out.png", &tooWide));
  EXPECT_EQ("ERROR: SaveTextureToFile - incorrect selected region <0, 2, 0, 1> from file <in.png>\n", Lines(1));
  testing::FreshLog();
  EXPECT_FALSE(SaveRegion("missing.png", "out.png", nullptr));
  EXPECT_PRED2(Contains, Lines(2), "Error loading file\n <missing.png>\n");
  testing::FreshLog();
  EXPECT_FALSE(SaveRegion("in.png", "/elsewhere/out.png", nullptr));
  EXPECT_NE("", Lines(2)) << "the sandbox reports the path";
  EXPECT_EQ("ERROR: SaveTextureToFile - can't open file for write </elsewhere/out.png>\n", Lines(1));
}

TEST_F(ImageFileTest, FindSmallestRegion) {
  Put("dot.tga", Tga32(10, 10, [](int x, int y) { return Bytes({0, 0, 0, x == 5 && y == 7 ? 1 : 0}); }));
  ImageRect rect{-3, -3, 100000, 100000};
  ASSERT_TRUE(FindSmallestRegion("dot.tga", rect, true, false));
  EXPECT_EQ(5, rect.left);
  EXPECT_EQ(7, rect.top);
  EXPECT_EQ(6, rect.right);
  EXPECT_EQ(8, rect.bottom);

  Put("two.tga", Tga32(10, 10, [](int x, int y) {
        return Bytes({0, 0, 0, (x == 2 && y == 8) || (x == 7 && y == 3) ? 255 : 0});
      }));
  rect = {0, 0, 10, 10};
  ASSERT_TRUE(FindSmallestRegion("two.tga", rect, true, false));
  EXPECT_EQ(2, rect.left);
  EXPECT_EQ(3, rect.top);
  EXPECT_EQ(8, rect.right);
  EXPECT_EQ(9, rect.bottom);
  rect = {3, 0, 10, 6};  // only the pixel at (7, 3) lies inside
  ASSERT_TRUE(FindSmallestRegion("two.tga", rect, true, false));
  EXPECT_EQ(7, rect.left);
  EXPECT_EQ(3, rect.top);
  EXPECT_EQ(8, rect.right);
  EXPECT_EQ(4, rect.bottom);

  Put("clear.tga", Tga32(4, 4, [](int x, int) { return Bytes({x == 1 ? 255 : 0, 0, 0, 0}); }));
  rect = {0, 0, 100000, 100000};
  ASSERT_TRUE(FindSmallestRegion("clear.tga", rect, true, false));
  EXPECT_EQ(0, rect.right - rect.left) << "fully transparent: empty";
  rect = {0, 0, 100000, 100000};
  ASSERT_TRUE(FindSmallestRegion("clear.tga", rect, false, true)) << "transparent colour counts with test colour";
  EXPECT_EQ(1, rect.left);
  EXPECT_EQ(2, rect.right);
  EXPECT_EQ(0, rect.top);
  EXPECT_EQ(4, rect.bottom);

  rect = {5, 0, 10, 10};
  EXPECT_FALSE(FindSmallestRegion("clear.tga", rect, true, false)) << "left beyond the width";
  rect = {2, 0, 2, 10};
  EXPECT_FALSE(FindSmallestRegion("clear.tga", rect, true, false)) << "right not above left";
  rect = {0, 0, 4, 4};
  EXPECT_FALSE(FindSmallestRegion("nothing.tga", rect, true, false));
}

// ---------------------------------------------------------------------------
// Script functions

class ImageScriptTest : public ImageFileTest {
 protected:
  void SetUp() override {
    ImageFileTest::SetUp();
    L = luaL_newstate();
    luaL_openlibs(L);
    lua_register(L, "gfx_bitmap_save_region", Guarded<api::gfx_bitmap_save_region>);
    lua_register(L, "gfx_bitmap_find_smallest_region", Guarded<api::gfx_bitmap_find_smallest_region>);
  }
  void TearDown() override {
    lua_close(L);
    ImageFileTest::TearDown();
  }
  // Runs a chunk; returns its error text, or "" when it ran through.
  std::string Run(const std::string& code) {
    if (luaL_loadstring(L, code.c_str()) != 0) return lua_tostring(L, -1);
    int status = ProtectedCall(L, 0, 0, 0);
    if (status == 0) return "";
    std::string error = lua_tostring(L, -1) ? lua_tostring(L, -1) : "(error)";
    lua_pop(L, 1);
    return error.empty() ? "(error)" : error;
  }
  std::string Global(const char* name) {
    lua_getglobal(L, name);
    std::string value = lua_tostring(L, -1) ? lua_tostring(L, -1) : "nil";
    lua_pop(L, 1);
    return value;
  }
  lua_State* L = nullptr;
};

TEST_F(ImageScriptTest, SaveRegionWholeOrPart) {
  Put("in.tga", Tga32(4, 3, [](int x, int y) { return Bytes({x, y, 9, 255}); }));
  EXPECT_EQ("", Run("gfx_bitmap_save_region('out.png', 'in.tga')"));
  Image whole;
  ASSERT_EQ(0, Decode(ReadPNG, Written("out.png"), whole));
  EXPECT_EQ(4, whole.width);
  EXPECT_EQ(3, whole.height);
  EXPECT_EQ("", Run("gfx_bitmap_save_region('zero.png', 'in.tga', 1, 1, 0, 2)"));
  Image zero;
  ASSERT_EQ(0, Decode(ReadPNG, Written("zero.png"), zero));
  EXPECT_EQ(4, zero.width) << "a width of 0 saves the whole image";
  EXPECT_EQ("", Run("gfx_bitmap_save_region('part.bmp', 'in.tga', 1.9, 1, 2.7, 2)"));
  Image part;
  ASSERT_EQ(0, Decode(ReadBMP, Written("part.bmp"), part));
  EXPECT_EQ(2, part.width);
  EXPECT_EQ(2, part.height);
  EXPECT_EQ(Argb(255, 9, 1, 1), part.PixelAt(0, 0));
  EXPECT_EQ("", Run("gfx_bitmap_save_region('out.gif', 'in.tga')"));
  EXPECT_EQ("ERROR: SaveTextureToFile - incorrect destination file format <out.gif>\n", Lines(1));
  EXPECT_EQ("", Written("out.gif"));
}

TEST_F(ImageScriptTest, SaveRegionRaisesAfterALoadError) {
  EXPECT_NE("", Run("gfx_bitmap_save_region('out.png', 'missing.tga') reached = true"));
  EXPECT_EQ("nil", Global("reached"));
  EXPECT_PRED2(Contains, Lines(2), "Error loading file\n <missing.tga>\n");
}

TEST_F(ImageScriptTest, SaveRegionTakesABitmapsResourceKey) {
  Put("pics/hero.tga", Tga32(2, 2, [](int x, int) { return Bytes({x, 0, 0, 255}); }));
  TextureRecord record;
  record.name = "pics/hero";
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->valid = true;
  bitmap->record = &record;
  ScriptHandle hero = ScriptBitmaps().Add(std::move(bitmap));
  ScriptBitmaps().Push(L, hero);
  lua_setglobal(L, "hero");
  EXPECT_EQ("", Run("gfx_bitmap_save_region('hero.tga', hero)"));
  ScriptBitmaps().Release(hero);
  Image saved;
  ASSERT_EQ(0, Decode(ReadTGA, Written("hero.tga"), saved));
  EXPECT_EQ(2, saved.width);
}

TEST_F(ImageScriptTest, FindSmallestRegionResults) {
  Put("dot.png", [] {
    PngSpec spec;
    spec.width = 10;
    spec.height = 10;
    std::vector<std::string> rows;
    for (int y = 0; y < 10; ++y) {
      std::string row;
      for (int x = 0; x < 10; ++x) row += Bytes({255, 255, 255, x == 5 && y == 7 ? 255 : 0});
      rows.push_back(row);
    }
    return MakePng(spec, rows);
  }());
  EXPECT_EQ("", Run("a, b, c, d = gfx_bitmap_find_smallest_region('dot.png')"));
  EXPECT_EQ("5 7 1 1", Global("a") + " " + Global("b") + " " + Global("c") + " " + Global("d"));
  EXPECT_EQ("", Run("a, b, c, d = gfx_bitmap_find_smallest_region('dot.png', -4, nil, 3, -1)"));
  EXPECT_EQ("3 10 0 0", Global("a") + " " + Global("b") + " " + Global("c") + " " + Global("d"))
      << "columns 0..2 hold nothing: an empty rectangle at their far corner";
  EXPECT_EQ("", Run("a, b, c, d = gfx_bitmap_find_smallest_region('dot.png', 0, 0, 10, 10, false, true)"));
  EXPECT_EQ("0 0 10 10", Global("a") + " " + Global("b") + " " + Global("c") + " " + Global("d"))
      << "white transparent pixels count as colour";
  EXPECT_EQ("", Run("n = select('#', gfx_bitmap_find_smallest_region('dot.png', 20, 0))"));
  EXPECT_EQ("0", Global("n")) << "a failure returns nothing";
}

}  // namespace
}  // namespace tarn::gfx
