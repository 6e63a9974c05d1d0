#include "platform/headless/headless_audio.h"

#include <algorithm>

namespace tarn {

namespace {
constexpr int64_t kNsPerSecond = 1000000000;

// Frames of 'rate' in 'ns' nanoseconds, without overflow for any clock.
int64_t FramesIn(int64_t ns, int rate) {
  return ns / kNsPerSecond * rate + ns % kNsPerSecond * rate / kNsPerSecond;
}
}  // namespace

HeadlessAudioOutput::HeadlessAudioOutput(const AudioFormat& format, int64_t keepFrames, int64_t clockNs,
                                         std::function<void()> onClose)
    : format_(format),
      keepSamples_(static_cast<size_t>(std::max<int64_t>(keepFrames, 0)) * static_cast<size_t>(format.channels)),
      openedNs_(clockNs),
      onClose_(std::move(onClose)),
      buffer_(static_cast<size_t>(format.bufferFrames) * static_cast<size_t>(format.channels)) {}

HeadlessAudioOutput::~HeadlessAudioOutput() {
  if (onClose_) onClose_();
}

void HeadlessAudioOutput::AdvanceTo(int64_t clockNs) {
  if (clockNs <= openedNs_) return;
  int64_t due = FramesIn(clockNs - openedNs_, format_.rate);
  while (pulled_ < due) {
    int frames = static_cast<int>(std::min<int64_t>(format_.bufferFrames, due - pulled_));
    size_t samples = static_cast<size_t>(frames) * static_cast<size_t>(format_.channels);
    std::fill(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(samples), 0.0f);
    if (pull_) pull_(buffer_.data(), frames);
    pulled_ += frames;
    kept_.insert(kept_.end(), buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(samples));
    // Dropped in large steps, so a run that never reads back stays cheap.
    if (kept_.size() > 2 * keepSamples_) kept_.erase(kept_.begin(), kept_.end() - static_cast<std::ptrdiff_t>(keepSamples_));
  }
}

std::vector<float> HeadlessAudioOutput::TakeMixed() {
  std::vector<float> out;
  out.swap(kept_);
  if (out.size() > keepSamples_) out.erase(out.begin(), out.end() - static_cast<std::ptrdiff_t>(keepSamples_));
  return out;
}

}  // namespace tarn
