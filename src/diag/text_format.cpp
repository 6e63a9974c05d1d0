#include "diag/text_format.h"

#include <cstdio>
#include <vector>

namespace tarn {

std::string FormatV(const char* format, va_list args) {
  if (!format) return std::string();
  char small[512];
  va_list copy;
  va_copy(copy, args);
  int needed = vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (needed < 0) return std::string();
  if (static_cast<size_t>(needed) < sizeof small) return std::string(small, static_cast<size_t>(needed));
  std::vector<char> big(static_cast<size_t>(needed) + 1);
  vsnprintf(big.data(), big.size(), format, args);
  return std::string(big.data(), static_cast<size_t>(needed));
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  return text;
}

}  // namespace tarn
