// The default SDL audio device, float32, pulling from the mixer on SDL's
// audio thread.
#include "platform/sdl/sdl_audio.h"

#include <SDL.h>

#include <cstring>

namespace tarn {
namespace {

class SdlAudioOutput : public AudioOutput {
 public:
  SdlAudioOutput(SDL_AudioDeviceID device, const AudioFormat& format) : device_(device), format_(format) {}
  ~SdlAudioOutput() override {
    // Closing waits for a callback under way, so nothing is pulled after it.
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);  // taken by OpenSdlAudioOutput
  }
  SdlAudioOutput(const SdlAudioOutput&) = delete;
  SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

  static std::unique_ptr<AudioOutput> Open();

  const AudioFormat& Format() const override { return format_; }
  void Start(AudioPull pull) override {
    // The device is still paused: the callback does not run while pull_ is set.
    pull_ = std::move(pull);
    SDL_PauseAudioDevice(device_, 0);
  }

 private:
  static void Callback(void* self, Uint8* stream, int bytes) {
    auto* output = static_cast<SdlAudioOutput*>(self);
    int frameBytes = output->format_.channels * static_cast<int>(sizeof(float));
    int frames = bytes / frameBytes;
    if (output->pull_ && frames > 0) {
      output->pull_(reinterpret_cast<float*>(stream), frames);
      std::memset(stream + frames * frameBytes, 0, static_cast<size_t>(bytes - frames * frameBytes));
    } else {
      std::memset(stream, 0, static_cast<size_t>(bytes));
    }
  }

  SDL_AudioDeviceID device_;
  AudioFormat format_;
  AudioPull pull_;
};

std::unique_ptr<AudioOutput> SdlAudioOutput::Open() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
  // The output is created before the device opens, so the callback has its
  // object; SDL does not call it until the device is unpaused.
  auto output = std::make_unique<SdlAudioOutput>(0, AudioFormat());
  SDL_AudioSpec want{};
  want.freq = 48000;
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = &SdlAudioOutput::Callback;
  want.userdata = output.get();
  SDL_AudioSpec have{};
  SDL_AudioDeviceID device = SDL_OpenAudioDevice(
      nullptr, 0, &want, &have,
      SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE | SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
  if (device == 0 || have.channels < 1 || have.channels > 8 || have.freq < 1 || have.freq > 384000) {
    if (device != 0) SDL_CloseAudioDevice(device);
    return nullptr;  // the output gives the subsystem back
  }
  output->device_ = device;
  output->format_ = {have.freq, have.channels, have.samples > 0 ? have.samples : 1024};
  return output;
}

}  // namespace

std::unique_ptr<AudioOutput> OpenSdlAudioOutput() { return SdlAudioOutput::Open(); }

}  // namespace tarn
