#include <cmath>

#include "app/frame_timer.h"
#include "platform/headless/headless_platform.h"
#include "test_support.h"

namespace tarn {
namespace {

// A fresh timer on a headless clock that the test moves by hand.
class FrameTimerTest : public testing::EngineTest {
 protected:
  HeadlessPlatform& Clock() { return static_cast<HeadlessPlatform&>(Platform::Get()); }
  void Advance(double seconds) { Clock().Sleep(static_cast<int>(std::lround(seconds * 1000))); }
};

TEST_F(FrameTimerTest, FreshTimerEstimatesSixtyAndCachesBelowOne) {
  FrameTimer timer;
  timer.Start(0.1);
  EXPECT_NEAR(60.0, timer.EstimateFps(), 1e-9);
  EXPECT_LT(timer.CachedFps(), 1.0);
}

TEST_F(FrameTimerTest, FrameTimesAreBoundedAndResetDropsElapsedTime) {
  FrameTimer timer;
  timer.Start(0.1);
  timer.Reset();
  Advance(3.0);
  EXPECT_NEAR(0.1, timer.TakeFrameTime(), 1e-12) << "a stalled frame is cut to the largest frame time";
  Advance(0.02);
  EXPECT_NEAR(0.02, timer.TakeFrameTime(), 1e-9);
  Advance(0.5);
  timer.Reset();
  EXPECT_EQ(0.0, timer.TakeFrameTime()) << "catch-up: the next frame time starts now";
  EXPECT_NEAR(3.52, timer.Elapsed(), 1e-9);
}

TEST_F(FrameTimerTest, EstimateCoversAtLeastTenFramesAndOneSecond) {
  FrameTimer timer;
  timer.Start(0.1);
  timer.Reset();
  // Two seconds at 50 frames per second, then a few zero frames that must not
  // be recorded.
  for (int i = 0; i < 100; ++i) {
    Advance(0.02);
    timer.TakeFrameTime();
  }
  for (int i = 0; i < 5; ++i) EXPECT_EQ(0.0, timer.TakeFrameTime());
  EXPECT_NEAR(50.0, timer.EstimateFps(), 1e-6);
  EXPECT_NEAR(50.0, timer.CachedFps(), 1e-6) << "refreshed once more than a second has passed";
  // Slow frames dominate once they fill a second.
  for (int i = 0; i < 12; ++i) {
    Advance(0.1);
    timer.TakeFrameTime();
  }
  EXPECT_NEAR(10.0, timer.EstimateFps(), 1e-6);
}

TEST_F(FrameTimerTest, LargestFrameTimeHasAFloor) {
  FrameTimer timer;
  timer.Start(0.0);
  timer.Reset();
  Advance(0.005);
  EXPECT_NEAR(0.001, timer.TakeFrameTime(), 1e-12);
}

TEST_F(FrameTimerTest, SteadyRatesReadAsWholeNumbers) {
  // Frame times the millisecond clock gives exactly, and the rate the script
  // reads after three seconds of them (0 frames: the fresh ring of 1/60).
  const struct {
    int frameMs;
    double fps;
  } kCases[] = {{0, 60}, {20, 50}, {25, 40}, {8, 125}, {40, 25}, {100, 10}};
  for (const auto& c : kCases) {
    FrameTimer timer;
    timer.Start(0.1);
    timer.Reset();
    for (int elapsed = 0; c.frameMs > 0 && elapsed < 3000; elapsed += c.frameMs) {
      Advance(c.frameMs / 1000.0);
      timer.TakeFrameTime();
    }
    EXPECT_EQ(c.fps, timer.WholeFps(false)) << c.frameMs << " ms frames";
    if (c.frameMs > 0) {
      EXPECT_EQ(c.fps, timer.WholeFps(true)) << c.frameMs << " ms frames, cached";
    }
  }
}

}  // namespace
}  // namespace tarn
