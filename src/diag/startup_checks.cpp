#include "diag/startup_checks.h"

#include "diag/log.h"

namespace tarn {

void RunTroubleshooter() { LogInfo("Troubleshooter: not built yet, nothing shown"); }

bool CheckDirectXVersion() {
  LogInfo("DirectX version check skipped: no DirectX on this host");
  return true;
}

bool CheckRequirements(const Requirements&) {
  LogInfo("System requirement check: not built yet, skipped");
  return true;
}

}  // namespace tarn
