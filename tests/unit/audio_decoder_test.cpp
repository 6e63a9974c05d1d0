// Decoding sounds whole from memory: every format Debian's libsndfile reads,
// and damaged data refused without a crash.
#include <sndfile.h>

#include <cmath>
#include <random>

#include "audio/decoder.h"
#include "audio_support.h"

namespace tarn::testing {
namespace {

using audio::DecodeWhole;

struct FormatCase {
  const char* name;
  int format;
  int rate;
  int channels;
  bool lossless;
};

const FormatCase kFormats[] = {
    {"wav float", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, true},
    {"wav pcm16 mono", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, true},
    {"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, true},
    {"ogg vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, false},
    {"opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 2, false},
    {"mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, false},
};

TEST(AudioDecoder, DecodesEveryFormatToItsTone) {
  for (const FormatCase& c : kFormats) {
    SCOPED_TRACE(c.name);
    ToneSpec tone;
    tone.rate = c.rate;
    tone.channels = c.channels;
    tone.frequency = 440;
    tone.seconds = 0.5;
    std::string bytes = EncodeTone(tone, c.format);
    ASSERT_FALSE(bytes.empty());
    auto sound = DecodeWhole(bytes.data(), bytes.size());
    ASSERT_NE(nullptr, sound);
    EXPECT_EQ(c.rate, sound->rate);
    EXPECT_EQ(c.channels, sound->channels);
    int64_t frames = std::lround(tone.seconds * tone.rate);
    // Lossy coders pad or trim a little at the ends.
    EXPECT_NEAR(static_cast<double>(frames), static_cast<double>(sound->Frames()), c.lossless ? 0 : frames * 0.1);
    // Lossy coders ramp in and out: the middle of the tone is measured.
    std::vector<float> left = Channel(sound->samples, c.channels, 0);
    left = std::vector<float>(left.begin() + left.size() / 5, left.end() - left.size() / 5);
    EXPECT_NEAR(440.0, ToneFrequency(left, c.rate), 1.0);
    EXPECT_NEAR(tone.amplitude, Peak(left), c.lossless ? 1e-3 : 0.08);
  }
}

TEST(AudioDecoder, LosslessSamplesAreExact) {
  ToneSpec tone;
  std::vector<float> expected = ToneSamples(tone);
  std::string bytes = FloatWav(tone);
  auto sound = DecodeWhole(bytes.data(), bytes.size());
  ASSERT_NE(nullptr, sound);
  EXPECT_EQ(expected, sound->samples);
}

std::string Garbage(size_t size, const std::string& prefix) {
  std::mt19937 random(3);
  std::string bytes = prefix;
  while (bytes.size() < size) bytes += static_cast<char>(random() & 0xFF);
  return bytes;
}

TEST(AudioDecoder, RefusesDamagedData) {
  ToneSpec tone;
  std::string wav = FloatWav(tone);
  std::string flac = EncodeTone(tone, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  std::string ogg = EncodeTone(tone, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"noise", Garbage(4096, "")},
      {"riff header then noise", Garbage(4096, "RIFF\x10\0\0\0WAVEfmt ")},
      {"ogg page magic then noise", Garbage(4096, "OggS")},
      {"flac magic then noise", Garbage(4096, "fLaC")},
      {"wav cut inside its header", wav.substr(0, 30)},
      {"flac cut in half", flac.substr(0, flac.size() / 2)},
      {"flac header only", flac.substr(0, 200)},
      {"ogg cut after its headers", ogg.substr(0, 300)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(nullptr, DecodeWhole(c.bytes.data(), c.bytes.size()));
  }
}

// A FLAC header may promise any length: it is checked against the bound
// before anything is allocated for it.
TEST(AudioDecoder, RefusesADeclaredLengthBeyondTheBound) {
  ToneSpec tone;
  std::string flac = EncodeTone(tone, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  ASSERT_GT(flac.size(), 26u);
  ASSERT_EQ("fLaC", flac.substr(0, 4));
  // STREAMINFO's 36-bit total of frames: the low nibble of byte 21 and bytes 22 to 25.
  flac[21] = static_cast<char>(flac[21] | 0x0F);
  for (int i = 22; i < 26; ++i) flac[i] = static_cast<char>(0xFF);
  EXPECT_EQ(nullptr, DecodeWhole(flac.data(), flac.size()));
}

}  // namespace
}  // namespace tarn::testing
