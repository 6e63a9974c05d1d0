// The requirement table a game's configuration states, at two levels: a
// machine below the warning level is warned about, one below the error level
// does not start. Configuration fills it; the check compares it with the
// machine's facts and tells the player.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "diag/system_info.h"

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

enum class RequirementKind { OperatingSystem, DirectX, SystemMemory, VideoMemory };
inline constexpr int kRequirementKinds = 4;

struct RequirementVerdict {
  int level = 0;                            // 0 nothing to tell, 1 a warning, 2 an error
  int kindLevel[kRequirementKinds] = {};   // each kind's own: 0, 1 or 2
  bool d3dMissing = false;
  bool Failed(RequirementKind kind) const { return kindLevel[static_cast<int>(kind)] > 0; }
};

// Compares the machine with both levels; a fact that is 0 (not known)
// never fails. A renderer that cannot run makes the verdict a warning.
RequirementVerdict EvaluateRequirements(const Requirements& requirements, const SystemInfo& info);

// The engine's text for a key, or the default when the string table has none.
using EngineTexts = std::function<std::string(const char* key, const char* fallback)>;

// The message for a verdict that is not 0: the header, the renderer line and
// one line per failing kind, showing the warning level's requirement where
// the table has one.
std::string RequirementMessage(const RequirementVerdict& verdict, const Requirements& requirements,
                               const SystemInfo& info, const EngineTexts& texts);

// Tells the player through a message box: a warning asks whether to go on,
// an error ends the start. True when the game may start.
bool ConfirmRequirements(const RequirementVerdict& verdict, const Requirements& requirements,
                         const SystemInfo& info, const EngineTexts& texts);

}  // namespace tarn
