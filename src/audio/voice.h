// One playback's frames in the output's format: a decoded source or a
// stream, looped or not, through a rate and channel converter when its
// format is not the output's.
#pragma once

#include <memory>

#include "audio/decoder.h"
#include "platform/audio_output.h"

namespace tarn::audio {

class Voice {
 public:
  // Null when no converter exists between the formats.
  static std::unique_ptr<Voice> OfSource(std::shared_ptr<const DecodedSound> sound, bool looped,
                                         const AudioFormat& output);
  static std::unique_ptr<Voice> OfStream(std::unique_ptr<StreamDecoder> stream, bool looped,
                                         const AudioFormat& output);

  // Writes up to 'frames' frames of the output's format; fewer once the
  // sound has ended (then Ended() is true).
  int Render(float* out, int frames);
  bool Ended() const { return ended_ && ConvertedLeft() == 0; }
  // Stops reading the sound (it may be gone); the voice has ended.
  void Cut();
  const DecodedSound* Sound() const { return sound_.get(); }

 private:
  Voice(int rate, int channels, bool looped, const AudioFormat& output);
  // Frames of the sound's own format, going round when looped.
  int ReadNative(float* out, int frames);
  int ReadOnce(float* out, int frames);
  bool Rewind();
  // Converted frames still to give once the sound has ended.
  int64_t ConvertedLeft() const;

  std::shared_ptr<const DecodedSound> sound_;
  int64_t position_ = 0;  // next frame of sound_
  std::unique_ptr<StreamDecoder> stream_;
  int channels_;
  bool looped_;
  bool ended_ = false;
  std::unique_ptr<AudioConverter> converter_;
  int outRate_;
  int rate_;
  // Through the converter: frames of the sound put in, frames given out.
  int64_t framesIn_ = 0;
  int64_t framesOut_ = 0;
  std::unique_ptr<float[]> native_;  // a block of the sound's own frames for the converter
};

// The sound in the output's format, converted once so that its playbacks
// only copy; the sound itself when it is in that format already. Null when
// no converter exists or the result would exceed kMaxDecodedSamples.
std::shared_ptr<const DecodedSound> ConvertSound(std::shared_ptr<const DecodedSound> sound, const AudioFormat& output);

}  // namespace tarn::audio
