// Little-endian fields in byte buffers, as the image and texture formats
// store them.
#pragma once

#include <cstdint>

namespace tarn::gfx {

inline uint32_t Get32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}

// The four characters of a format tag as the 32-bit field that holds them.
inline uint32_t FourCC(const char* text) { return Get32(reinterpret_cast<const uint8_t*>(text)); }

inline void Put16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

inline void Put32(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
  at[2] = static_cast<uint8_t>(value >> 16);
  at[3] = static_cast<uint8_t>(value >> 24);
}

}  // namespace tarn::gfx
