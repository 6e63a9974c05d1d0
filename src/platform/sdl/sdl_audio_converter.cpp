// The converter of rate and channel count on SDL's audio stream. SDL's
// audio stream works without SDL_Init.
#include <SDL.h>

#include "platform/audio_output.h"

namespace tarn {
namespace {

constexpr int kMaxRate = 384000;
constexpr int kMaxChannels = 8;

class SdlConverter : public AudioConverter {
 public:
  SdlConverter(SDL_AudioStream* stream, int inChannels, int outChannels)
      : stream_(stream), inFrameBytes_(inChannels * 4), outFrameBytes_(outChannels * 4) {}
  ~SdlConverter() override { SDL_FreeAudioStream(stream_); }
  SdlConverter(const SdlConverter&) = delete;
  SdlConverter& operator=(const SdlConverter&) = delete;

  bool Put(const float* in, int frames) override {
    if (frames <= 0) return true;
    return SDL_AudioStreamPut(stream_, in, frames * inFrameBytes_) == 0;
  }
  void Flush() override { SDL_AudioStreamFlush(stream_); }
  int Get(float* out, int frames) override {
    if (frames <= 0) return 0;
    int bytes = SDL_AudioStreamGet(stream_, out, frames * outFrameBytes_);
    return bytes > 0 ? bytes / outFrameBytes_ : 0;
  }
  int Available() const override { return SDL_AudioStreamAvailable(stream_) / outFrameBytes_; }

 private:
  SDL_AudioStream* stream_;
  int inFrameBytes_;
  int outFrameBytes_;
};

bool Supported(int rate, int channels) {
  return rate >= 1 && rate <= kMaxRate && channels >= 1 && channels <= kMaxChannels;
}

}  // namespace

std::unique_ptr<AudioConverter> CreateAudioConverter(int rate, int channels, int outRate, int outChannels) {
  if (!Supported(rate, channels) || !Supported(outRate, outChannels)) return nullptr;
  SDL_AudioStream* stream = SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(channels), rate, AUDIO_F32SYS,
                                               static_cast<Uint8>(outChannels), outRate);
  if (!stream) return nullptr;
  return std::make_unique<SdlConverter>(stream, channels, outChannels);
}

}  // namespace tarn
