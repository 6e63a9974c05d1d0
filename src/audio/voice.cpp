#include "audio/voice.h"

#include <algorithm>
#include <cstring>

namespace tarn::audio {

namespace {
constexpr int kNativeBlockFrames = 1024;
}

Voice::Voice(int rate, int channels, bool looped, const AudioFormat& output)
    : channels_(channels), looped_(looped), outRate_(output.rate), rate_(rate) {
  if (rate != output.rate || channels != output.channels) {
    converter_ = CreateAudioConverter(rate, channels, output.rate, output.channels);
    native_ = std::make_unique<float[]>(static_cast<size_t>(kNativeBlockFrames) * static_cast<size_t>(channels));
  }
}

std::unique_ptr<Voice> Voice::OfSource(std::shared_ptr<const DecodedSound> sound, bool looped,
                                       const AudioFormat& output) {
  if (!sound) return nullptr;
  std::unique_ptr<Voice> voice(new Voice(sound->rate, sound->channels, looped, output));
  if (voice->native_ && !voice->converter_) return nullptr;
  voice->sound_ = std::move(sound);
  return voice;
}

std::unique_ptr<Voice> Voice::OfStream(std::unique_ptr<StreamDecoder> stream, bool looped,
                                       const AudioFormat& output) {
  if (!stream) return nullptr;
  std::unique_ptr<Voice> voice(new Voice(stream->Rate(), stream->Channels(), looped, output));
  if (voice->native_ && !voice->converter_) return nullptr;
  voice->stream_ = std::move(stream);
  return voice;
}

void Voice::Cut() {
  ended_ = true;
  sound_.reset();
  converter_.reset();
}

int Voice::ReadOnce(float* out, int frames) {
  if (stream_) return stream_->Read(out, frames);
  if (!sound_) return 0;
  int64_t n = std::min<int64_t>(frames, sound_->Frames() - position_);
  if (n <= 0) return 0;
  std::memcpy(out, sound_->samples.data() + position_ * channels_,
              static_cast<size_t>(n * channels_) * sizeof(float));
  position_ += n;
  return static_cast<int>(n);
}

bool Voice::Rewind() {
  position_ = 0;
  return !stream_ || stream_->Rewind();
}

int Voice::ReadNative(float* out, int frames) {
  int got = 0;
  bool rewound = false;  // a loop that yields nothing after going round has ended
  while (got < frames && !ended_) {
    int n = ReadOnce(out + static_cast<size_t>(got) * static_cast<size_t>(channels_), frames - got);
    if (n > 0) {
      got += n;
      rewound = false;
    } else if (looped_ && !rewound && Rewind()) {
      rewound = true;
    } else {
      ended_ = true;
    }
  }
  return got;
}

int64_t Voice::ConvertedLeft() const {
  if (!converter_) return 0;
  // The sound's length at the output's rate, less what was given.
  int64_t length = (framesIn_ * outRate_ + rate_ - 1) / rate_;
  return std::max<int64_t>(0, std::min<int64_t>(converter_->Available(), length - framesOut_));
}

int Voice::Render(float* out, int frames) {
  if (!converter_) return ended_ ? 0 : ReadNative(out, frames);
  while (converter_->Available() < frames && !ended_) {
    int n = ReadNative(native_.get(), kNativeBlockFrames);
    if (n > 0 && !converter_->Put(native_.get(), n)) ended_ = true;
    framesIn_ += n;
    if (ended_) {
      // The resampler holds the last frames back for its filter: silence
      // after them pushes them out, and the length cut below drops it.
      std::fill(native_.get(), native_.get() + static_cast<size_t>(kNativeBlockFrames) * channels_, 0.0f);
      converter_->Put(native_.get(), kNativeBlockFrames);
      converter_->Flush();
    }
  }
  int wanted = ended_ ? static_cast<int>(std::min<int64_t>(frames, ConvertedLeft())) : frames;
  int got = converter_->Get(out, wanted);
  framesOut_ += got;
  return got;
}

std::shared_ptr<const DecodedSound> ConvertSound(std::shared_ptr<const DecodedSound> sound, const AudioFormat& output) {
  if (!sound || (sound->rate == output.rate && sound->channels == output.channels)) return sound;
  int64_t frames = (sound->Frames() * output.rate + sound->rate - 1) / sound->rate;
  if (frames > kMaxDecodedSamples / output.channels) return nullptr;
  std::unique_ptr<Voice> voice = Voice::OfSource(sound, false, output);
  if (!voice) return nullptr;
  auto converted = std::make_shared<DecodedSound>();
  converted->rate = output.rate;
  converted->channels = output.channels;
  converted->samples.resize(static_cast<size_t>(frames * output.channels));
  int64_t done = 0;
  while (done < frames) {
    int piece = static_cast<int>(std::min<int64_t>(frames - done, kNativeBlockFrames));
    int got = voice->Render(converted->samples.data() + done * output.channels, piece);
    if (got <= 0) break;
    done += got;
  }
  converted->samples.resize(static_cast<size_t>(done * output.channels));
  if (done == 0) return nullptr;
  return converted;
}

}  // namespace tarn::audio
