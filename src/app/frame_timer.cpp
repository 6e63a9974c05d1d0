#include "app/frame_timer.h"

#include <algorithm>
#include <cmath>

#include "platform/platform.h"

namespace tarn {

namespace {
// Sums of frame times miss whole values by rounding: sixty frames of 1/60
// add up to just below one second. Within this much, a value is whole.
constexpr double kRoundingSlack = 1e-9;
constexpr double kLargestRate = 1e9;
}  // namespace

FrameTimer& FrameTimer::Instance() {
  static FrameTimer timer;
  return timer;
}

FrameTimer::FrameTimer() {
  std::fill(ring, ring + kRingSize, 1.0 / 60);
  DetectCounter();
}

void FrameTimer::DetectCounter() {
  int64_t ticks = 0;
  if (Platform::Get().PerformanceFrequency(ticks) && ticks > 0) {
    frequency = ticks;
    hasPerformanceCounter = true;
  } else {
    hasPerformanceCounter = false;
    msPerSecond = 1000;
  }
}

void FrameTimer::Start(double maxTime) {
  DetectCounter();
  maxFrameTime = std::max(maxTime, 0.001);
  if (hasPerformanceCounter) startCount = Platform::Get().PerformanceCounter();
  else startMs = Platform::Get().MillisecondClock();
}

double FrameTimer::Elapsed() {
  if (hasPerformanceCounter)
    return static_cast<double>(Platform::Get().PerformanceCounter() - startCount) / static_cast<double>(frequency);
  return (Platform::Get().MillisecondClock() - startMs) / msPerSecond;
}

double FrameTimer::SystemTime() {
  if (hasPerformanceCounter)
    return static_cast<double>(Platform::Get().PerformanceCounter()) / static_cast<double>(frequency);
  return Platform::Get().MillisecondClock() / msPerSecond;
}

void FrameTimer::Reset() {
  lastTime = Elapsed();
  frameTime = 0.001;
}

double FrameTimer::TakeFrameTime() {
  double now = Elapsed();
  frameTime = now - lastTime;
  lastTime = now;
  if (frameTime > maxFrameTime) frameTime = maxFrameTime;
  if (frameTime > 0 && frameTime <= 2.0) {
    ringPos = ringPos == kRingSize - 1 ? 0 : ringPos + 1;
    ring[ringPos] = frameTime;
  }
  if (now - lastFpsTime > 1.0) {
    cachedFps = EstimateFps();
    lastFpsTime = now;
  }
  return frameTime;
}

double FrameTimer::EstimateFps() const {
  double sum = 0;
  int count = 0;
  int index = ringPos;
  auto take = [&]() {
    sum += ring[index];
    ++count;
    index = index == 0 ? kRingSize - 1 : index - 1;
  };
  for (int i = 0; i < 10; ++i) take();
  // Samples are positive, so the walk always reaches a second; the bound only
  // guards against a ring that somehow holds no time at all.
  while (sum < 1.0 - kRoundingSlack && count < 1000000) take();
  return count / sum;
}

double FrameTimer::WholeFps(bool cached) const {
  double fps = cached ? cachedFps : EstimateFps();
  if (!(fps < kLargestRate)) return kLargestRate;
  return std::trunc(std::round(fps / kRoundingSlack) * kRoundingSlack);
}

}  // namespace tarn
