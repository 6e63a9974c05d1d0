#include "audio_support.h"

#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <random>

#include "platform/headless/headless_platform.h"

namespace tarn::testing {

namespace {

// libsndfile's virtual I/O writing into a string.
struct Sink {
  std::string bytes;
  sf_count_t position = 0;
};

sf_count_t SinkLength(void* user) { return static_cast<sf_count_t>(static_cast<Sink*>(user)->bytes.size()); }
sf_count_t SinkSeek(sf_count_t offset, int whence, void* user) {
  auto* sink = static_cast<Sink*>(user);
  sf_count_t base = whence == SEEK_CUR ? sink->position : whence == SEEK_END ? SinkLength(user) : 0;
  if (base + offset < 0) return -1;
  sink->position = base + offset;
  return sink->position;
}
sf_count_t SinkRead(void* out, sf_count_t count, void* user) {
  auto* sink = static_cast<Sink*>(user);
  sf_count_t left = SinkLength(user) - sink->position;
  sf_count_t n = count < left ? count : left;
  if (n <= 0) return 0;
  std::memcpy(out, sink->bytes.data() + sink->position, static_cast<size_t>(n));
  sink->position += n;
  return n;
}
sf_count_t SinkWrite(const void* data, sf_count_t count, void* user) {
  auto* sink = static_cast<Sink*>(user);
  size_t end = static_cast<size_t>(sink->position + count);
  if (sink->bytes.size() < end) sink->bytes.resize(end);
  std::memcpy(&sink->bytes[static_cast<size_t>(sink->position)], data, static_cast<size_t>(count));
  sink->position += count;
  return count;
}
sf_count_t SinkTell(void* user) { return static_cast<Sink*>(user)->position; }

}  // namespace

std::vector<float> ToneSamples(const ToneSpec& tone) {
  auto frames = static_cast<size_t>(std::lround(tone.seconds * tone.rate));
  std::vector<float> samples(frames * static_cast<size_t>(tone.channels));
  std::mt19937 random(7);
  std::uniform_real_distribution<float> noise(-tone.amplitude, tone.amplitude);
  for (size_t i = 0; i < frames; ++i) {
    float value = tone.noise ? noise(random)
                             : tone.amplitude * static_cast<float>(std::sin(2 * M_PI * tone.frequency * i / tone.rate));
    for (int c = 0; c < tone.channels; ++c) samples[i * static_cast<size_t>(tone.channels) + c] = value;
  }
  return samples;
}

std::string EncodeTone(const ToneSpec& tone, int format) {
  SF_VIRTUAL_IO io = {SinkLength, SinkSeek, SinkRead, SinkWrite, SinkTell};
  SF_INFO info{};
  info.samplerate = tone.rate;
  info.channels = tone.channels;
  info.format = format;
  Sink sink;
  SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &sink);
  if (!file) return {};
  std::vector<float> samples = ToneSamples(tone);
  sf_count_t frames = static_cast<sf_count_t>(samples.size()) / tone.channels;
  bool ok = sf_writef_float(file, samples.data(), frames) == frames;
  sf_close(file);
  return ok ? sink.bytes : std::string();
}

std::string FloatWav(const ToneSpec& tone) { return EncodeTone(tone, SF_FORMAT_WAV | SF_FORMAT_FLOAT); }

std::vector<float> Frames(const std::vector<float>& stereo, size_t from, size_t count) {
  if (stereo.size() < (from + count) * 2) return {};
  return std::vector<float>(stereo.begin() + static_cast<std::ptrdiff_t>(from * 2),
                            stereo.begin() + static_cast<std::ptrdiff_t>((from + count) * 2));
}

std::vector<float> Channel(const std::vector<float>& frames, int channels, int channel) {
  std::vector<float> out;
  for (size_t i = static_cast<size_t>(channel); i < frames.size(); i += static_cast<size_t>(channels)) {
    out.push_back(frames[i]);
  }
  return out;
}

double ToneFrequency(const std::vector<float>& samples, int rate) {
  // From the first rising crossing to the last, so partial periods at the
  // ends do not count.
  int64_t first = -1, last = -1, crossings = 0;
  for (size_t i = 1; i < samples.size(); ++i) {
    if (samples[i - 1] < 0 && samples[i] >= 0) {
      if (first < 0) first = static_cast<int64_t>(i);
      last = static_cast<int64_t>(i);
      ++crossings;
    }
  }
  if (crossings < 2) return 0;
  return static_cast<double>(crossings - 1) * rate / static_cast<double>(last - first);
}

double Peak(const std::vector<float>& samples) {
  double peak = 0;
  for (float s : samples) peak = std::max(peak, static_cast<double>(std::fabs(s)));
  return peak;
}

double Rms(const std::vector<float>& samples) {
  if (samples.empty()) return 0;
  double sum = 0;
  for (float s : samples) sum += static_cast<double>(s) * s;
  return std::sqrt(sum / static_cast<double>(samples.size()));
}

void AudioTest::SetUp() {
  EngineTest::SetUp();
  engine_ = audio::CreateSoundEngine();
  ASSERT_NE(nullptr, engine_);
  ASSERT_NE(nullptr, static_cast<HeadlessPlatform&>(Platform::Get()).Audio());
}

void AudioTest::TearDown() {
  engine_.reset();
  EngineTest::TearDown();
}

HeadlessAudioOutput& AudioTest::Output() { return *static_cast<HeadlessPlatform&>(Platform::Get()).Audio(); }

void AudioTest::Advance(int milliseconds) { Platform::Get().Sleep(milliseconds); }

std::vector<float> AudioTest::Mixed() { return Output().TakeMixed(); }

audio::SourceId AudioTest::Add(const std::string& bytes, const std::string& name) {
  return engine_->AddSource(bytes.data(), bytes.size(), name);
}

}  // namespace tarn::testing
