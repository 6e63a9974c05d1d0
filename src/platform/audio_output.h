// Sound output of the host: a device that pulls mixed float frames from a
// callback, and a converter of sample rate and channel count between two
// formats. The SDL platform plays on the default device; the headless one
// pulls as its virtual clock advances and keeps what it was given.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace tarn {

struct AudioFormat {
  int rate = 48000;         // frames a second
  int channels = 2;         // interleaved
  int bufferFrames = 1024;  // frames the output pulls at a time (at most)
};

// Fills 'frames' interleaved float frames of the output's format. An output
// calls it on a thread of its own (SDL) or on the thread that advances its
// clock (headless), never two calls at once.
using AudioPull = std::function<void(float* out, int frames)>;

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;  // stops pulling before it returns
  virtual const AudioFormat& Format() const = 0;
  // Begins pulling; called once.
  virtual void Start(AudioPull pull) = 0;
};

// Turns float frames of one rate and channel count into another. Not shared
// between threads.
class AudioConverter {
 public:
  virtual ~AudioConverter() = default;
  // Takes 'frames' frames of the input format; false on failure.
  virtual bool Put(const float* in, int frames) = 0;
  // The input has ended: what is held back for filtering becomes available.
  virtual void Flush() = 0;
  // Up to 'frames' frames of the output format; how many were written.
  virtual int Get(float* out, int frames) = 0;
  // Output frames ready to Get.
  virtual int Available() const = 0;
};

// A converter from 'rate'/'channels' to 'outRate'/'outChannels' (channels
// 1 to 8, rates 1 Hz to 384 kHz); null when the formats are not supported.
std::unique_ptr<AudioConverter> CreateAudioConverter(int rate, int channels, int outRate, int outChannels);

}  // namespace tarn
