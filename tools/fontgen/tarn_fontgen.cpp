// tarn-fontgen: bitmap fonts for the engine from TrueType and OpenType fonts.
//
//   tarn-fontgen FONT.ttf SIZE OUT_BASENAME [--chars RANGES] [--padding N] [--page WxH]
#include <cstdio>
#include <string>
#include <vector>

#include "fontgen/fontgen.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  tarn::fontgen::FontgenOutcome outcome = tarn::fontgen::RunFontgen(args);
  std::fputs(outcome.out.c_str(), stdout);
  std::fputs(outcome.err.c_str(), stderr);
  return outcome.status;
}
