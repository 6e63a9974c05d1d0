// tarn-fontgen: bakes a TrueType or OpenType font at one pixel size into the
// engine's bitmap font files (see font_files.h).
#pragma once

#include <string>
#include <vector>

namespace tarn::fontgen {

struct FontgenOutcome {
  int status = 0;   // 0 done, 1 an output file could not be written, 2 refused
  std::string out;  // for standard output
  std::string err;  // for standard error
};

// Runs the tool on the arguments after the program name.
FontgenOutcome RunFontgen(const std::vector<std::string>& args);

}  // namespace tarn::fontgen
