#include "fontgen/options.h"

#include <cstddef>

namespace tarn::fontgen {

namespace {

// A whole decimal number, or hex after 0x. Values past 0xFFFFFF stop growing,
// which is enough to refuse them.
bool ParseNumber(const std::string& text, uint32_t& value) {
  size_t pos = 0;
  uint32_t base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    pos = 2;
  }
  if (pos >= text.size()) return false;
  value = 0;
  for (; pos < text.size(); ++pos) {
    char c = text[pos];
    uint32_t digit;
    if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
    else return false;
    if (value <= 0xFFFFFF) value = value * base + digit;
  }
  return true;
}

// A decimal number from low to high.
bool ParseIntIn(const std::string& text, int low, int high, int& out) {
  uint32_t value = 0;
  if (text.find_first_not_of("0123456789") != std::string::npos) return false;  // decimal only
  if (!ParseNumber(text, value) || value < static_cast<uint32_t>(low) || value > static_cast<uint32_t>(high))
    return false;
  out = static_cast<int>(value);
  return true;
}

bool ParsePage(const std::string& text, FontgenOptions& options) {
  size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  return ParseIntIn(text.substr(0, x), kMinPageSide, kMaxPageSide, options.pageWidth) &&
         ParseIntIn(text.substr(x + 1), kMinPageSide, kMaxPageSide, options.pageHeight);
}

}  // namespace

bool ParseCharRanges(const std::string& text, std::vector<uint16_t>& characters, std::string& error) {
  std::vector<bool> wanted(0x10000, false);
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    std::string item = text.substr(start, comma - start);
    size_t dash = item.find('-');
    uint32_t low = 0, high = 0;
    bool ok = dash == std::string::npos ? ParseNumber(item, low)
                                        : ParseNumber(item.substr(0, dash), low) &&
                                              ParseNumber(item.substr(dash + 1), high);
    if (dash == std::string::npos) high = low;
    if (!ok) {
      error = "bad character range \"" + item +
              "\" (give code points or FROM-TO ranges, decimal or 0x hex, separated by commas)";
      return false;
    }
    if (high > 0xFFFF) {
      error = "character range \"" + item + "\" goes above 0xFFFF; the engine keeps 16-bit character codes";
      return false;
    }
    if (low > high) {
      error = "character range \"" + item + "\" runs backwards";
      return false;
    }
    for (uint32_t c = low; c <= high; ++c) wanted[c] = true;
    start = comma + 1;
  }
  characters.clear();
  for (uint32_t c = 0; c < wanted.size(); ++c)
    if (wanted[c]) characters.push_back(static_cast<uint16_t>(c));
  return true;
}

bool ParseFontgenArgs(const std::vector<std::string>& args, FontgenOptions& options, std::string& error) {
  std::vector<std::string> positional;
  std::string chars = kDefaultChars;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--chars" || arg == "--padding" || arg == "--page") {
      if (i + 1 >= args.size()) {
        error = arg + " needs a value";
        return false;
      }
      const std::string& value = args[++i];
      if (arg == "--chars") {
        chars = value;
      } else if (arg == "--padding") {
        if (!ParseIntIn(value, 0, kMaxPadding, options.padding) || options.padding % 2 != 0) {
          error = "padding \"" + value + "\" is not an even number from 0 to 16";
          return false;
        }
      } else if (!ParsePage(value, options)) {
        error = "page \"" + value + "\" is not WxH with each side from 16 to 2048";
        return false;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option \"" + arg + "\"";
      return false;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 3) {
    error = "expected FONT SIZE OUT_BASENAME, got " + std::to_string(positional.size()) + " arguments";
    return false;
  }
  options.fontPath = positional[0];
  if (!ParseIntIn(positional[1], kMinSize, kMaxSize, options.size)) {
    error = "size \"" + positional[1] + "\" is not a whole number of pixels from 4 to 255";
    return false;
  }
  options.outBase = positional[2];
  if (options.outBase.empty()) {
    error = "the output base name is empty";
    return false;
  }
  return ParseCharRanges(chars, options.characters, error);
}

}  // namespace tarn::fontgen
