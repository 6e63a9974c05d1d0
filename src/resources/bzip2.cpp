#include "resources/bzip2.h"

#include <bzlib.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace tarn {

namespace {

// What one unpacked buffer can hold: its length travels as 32 bits.
constexpr uint64_t kMaxUnpackedLength = 0xFFFFFFFFu;
// bzip2's buffer interface counts in unsigned int; larger spans are fed in
// pieces of this size.
constexpr uint64_t kBzChunk = 1u << 30;

}  // namespace

uint64_t Bzip2Bound(uint64_t length) { return length + length / 100 + 600; }

bool PackBzip2(const char* data, size_t length, int blockSize, std::string& out) {
  out.clear();
  const uint64_t room = Bzip2Bound(length);
  if (length > 0xFFFFFFFFu || room > 0xFFFFFFFFu) return false;
  out.resize(room);
  unsigned int packedLength = static_cast<unsigned int>(room);
  int rc = BZ2_bzBuffToBuffCompress(&out[0], &packedLength, const_cast<char*>(data),
                                    static_cast<unsigned int>(length), blockSize, 0, 0);
  if (rc != BZ_OK) {
    out.clear();
    return false;
  }
  out.resize(packedLength);
  return true;
}

bool UnpackBzip2(const char* packed, size_t packedLength, bool sizeKnown, uint64_t expected, uint64_t limit,
                 std::unique_ptr<char[]>& out, uint32_t& outLength, bool* tooLarge) {
  out.reset();
  outLength = 0;
  if (tooLarge) *tooLarge = false;
  limit = std::min<uint64_t>(limit, kMaxUnpackedLength);
  if (sizeKnown && expected > limit) {
    if (tooLarge) *tooLarge = true;
    return false;
  }
  const uint64_t cap = sizeKnown ? expected : limit;
  if ((sizeKnown && expected == 0) || (!sizeKnown && packedLength == 0)) {
    out.reset(new (std::nothrow) char[1]);
    return out != nullptr;
  }
  // Start with room for what the packed bytes plausibly hold and grow only as
  // the stream really delivers more.
  uint64_t capacity = std::min<uint64_t>(cap, static_cast<uint64_t>(packedLength) * 64 + (1u << 20));
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[capacity ? capacity : 1]);
  if (!buffer) return false;

  bz_stream stream;
  std::memset(&stream, 0, sizeof(stream));
  if (BZ2_bzDecompressInit(&stream, 0, 0) != BZ_OK) return false;
  uint64_t produced = 0;
  size_t consumed = 0;
  char sink = 0;
  bool ok = false;
  for (;;) {
    if (stream.avail_in == 0 && consumed < packedLength) {
      uint64_t piece = std::min<uint64_t>(packedLength - consumed, kBzChunk);
      stream.next_in = const_cast<char*>(packed + consumed);
      stream.avail_in = static_cast<unsigned int>(piece);
      consumed += piece;
    }
    bool full = produced == capacity;
    if (full && capacity < cap) {
      uint64_t grown = std::min<uint64_t>(cap, capacity * 2);
      std::unique_ptr<char[]> bigger(new (std::nothrow) char[grown]);
      if (!bigger) break;
      std::memcpy(bigger.get(), buffer.get(), produced);
      buffer = std::move(bigger);
      capacity = grown;
      full = false;
    }
    unsigned int room;
    if (full) {
      // Any byte beyond the cap lands here and rejects the data.
      stream.next_out = &sink;
      room = 1;
    } else {
      stream.next_out = buffer.get() + produced;
      room = static_cast<unsigned int>(std::min<uint64_t>(capacity - produced, kBzChunk));
    }
    stream.avail_out = room;
    unsigned int inBefore = stream.avail_in;
    int rc = BZ2_bzDecompress(&stream);
    unsigned int wrote = room - stream.avail_out;
    if (full && wrote > 0) {
      // More data than the size allows: damaged when the size was declared,
      // beyond the limit when it was not.
      if (tooLarge && !sizeKnown) *tooLarge = true;
      break;
    }
    produced += wrote;
    if (rc == BZ_STREAM_END) {
      ok = !sizeKnown || produced == expected;
      break;
    }
    if (rc != BZ_OK) break;
    // No progress: the stream is truncated (or stuck); another call would
    // change nothing.
    if (wrote == 0 && stream.avail_in == inBefore) break;
  }
  BZ2_bzDecompressEnd(&stream);
  if (!ok) return false;
  out = std::move(buffer);
  outLength = static_cast<uint32_t>(produced);
  return true;
}

}  // namespace tarn
