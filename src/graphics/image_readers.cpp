// The four image readers. PNG and JPEG go through libpng and libjpeg; TGA and
// BMP are read by hand. None of them trusts a size read from the file: pixel
// data is read in bounded chunks before the image is allocated, and the
// compressed formats are checked against the bytes the stream still holds.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <istream>
#include <memory>
#include <new>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "graphics/image.h"

namespace tarn::gfx {

namespace {

// ---------------------------------------------------------------------------
// Stream helpers

constexpr size_t kReadChunk = 1 << 20;

// Bytes left in the stream after the read position, or -1 when the stream
// cannot tell.
int64_t RemainingBytes(std::istream& stream) {
  std::istream::pos_type here = stream.tellg();
  if (here == std::istream::pos_type(-1)) {
    stream.clear();
    return -1;
  }
  stream.seekg(0, std::ios::end);
  std::istream::pos_type end = stream.tellg();
  stream.clear();
  stream.seekg(here);
  if (end == std::istream::pos_type(-1) || !stream) {
    stream.clear();
    stream.seekg(here);
    return -1;
  }
  return static_cast<int64_t>(end - here);
}

// Reads exactly 'count' bytes into 'out'. The buffer grows chunk by chunk, so
// a size the file does not back costs no more memory than the file has.
bool ReadExact(std::istream& stream, size_t count, std::vector<uint8_t>& out) {
  out.clear();
  while (out.size() < count) {
    size_t chunk = std::min(kReadChunk, count - out.size());
    size_t at = out.size();
    out.resize(at + chunk);
    stream.read(reinterpret_cast<char*>(out.data() + at), static_cast<std::streamsize>(chunk));
    if (static_cast<size_t>(stream.gcount()) != chunk) {
      out.clear();
      return false;
    }
  }
  return true;
}

// Reads up to 'limit' bytes, stopping at the end of the stream.
void ReadUpTo(std::istream& stream, size_t limit, std::vector<uint8_t>& out) {
  out.clear();
  while (out.size() < limit) {
    size_t chunk = std::min(kReadChunk, limit - out.size());
    size_t at = out.size();
    out.resize(at + chunk);
    stream.read(reinterpret_cast<char*>(out.data() + at), static_cast<std::streamsize>(chunk));
    size_t got = static_cast<size_t>(stream.gcount());
    out.resize(at + got);
    if (got != chunk) break;
  }
}

bool Skip(std::istream& stream, size_t count) {
  char buffer[4096];
  while (count > 0) {
    size_t chunk = std::min(count, sizeof buffer);
    stream.read(buffer, static_cast<std::streamsize>(chunk));
    if (static_cast<size_t>(stream.gcount()) != chunk) return false;
    count -= chunk;
  }
  return true;
}

// Little-endian fields, each of which must be read completely.
bool Read8(std::istream& stream, uint32_t& value) {
  unsigned char b[1];
  stream.read(reinterpret_cast<char*>(b), 1);
  if (stream.gcount() != 1) return false;
  value = b[0];
  return true;
}

bool Read16(std::istream& stream, uint32_t& value) {
  unsigned char b[2];
  stream.read(reinterpret_cast<char*>(b), 2);
  if (stream.gcount() != 2) return false;
  value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8;
  return true;
}

bool Read32(std::istream& stream, uint32_t& value) {
  unsigned char b[4];
  stream.read(reinterpret_cast<char*>(b), 4);
  if (stream.gcount() != 4) return false;
  value = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
          static_cast<uint32_t>(b[3]) << 24;
  return true;
}

void ReportSize(int width, int height, int* outWidth, int* outHeight) {
  if (outWidth) *outWidth = width;
  if (outHeight) *outHeight = height;
}

uint8_t* Row(Image& image, int y) { return image.pixels + static_cast<size_t>(y) * static_cast<size_t>(image.width) * 4; }

// ---------------------------------------------------------------------------
// PNG

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

// ---------------------------------------------------------------------------
// JPEG

constexpr size_t kJpegBlock = 4096;
constexpr int kJpegMaxScans = 1000;

struct JpegError {
  jpeg_error_mgr manager;
  jmp_buf jump;
};

struct JpegSource {
  jpeg_source_mgr manager;
  std::istream* stream;
  JOCTET buffer[kJpegBlock];
};

void JpegErrorExit(j_common_ptr cinfo) { longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }
void JpegEmitMessage(j_common_ptr, int) {}
void JpegOutputMessage(j_common_ptr) {}

void JpegInitSource(j_decompress_ptr) {}

boolean JpegFillInput(j_decompress_ptr cinfo) {
  auto* source = reinterpret_cast<JpegSource*>(cinfo->src);
  source->stream->read(reinterpret_cast<char*>(source->buffer), kJpegBlock);
  size_t got = static_cast<size_t>(source->stream->gcount());
  if (got == 0) {
    // The data ended: an end-of-image marker lets a truncated file finish.
    source->buffer[0] = 0xFF;
    source->buffer[1] = JPEG_EOI;
    got = 2;
  }
  source->manager.next_input_byte = source->buffer;
  source->manager.bytes_in_buffer = got;
  return TRUE;
}

void JpegSkipInput(j_decompress_ptr cinfo, long count) {
  auto* source = reinterpret_cast<JpegSource*>(cinfo->src);
  if (count <= 0) return;
  while (count > static_cast<long>(source->manager.bytes_in_buffer)) {
    count -= static_cast<long>(source->manager.bytes_in_buffer);
    JpegFillInput(cinfo);
  }
  source->manager.next_input_byte += count;
  source->manager.bytes_in_buffer -= static_cast<size_t>(count);
}

void JpegTermSource(j_decompress_ptr) {}

// Progressive files with absurd numbers of scans would take forever.
void JpegProgress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompress->input_scan_number > kJpegMaxScans) JpegErrorExit(cinfo);
  }
}

struct JpegRead {
  jpeg_decompress_struct cinfo;
  JpegError error;
  JpegSource source;
  jpeg_progress_mgr progress;
  Image* image;
  bool powerOfTwo;
  int headerKind;
  int fileWidth, fileHeight;
};

// Everything libjpeg may long-jump out of; only plain data lives here.
int DecodeJpeg(JpegRead& read) {
  jpeg_decompress_struct& cinfo = read.cinfo;
  if (setjmp(read.error.jump)) return -1;
  jpeg_create_decompress(&cinfo);
  cinfo.src = &read.source.manager;
  cinfo.progress = &read.progress;
  jpeg_read_header(&cinfo, TRUE);
  if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
      cinfo.image_width > static_cast<JDIMENSION>(kMaxClassicImageSide) ||
      cinfo.image_height > static_cast<JDIMENSION>(kMaxClassicImageSide))
    return -1;
  if (cinfo.out_color_space != JCS_GRAYSCALE && cinfo.out_color_space != JCS_RGB) return -1;
  read.fileWidth = static_cast<int>(cinfo.image_width);
  read.fileHeight = static_cast<int>(cinfo.image_height);
  jpeg_start_decompress(&cinfo);
  int components = cinfo.output_components;
  if ((components != 1 && components != 3) || cinfo.output_width > static_cast<JDIMENSION>(kMaxClassicImageSide) ||
      cinfo.output_height > static_cast<JDIMENSION>(kMaxClassicImageSide))
    return -1;
  read.image->Allocate(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height), read.powerOfTwo,
                       read.headerKind);
  if (!read.image->pixels) return -1;
  read.image->alpha = false;
  JSAMPARRAY line = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                               cinfo.output_width * static_cast<JDIMENSION>(components), 1);
  while (cinfo.output_scanline < cinfo.output_height) {
    int y = static_cast<int>(cinfo.output_scanline);
    if (jpeg_read_scanlines(&cinfo, line, 1) != 1) return -1;
    uint8_t* to = Row(*read.image, y);
    const JSAMPLE* from = line[0];
    for (JDIMENSION x = 0; x < cinfo.output_width; ++x, to += 4) {
      if (components == 3) {
        to[0] = from[x * 3 + 2];
        to[1] = from[x * 3 + 1];
        to[2] = from[x * 3];
      } else {
        to[0] = to[1] = to[2] = from[x];
      }
      to[3] = 255;
    }
  }
  jpeg_finish_decompress(&cinfo);
  return 0;
}

// ---------------------------------------------------------------------------
// TGA

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

// ---------------------------------------------------------------------------
// BMP

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

int ReadPNG(InputStream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight) {
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

int ReadJPEG(InputStream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight) {
  if (!stream) return -1;
  auto read = std::make_unique<JpegRead>();
  std::memset(read.get(), 0, sizeof(JpegRead));
  read->image = &image;
  read->powerOfTwo = powerOfTwo;
  read->headerKind = headerKind;
  jpeg_decompress_struct& cinfo = read->cinfo;
  cinfo.err = jpeg_std_error(&read->error.manager);
  read->error.manager.error_exit = JpegErrorExit;
  read->error.manager.emit_message = JpegEmitMessage;  // warnings are silenced
  read->error.manager.output_message = JpegOutputMessage;
  read->source.stream = stream;
  read->source.manager.init_source = JpegInitSource;
  read->source.manager.fill_input_buffer = JpegFillInput;
  read->source.manager.skip_input_data = JpegSkipInput;
  read->source.manager.resync_to_restart = jpeg_resync_to_restart;
  read->source.manager.term_source = JpegTermSource;
  read->progress.progress_monitor = JpegProgress;
  // Creating the decompressor happens inside DecodeJpeg, under its jump
  // target; destroying a never-created one is harmless.
  int result = DecodeJpeg(*read);
  jpeg_destroy_decompress(&cinfo);
  if (result == 0) ReportSize(read->fileWidth, read->fileHeight, outWidth, outHeight);
  return result;
}

int ReadTGA(InputStream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight) {
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

int ReadBMP(InputStream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight) {
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

}  // namespace tarn::gfx
