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

std::string FillTemplate(const std::string& format, std::initializer_list<TemplateArg> args) {
  std::string out;
  const TemplateArg* next = args.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    char spec = i + 1 < format.size() ? format[i + 1] : 0;
    if (c != '%' || !spec) {
      out += c;
      continue;
    }
    if (spec == '%') {
      out += '%';
      ++i;
      continue;
    }
    bool takesValue = spec == 's' || spec == 'S' || spec == 'd' || spec == 'i' || spec == 'u' || spec == 'c';
    if (!takesValue || next == args.end()) {
      out += c;
      continue;
    }
    const TemplateArg& arg = *next++;
    ++i;
    if (arg.kind == TemplateArg::Text) out += arg.text;
    else if (spec == 'c' || arg.kind == TemplateArg::Letter) out += arg.number ? static_cast<char>(arg.number) : ' ';
    else out += std::to_string(arg.number);
  }
  return out;
}

}  // namespace tarn
