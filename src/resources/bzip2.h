// bzip2 in memory: packing a buffer, and unpacking one stream within bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tarn {

// The room the packed form of 'length' bytes may need at most.
uint64_t Bzip2Bound(uint64_t length);

// Packs 'length' bytes into one bzip2 stream (with its "BZh" header) with
// blocks of 'blockSize' x 100 k. False when the data is too large for
// bzip2's buffer interface or does not pack.
bool PackBzip2(const char* data, size_t length, int blockSize, std::string& out);

// Unpacks one bzip2 stream. With 'sizeKnown' the result must be exactly
// 'expected' bytes long, and decompression stops as soon as the data runs
// past that; otherwise it may be as long as 'limit'. Either way nothing beyond
// 'limit' is produced: an expected size above it fails at once, and
// 'tooLarge' (when given) tells such a failure from damaged data. The buffer
// grows only as data arrives, so a small damaged file cannot claim a huge
// allocation. The buffer is never null on success (at least one byte is
// allocated).
bool UnpackBzip2(const char* packed, size_t packedLength, bool sizeKnown, uint64_t expected,
                 uint64_t limit, std::unique_ptr<char[]>& out, uint32_t& outLength, bool* tooLarge = nullptr);

}  // namespace tarn
