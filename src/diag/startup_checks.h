// The checks of the configuration stage that belong to other subsystems: the
// troubleshooter window, the DirectX version and the system
// requirements. Until each is built, its entry point logs what it skipped.
#pragma once

#include "diag/requirements.h"

namespace tarn {

void RunTroubleshooter();
// False when the game must not start.
bool CheckDirectXVersion();
bool CheckRequirements(const Requirements& requirements);

}  // namespace tarn
