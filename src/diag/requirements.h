// The requirement table a game's configuration states, at two levels: a
// machine below the warning level is warned about, one below the error level
// does not start. Configuration fills it, the system checks read it.
#pragma once

#include <cstdint>
#include <string>

namespace tarn {

struct RequirementLevel {
  int osMajor = 0;
  int osMinor = 0;
  std::string osName;  // at most 99 characters
  int dxMajor = 0;
  int dxMinor = 0;
  char dxLetter = 0;
  uint64_t systemMemory = 0;  // bytes; 0: no requirement
  uint64_t videoMemory = 0;
};

struct Requirements {
  RequirementLevel warning;
  RequirementLevel error;
};

}  // namespace tarn
