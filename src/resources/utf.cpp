#include "resources/utf.h"

namespace tarn {

std::u16string Utf8ToUtf16(const std::string& text, int maxUnits) {
  std::u16string out;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.c_str());
  const unsigned char* end = p + text.size();
  while (p < end && *p != 0 && (maxUnits < 0 || static_cast<int>(out.size()) < maxUnits)) {
    unsigned char lead = *p;
    int n = 0;
    for (int bit = 7; bit >= 3 && (lead & (1 << bit)); --bit) ++n;
    if (n == 0) {
      out += static_cast<char16_t>(lead);
      ++p;
      continue;
    }
    bool complete = true;
    for (int i = 1; i < n; ++i) {
      if (p + i >= end || !(p[i] & 0x80)) {
        // Broken sequence: skip the lead and the continuation bytes present.
        p += i;
        complete = false;
        break;
      }
    }
    if (!complete) continue;
    unsigned value = n == 1 ? (lead & 0x3Fu) : (lead & ((1u << (7 - n)) - 1));
    for (int i = 1; i < n; ++i) value = (value << 6) | (p[i] & 0x3Fu);
    out += static_cast<char16_t>(value & 0xFFFF);
    p += n;
  }
  return out;
}

std::string Utf16ToUtf8(const std::u16string& text, int maxBytes) {
  std::string out;
  for (char16_t unit : text) {
    if (unit == 0) break;
    size_t bytes = unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
    if (maxBytes >= 0 && out.size() + bytes >= static_cast<size_t>(maxBytes)) break;
    if (bytes == 1) {
      out += static_cast<char>(unit);
    } else if (bytes == 2) {
      out += static_cast<char>(0xC0 | (unit >> 6));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (unit >> 12));
      out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  return out;
}

}  // namespace tarn
