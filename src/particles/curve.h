// Values that change over time: a small sorted table of keys, each a time in
// whole milliseconds and three values, read by linear interpolation.
#pragma once

#include <cstdint>

namespace tarn::particles {

class Curve {
 public:
  static constexpr int kMaxKeys = 16;

  struct Key {
    int32_t time = 0;
    float value[3] = {0, 0, 0};
  };

  // Adds a key, or replaces the values of the key already at that time.
  // False when the curve is full and the time is new: the key is dropped.
  bool Set(int32_t time, float a, float b, float c);
  // The values at 'time' ms: (0, 0, 0) without keys, the first or last key's
  // values outside their span, else interpolated between the keys around it.
  void Evaluate(int32_t time, float out[3]) const;
  float First(int32_t time) const {
    float v[3];
    Evaluate(time, v);
    return v[0];
  }

  int Count() const { return count_; }
  bool Empty() const { return count_ == 0; }
  int32_t LastTime() const { return count_ ? keys_[count_ - 1].time : 0; }
  const Key& At(int index) const { return keys_[index]; }

 private:
  Key keys_[kMaxKeys];
  int count_ = 0;
};

// Seconds as whole milliseconds, multiplied in single precision (0.7 s is
// 700 ms), truncated toward zero and kept within int32; NaN reads as 0.
int32_t ToMilliseconds(float seconds);

}  // namespace tarn::particles
