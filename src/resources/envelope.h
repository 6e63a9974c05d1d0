// The compressed envelope: any single host file may be wrapped in it when a
// script saves with compression. Layout (little-endian):
//   "TEef", u16 version 1, u16 compression 2, u32 unpacked size,
//   then one bzip2 stream (with its own "BZh" header) holding the contents.
// Only the exact header is recognised; anything else is plain data, even a
// file that begins with "TEef".
#pragma once

#include <cstdint>
#include <istream>
#include <string>

#include "resources/streams.h"

namespace tarn {

constexpr size_t kEnvelopeHeaderSize = 12;
// The bytes IsEnvelope looks at; only files longer than this are asked.
constexpr size_t kEnvelopeProbeSize = 8;

// True when the first 8 bytes of a file are the envelope header.
bool IsEnvelope(const char first8[8]);

// Unpacks an enveloped file whose first 8 bytes have been read from 'file';
// 'fileSize' is the whole file's size. Null when the file is damaged: too
// short, a bzip2 stream that does not decode, or contents whose length is not
// the one the header gives.
OpenedStream OpenEnvelope(std::istream& file, uint64_t fileSize);

// Opens the host file at 'path', 'size' bytes long, as the engine reads it:
// unwrapped when it is an envelope, read in place otherwise. Null when it
// cannot be opened or is a damaged envelope.
OpenedStream OpenHostFile(const std::string& path, uint64_t size);

// The bytes of an envelope holding 'contents' (for writing and tests).
bool BuildEnvelope(const char* contents, size_t length, std::string& out);

// Wraps the host file at 'path' into the envelope. An empty file is left as
// it is. The wrapped file replaces the plain one only once it is complete, so
// a failure leaves the plain contents in place. False when nothing was
// wrapped because of an error.
bool WriteEnvelope(const std::string& path);

}  // namespace tarn
