// The engine's UTF-8 / UTF-16 converters, used wherever text meets the host.
// Characters beyond U+FFFF are kept as their low 16 bits (no surrogate pairs).
#pragma once

#include <string>

namespace tarn {

// maxUnits < 0: no limit. Stops at the first zero byte.
std::u16string Utf8ToUtf16(const std::string& text, int maxUnits = -1);
// maxBytes counts the terminator, as a fixed buffer would: at most maxBytes-1
// bytes result. maxBytes < 0: no limit.
std::string Utf16ToUtf8(const std::u16string& text, int maxBytes = -1);

}  // namespace tarn
