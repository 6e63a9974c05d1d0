#include "audio/decoder.h"

#include <algorithm>
#include <cstring>

namespace tarn::audio {

namespace {

constexpr sf_count_t kChunkFrames = 4096;

// ---- libsndfile's virtual I/O over a span of memory ----

struct MemoryFile {
  const unsigned char* data;
  sf_count_t size;
  sf_count_t position;
};

sf_count_t MemoryLength(void* user) { return static_cast<MemoryFile*>(user)->size; }

sf_count_t MemorySeek(sf_count_t offset, int whence, void* user) {
  auto* file = static_cast<MemoryFile*>(user);
  sf_count_t base = whence == SEEK_CUR ? file->position : whence == SEEK_END ? file->size : 0;
  // Offsets come from the file's own headers: refuse what leaves the data.
  if ((offset > 0 && base > file->size - offset) || base + offset < 0) return -1;
  file->position = base + offset;
  return file->position;
}

sf_count_t MemoryRead(void* out, sf_count_t count, void* user) {
  auto* file = static_cast<MemoryFile*>(user);
  if (count <= 0 || file->position >= file->size) return 0;
  sf_count_t n = std::min(count, file->size - file->position);
  std::memcpy(out, file->data + file->position, static_cast<size_t>(n));
  file->position += n;
  return n;
}

sf_count_t MemoryTell(void* user) { return static_cast<MemoryFile*>(user)->position; }

sf_count_t NoWrite(const void*, sf_count_t, void*) { return 0; }

SF_VIRTUAL_IO MemoryIo() { return {MemoryLength, MemorySeek, MemoryRead, NoWrite, MemoryTell}; }

// ---- over a ReadFile ----

ReadFile& AsFile(void* user) { return *static_cast<ReadFile*>(user); }

sf_count_t FileLength(void* user) { return AsFile(user).Size(); }

sf_count_t FileSeek(sf_count_t offset, int whence, void* user) {
  ReadFile& file = AsFile(user);
  bool good = whence == SEEK_CUR  ? file.Seek(offset, true)
              : whence == SEEK_END ? offset <= 0 && file.Seek(file.Size() + offset, false)
                                   : file.Seek(offset, false);
  return good ? file.Position() : -1;
}

sf_count_t FileRead(void* out, sf_count_t count, void* user) {
  if (count <= 0) return 0;
  int64_t n = AsFile(user).Read(out, count);
  return n > 0 ? n : 0;
}

sf_count_t FileTell(void* user) { return AsFile(user).Position(); }

SF_VIRTUAL_IO FileIo() { return {FileLength, FileSeek, FileRead, NoWrite, FileTell}; }

bool Supported(const SF_INFO& info) {
  return info.channels >= 1 && info.channels <= kMaxChannels && info.samplerate >= 1 && info.samplerate <= kMaxRate;
}

// Decodes in pieces: a declared frame count is no promise, so the buffer
// grows with what is actually decoded, up to the bound.
bool DecodeAll(SNDFILE* sound, const SF_INFO& info, std::vector<float>& out) {
  bool declared = info.frames > 0 && info.frames < SF_COUNT_MAX;
  int64_t channels = info.channels;
  if (declared && info.frames > kMaxDecodedSamples / channels) return false;
  if (declared) out.reserve(static_cast<size_t>(info.frames * channels));
  std::vector<float> chunk(static_cast<size_t>(kChunkFrames * channels));
  for (;;) {
    sf_count_t got = sf_readf_float(sound, chunk.data(), kChunkFrames);
    if (got <= 0) break;
    if (static_cast<int64_t>(out.size()) + got * channels > kMaxDecodedSamples) return false;
    out.insert(out.end(), chunk.begin(), chunk.begin() + got * channels);
  }
  if (sf_error(sound) != SF_ERR_NO_ERROR) return false;
  int64_t frames = static_cast<int64_t>(out.size()) / channels;
  // A file cut short decodes fewer frames than its header promised.
  return frames > 0 && (!declared || frames >= info.frames);
}

}  // namespace

std::unique_ptr<DecodedSound> DecodeWhole(const void* data, size_t size) {
  if (!data || size == 0 || size > static_cast<uint64_t>(INT64_MAX)) return nullptr;
  MemoryFile file{static_cast<const unsigned char*>(data), static_cast<sf_count_t>(size), 0};
  SF_VIRTUAL_IO io = MemoryIo();
  SF_INFO info{};
  SNDFILE* sound = sf_open_virtual(&io, SFM_READ, &info, &file);
  if (!sound) return nullptr;
  auto decoded = std::make_unique<DecodedSound>();
  bool ok = Supported(info) && DecodeAll(sound, info, decoded->samples);
  sf_close(sound);
  if (!ok) return nullptr;
  decoded->rate = info.samplerate;
  decoded->channels = info.channels;
  return decoded;
}

std::unique_ptr<StreamDecoder> StreamDecoder::Open(std::unique_ptr<ReadFile> file) {
  if (!file) return nullptr;
  std::unique_ptr<StreamDecoder> decoder(new StreamDecoder(std::move(file)));
  SF_VIRTUAL_IO io = FileIo();
  decoder->sound_ = sf_open_virtual(&io, SFM_READ, &decoder->info_, decoder->file_.get());
  if (!decoder->sound_ || !Supported(decoder->info_)) return nullptr;
  return decoder;
}

StreamDecoder::~StreamDecoder() {
  if (sound_) sf_close(sound_);
}

int StreamDecoder::Read(float* out, int frames) {
  if (frames <= 0) return 0;
  sf_count_t got = sf_readf_float(sound_, out, frames);
  return got > 0 ? static_cast<int>(got) : 0;
}

bool StreamDecoder::Rewind() { return sf_seek(sound_, 0, SEEK_SET) == 0; }

}  // namespace tarn::audio
