// The headless sound output: no device; the mixer is pulled for the frames
// that the platform's virtual clock says are due, and what it mixed is kept
// (the newest frames, up to a bound) for tests to read back.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/audio_output.h"

namespace tarn {

class HeadlessAudioOutput : public AudioOutput {
 public:
  // 'keepFrames' bounds what TakeMixed can return; 'onClose' runs in the
  // destructor unless Detach came first.
  HeadlessAudioOutput(const AudioFormat& format, int64_t keepFrames, int64_t clockNs, std::function<void()> onClose);
  ~HeadlessAudioOutput() override;
  HeadlessAudioOutput(const HeadlessAudioOutput&) = delete;
  HeadlessAudioOutput& operator=(const HeadlessAudioOutput&) = delete;

  const AudioFormat& Format() const override { return format_; }
  void Start(AudioPull pull) override { pull_ = std::move(pull); }

  // Pulls every frame due by the virtual time 'clockNs' (nanoseconds on the
  // platform's clock), in pieces of at most one buffer.
  void AdvanceTo(int64_t clockNs);
  // The frames mixed since the last call (the newest keepFrames of them),
  // interleaved.
  std::vector<float> TakeMixed();
  // Frames pulled since the output opened.
  int64_t FramesPulled() const { return pulled_; }
  // The platform is gone: nothing to tell on close.
  void Detach() { onClose_ = nullptr; }

 private:
  AudioFormat format_;
  size_t keepSamples_;
  int64_t openedNs_;
  int64_t pulled_ = 0;
  AudioPull pull_;
  std::function<void()> onClose_;
  std::vector<float> buffer_;
  std::vector<float> kept_;
};

}  // namespace tarn
