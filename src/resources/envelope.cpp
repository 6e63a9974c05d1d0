#include "resources/envelope.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>

#include "platform/hostfs.h"
#include "resources/bzip2.h"

namespace tarn {

namespace {

constexpr char kMagic[4] = {'T', 'E', 'e', 'f'};
constexpr uint16_t kEnvelopeVersion = 1;
constexpr uint16_t kEnvelopeCompression = 2;  // the bzip2 value of pack entries
// bzip2 settings of the envelope: 100 k blocks, quiet, the default work factor.
constexpr int kBlockSize = 1;

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};

}  // namespace

bool IsEnvelope(const char first8[8]) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(first8);
  return std::memcmp(first8, kMagic, 4) == 0 && (b[4] | b[5] << 8) == kEnvelopeVersion &&
         (b[6] | b[7] << 8) == kEnvelopeCompression;
}

OpenedStream OpenEnvelope(std::istream& file, uint64_t fileSize) {
  OpenedStream result;
  if (fileSize < kEnvelopeHeaderSize) return result;
  unsigned char sizeBytes[4];
  file.read(reinterpret_cast<char*>(sizeBytes), 4);
  if (file.gcount() != 4) return result;
  uint32_t unpackedSize = static_cast<uint32_t>(sizeBytes[0]) | static_cast<uint32_t>(sizeBytes[1]) << 8 |
                          static_cast<uint32_t>(sizeBytes[2]) << 16 | static_cast<uint32_t>(sizeBytes[3]) << 24;
  uint64_t packedLength = fileSize - kEnvelopeHeaderSize;
  // Both buffers are bounded before either is allocated: the packed data by
  // the file's size, the contents by the size the header declares.
  const uint64_t declared = std::max<uint64_t>(packedLength, unpackedSize);
  if (declared > kMaxWholeFileBytes) return OpenedStream::TooLarge(declared);
  // The packed buffer is as large as the file itself, never larger.
  std::unique_ptr<char[]> packed(new (std::nothrow) char[packedLength ? packedLength : 1]);
  if (!packed) return result;
  file.read(packed.get(), static_cast<std::streamsize>(packedLength));
  if (static_cast<uint64_t>(file.gcount()) != packedLength) return result;
  std::unique_ptr<char[]> unpacked;
  uint32_t length = 0;
  if (!UnpackBzip2(packed.get(), packedLength, true, unpackedSize, kMaxWholeFileBytes, unpacked, length)) return result;
  packed.reset();
  return OpenedStream::InMemory(std::move(unpacked), length);
}

OpenedStream OpenHostFile(const std::string& path, uint64_t size) {
  auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
  if (!file->is_open()) return OpenedStream();
  if (size > kEnvelopeProbeSize) {
    char first8[kEnvelopeProbeSize];
    file->read(first8, sizeof(first8));
    if (file->gcount() == sizeof(first8) && IsEnvelope(first8)) return OpenEnvelope(*file, size);
    file->clear();
    file->seekg(0);
    if (!*file) return OpenedStream();
  }
  OpenedStream result;
  result.stream = std::move(file);
  result.length = static_cast<uint32_t>(size);
  return result;
}

bool BuildEnvelope(const char* contents, size_t length, std::string& out) {
  std::string packed;
  if (!PackBzip2(contents, length, kBlockSize, packed)) {
    out.clear();
    return false;
  }
  out.assign(kEnvelopeHeaderSize, '\0');
  std::memcpy(&out[0], kMagic, 4);
  out[4] = static_cast<char>(kEnvelopeVersion & 0xFF);
  out[5] = static_cast<char>(kEnvelopeVersion >> 8);
  out[6] = static_cast<char>(kEnvelopeCompression & 0xFF);
  out[7] = static_cast<char>(kEnvelopeCompression >> 8);
  for (int i = 0; i < 4; ++i) out[8 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  // One bzip2 stream, as bzip2's file writer would produce it.
  out += packed;
  return true;
}

bool WriteEnvelope(const std::string& path) {
  std::string contents;
  if (!ReadHostFile(path, contents)) return false;
  if (contents.empty()) return true;  // an empty file stays empty
  std::string wrapped;
  if (!BuildEnvelope(contents.data(), contents.size(), wrapped)) return false;
  // Write beside the file and replace it only when complete: a failed write
  // leaves the plain contents, which read back as they are.
  std::string temporary = path + ".tarn-envelope";
  hostfs::RemoveFile(temporary);
  bool ok = false;
  {
    std::unique_ptr<std::FILE, FileCloser> out(std::fopen(temporary.c_str(), "wbx"));
    if (!out) return false;
    ok = std::fwrite(wrapped.data(), 1, wrapped.size(), out.get()) == wrapped.size() &&
         std::fflush(out.get()) == 0;
    ok = std::fclose(out.release()) == 0 && ok;
  }
  if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) hostfs::RemoveFile(temporary);
  return ok;
}

}  // namespace tarn
