// The command line of tarn-fontgen:
//   tarn-fontgen FONT.ttf SIZE OUT_BASENAME [--chars RANGES] [--padding N] [--page WxH]
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::fontgen {

inline constexpr int kMinSize = 4;
inline constexpr int kMaxSize = 255;
inline constexpr int kMaxPadding = 16;
inline constexpr int kMinPageSide = 16;
// Every page of a font is held in memory while the font is baked, so the
// pages stay at sizes every renderer takes.
inline constexpr int kMaxPageSide = 2048;
inline constexpr char kDefaultChars[] = "33-126,160-255";  // Latin-1 without the space

struct FontgenOptions {
  std::string fontPath;
  int size = 0;
  std::string outBase;
  std::vector<uint16_t> characters;  // ascending, each once
  int padding = 0;
  int pageWidth = 256;
  int pageHeight = 256;
};

// Reads the arguments after the program name. False with a one-line reason
// for anything that is not a valid command line.
bool ParseFontgenArgs(const std::vector<std::string>& args, FontgenOptions& options, std::string& error);

// Comma-separated code points and FROM-TO ranges, decimal or 0x hex, into
// ascending character codes. Codes above 0xFFFF are refused.
bool ParseCharRanges(const std::string& text, std::vector<uint16_t>& characters, std::string& error);

}  // namespace tarn::fontgen
