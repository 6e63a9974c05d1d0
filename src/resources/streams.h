// The engine's input streams: over memory, over a span of an open file, and
// the bundle the file system hands out (a stream with the buffer it reads).
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>

namespace tarn {

// The engine's input stream: read/gcount, getline, seekg, good.
using InputStream = std::istream;

// The most a file may hold to be read whole or unpacked into memory. No game
// file comes near it, and a hostile size or a decompression bomb cannot
// exhaust memory or wrap a 32-bit length.
constexpr uint64_t kMaxWholeFileBytes = uint64_t{1} << 30;

// A stream handed out by the file system together with the buffer it reads
// from (null for a stream over a file) and the length of its contents.
struct OpenedStream {
  std::unique_ptr<InputStream> stream;
  std::unique_ptr<char[]> buffer;
  uint32_t length = 0;
  // Set when the open failed because the contents exceed kMaxWholeFileBytes;
  // refusedSize is then their declared size, or 0 when it is not known.
  bool tooLarge = false;
  uint64_t refusedSize = 0;
  explicit operator bool() const { return stream != nullptr; }
  static OpenedStream TooLarge(uint64_t size) {
    OpenedStream refused;
    refused.tooLarge = true;
    refused.refusedSize = size;
    return refused;
  }
  // A stream over 'length' bytes of 'contents', which it takes over.
  static OpenedStream InMemory(std::unique_ptr<char[]> contents, uint32_t length);
};

// A stream over 'length' bytes of memory that it does not own.
std::unique_ptr<InputStream> MakeMemoryStream(const char* data, size_t length);
// A stream over the bytes [begin, begin + length) of 'file', which it owns; it
// reads the file in place and ends after the last of those bytes.
std::unique_ptr<InputStream> MakeBoundedStream(std::unique_ptr<std::istream> file, uint64_t begin,
                                               uint64_t length);

// Reads exactly 'length' bytes (in pieces, so any 64-bit length works).
bool ReadExactly(std::istream& in, char* out, uint64_t length);
// Reads a whole host file into 'out'; false when it cannot be opened or read.
bool ReadHostFile(const std::string& path, std::string& out);

}  // namespace tarn
