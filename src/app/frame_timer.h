// The frame timer: bounded frame times, a ring of recent frame times and the
// frame-rate estimate.
#pragma once

#include <cstdint>

namespace tarn {

class FrameTimer {
 public:
  static constexpr int kRingSize = 400;

  static FrameTimer& Instance();
  FrameTimer();

  void Start(double maxFrameTime);
  double Elapsed();
  double SystemTime();
  void Reset();
  double TakeFrameTime();
  double EstimateFps() const;
  double CachedFps() const { return cachedFps; }
  // The rate as the script reads it: the cached or the current estimate,
  // truncated to a whole number of frames per second.
  double WholeFps(bool cached) const;
  double FrameTime() const { return frameTime; }

 private:
  void DetectCounter();

  bool hasPerformanceCounter = false;
  double msPerSecond = 0;
  double startMs = 0;
  int64_t frequency = 0;
  int64_t startCount = 0;
  double frameTime = 0;
  double lastTime = 0;
  double maxFrameTime = 0.1;
  int32_t ringPos = 0;
  double ring[kRingSize];
  double cachedFps = 1.0 / 60;
  double lastFpsTime = 0;
};

}  // namespace tarn
