// Sound decoding with libsndfile through its virtual I/O: whole sounds from
// memory, and streams read in pieces from a ReadFile as they play. Every
// format Debian's libsndfile reads (WAV, OGG Vorbis, FLAC, Opus, MP3).
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/sound_engine.h"

namespace tarn::audio {

// The most samples (frames x channels) a sound decoded whole may hold:
// 64 Mi floats, 256 MiB, some eleven minutes of 48 kHz stereo. Longer music
// is streamed.
constexpr int64_t kMaxDecodedSamples = int64_t{1} << 26;
constexpr int kMaxChannels = 8;
constexpr int kMaxRate = 384000;

struct DecodedSound {
  int rate = 0;
  int channels = 0;
  std::vector<float> samples;  // interleaved
  int64_t Frames() const { return static_cast<int64_t>(samples.size()) / channels; }
};

// Decodes the whole of 'data'; null when it cannot be decoded, declares an
// unsupported format or more than kMaxDecodedSamples, or ends before the
// frames its header declares.
std::unique_ptr<DecodedSound> DecodeWhole(const void* data, size_t size);

// A sound decoded from a file as it plays.
class StreamDecoder {
 public:
  // Null when the file cannot be decoded.
  static std::unique_ptr<StreamDecoder> Open(std::unique_ptr<ReadFile> file);
  ~StreamDecoder();
  StreamDecoder(const StreamDecoder&) = delete;
  StreamDecoder& operator=(const StreamDecoder&) = delete;

  int Rate() const { return info_.samplerate; }
  int Channels() const { return info_.channels; }
  // Up to 'frames' frames; fewer only at the end of the data or on a failure.
  int Read(float* out, int frames);
  // Back to the first frame; false when the file cannot seek.
  bool Rewind();

 private:
  explicit StreamDecoder(std::unique_ptr<ReadFile> file) : file_(std::move(file)) {}
  std::unique_ptr<ReadFile> file_;
  SNDFILE* sound_ = nullptr;
  SF_INFO info_{};
};

}  // namespace tarn::audio
