#include "particles/curve.h"

#include <cmath>
#include <cstdint>

namespace tarn::particles {

bool Curve::Set(int32_t time, float a, float b, float c) {
  int at = 0;
  while (at < count_ && keys_[at].time < time) ++at;
  if (at < count_ && keys_[at].time == time) {
    keys_[at].value[0] = a, keys_[at].value[1] = b, keys_[at].value[2] = c;
    return true;
  }
  if (count_ == kMaxKeys) return false;
  for (int i = count_; i > at; --i) keys_[i] = keys_[i - 1];
  keys_[at].time = time;
  keys_[at].value[0] = a, keys_[at].value[1] = b, keys_[at].value[2] = c;
  ++count_;
  return true;
}

void Curve::Evaluate(int32_t time, float out[3]) const {
  if (count_ == 0) {
    out[0] = out[1] = out[2] = 0;
    return;
  }
  const Key* key = nullptr;
  if (time <= keys_[0].time) key = &keys_[0];
  if (time >= keys_[count_ - 1].time) key = &keys_[count_ - 1];
  if (key) {
    out[0] = key->value[0], out[1] = key->value[1], out[2] = key->value[2];
    return;
  }
  // keys_[low].time < time < keys_[high].time, or a key exactly at time.
  int low = 0, high = count_ - 1;
  while (high - low > 1) {
    int middle = (low + high) / 2;
    if (keys_[middle].time == time) {
      out[0] = keys_[middle].value[0], out[1] = keys_[middle].value[1], out[2] = keys_[middle].value[2];
      return;
    }
    (keys_[middle].time < time ? low : high) = middle;
  }
  const Key& k0 = keys_[low];
  const Key& k1 = keys_[high];
  float f = static_cast<float>(time - k0.time) / static_cast<float>(k1.time - k0.time);
  for (int i = 0; i < 3; ++i) out[i] = k0.value[i] + (k1.value[i] - k0.value[i]) * f;
}

int32_t ToMilliseconds(float seconds) {
  double ms = static_cast<double>(seconds * 1000.0f);
  if (!(ms == ms)) return 0;
  if (ms >= 2147483647.0) return INT32_MAX;
  if (ms <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(ms);
}

}  // namespace tarn::particles
