// The headless sound output: pulled for exactly the frames the virtual clock
// has reached, and keeping only the newest mixed frames up to its bound.
#include <algorithm>
#include <cmath>

#include "audio_support.h"
#include "platform/headless/headless_platform.h"

namespace tarn::testing {
namespace {

TEST(HeadlessAudio, PullsTheFramesTheClockHasReached) {
  const struct {
    const char* name;
    double dt;
    int passes;
    int sleepMs;
  } cases[] = {{"60 passes of a 60th", 0.0166667, 60, 0},
               {"7 passes of 1 ms", 0.001, 7, 0},
               {"sleeps only", 0.0166667, 0, 1234},
               {"both", 0.02, 3, 50}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HeadlessOptions options;
    options.dt = c.dt;
    HeadlessPlatform platform(options, stderr);
    auto output = platform.OpenAudioOutput();
    ASSERT_NE(nullptr, output);
    EXPECT_EQ(nullptr, platform.OpenAudioOutput());  // one at a time
    int64_t pulled = 0;
    output->Start([&pulled](float*, int frames) { pulled += frames; });
    Message message;
    for (int pass = 0; pass < c.passes; ++pass) {
      while (platform.PeekMessage(message)) {
      }
    }
    platform.Sleep(c.sleepMs);
    int64_t ns = c.passes * std::llround(c.dt * 1e9) + int64_t{c.sleepMs} * 1000000;
    EXPECT_EQ(ns * 48000 / 1000000000, pulled);
    EXPECT_EQ(pulled, platform.Audio()->FramesPulled());
    output.reset();
    EXPECT_EQ(nullptr, platform.Audio());
  }
}

TEST(HeadlessAudio, KeepsTheNewestFramesUpToItsBound) {
  HeadlessOptions options;
  options.audioKeepSeconds = 0.1;
  HeadlessPlatform platform(options, stderr);
  auto output = platform.OpenAudioOutput();
  int64_t next = 0;  // each sample is its frame's number
  output->Start([&next](float* out, int frames) {
    for (int i = 0; i < frames; ++i, ++next) out[2 * i] = out[2 * i + 1] = static_cast<float>(next);
  });
  const int waits[] = {50, 1000, 30, 0};
  int64_t total = 0;
  for (int ms : waits) {
    SCOPED_TRACE(ms);
    platform.Sleep(ms);
    total += ms * 48;
    std::vector<float> kept = static_cast<HeadlessAudioOutput&>(*output).TakeMixed();
    int64_t expected = std::min<int64_t>(ms * 48, 4800);
    ASSERT_EQ(static_cast<size_t>(expected * 2), kept.size());
    if (expected > 0) {
      EXPECT_EQ(static_cast<float>(total - 1), kept.back());
      EXPECT_EQ(static_cast<float>(total - expected), kept.front());
    }
  }
}

TEST(HeadlessAudio, NoOutputWhenTurnedOffOrMisshapen) {
  HeadlessOptions off;
  off.audio = false;
  HeadlessOptions noChannels;
  noChannels.audioFormat.channels = 0;
  HeadlessOptions noRate;
  noRate.audioFormat.rate = 0;
  for (const HeadlessOptions& options : {off, noChannels, noRate}) {
    HeadlessPlatform platform(options, stderr);
    EXPECT_EQ(nullptr, platform.OpenAudioOutput());
  }
}

}  // namespace
}  // namespace tarn::testing
