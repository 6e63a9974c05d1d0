#include "graphics/image/read_support.h"

#include <algorithm>

#include "graphics/image/bytes.h"

namespace tarn::gfx::codec {

namespace {
constexpr size_t kReadChunk = 1 << 20;
}  // namespace

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

bool ReadExact(std::istream& stream, size_t count, std::vector<uint8_t>& out) {
  ReadUpTo(stream, count, out);
  if (out.size() == count) return true;
  out.clear();
  return false;
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
  value = Get32(b);
  return true;
}

void ReportSize(int width, int height, int* outWidth, int* outHeight) {
  if (outWidth) *outWidth = width;
  if (outHeight) *outHeight = height;
}

uint8_t* Row(Image& image, int y) { return image.pixels + static_cast<size_t>(y) * static_cast<size_t>(image.width) * 4; }

}  // namespace tarn::gfx::codec
