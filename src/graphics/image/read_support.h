// What the image readers share: bounded reads from a stream that never trust
// a size read from the file, little-endian fields, and the image's rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <vector>

#include "graphics/image/image.h"

namespace tarn::gfx::codec {

// Bytes left in the stream after the read position, or -1 when the stream
// cannot tell.
int64_t RemainingBytes(std::istream& stream);

// Reads exactly 'count' bytes into 'out'. The buffer grows chunk by chunk, so
// a size the file does not back costs no more memory than the file has.
bool ReadExact(std::istream& stream, size_t count, std::vector<uint8_t>& out);

// Reads up to 'limit' bytes, stopping at the end of the stream.
void ReadUpTo(std::istream& stream, size_t limit, std::vector<uint8_t>& out);

bool Skip(std::istream& stream, size_t count);

// Little-endian fields, each of which must be read completely.
bool Read8(std::istream& stream, uint32_t& value);
bool Read16(std::istream& stream, uint32_t& value);
bool Read32(std::istream& stream, uint32_t& value);

// Hands the size stored in the file to the reader's caller.
void ReportSize(int width, int height, int* outWidth, int* outHeight);

uint8_t* Row(Image& image, int y);

}  // namespace tarn::gfx::codec
