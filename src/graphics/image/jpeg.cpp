// JPEG images through libjpeg, read only.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <istream>
#include <memory>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "graphics/image/read_support.h"
#include "graphics/image/reader.h"

namespace tarn::gfx {

using codec::ReportSize;
using codec::Row;

namespace {

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

}  // namespace

int ReadJPEG(std::istream* stream, Image& image, bool powerOfTwo, int headerKind, int* outWidth, int* outHeight) {
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

}  // namespace tarn::gfx
