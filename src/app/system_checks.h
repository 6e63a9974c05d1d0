// The checks of the start that look at the machine: its facts gathered and
// logged, and the game's stated minimum requirements compared with them.
#pragma once

#include "diag/requirements.h"

namespace tarn {

// Gathers the machine's facts into CurrentSystemInfo(), logging them when
// asked, with the please-wait window when asked. With the guard, the marker
// file "_dxdiag" in the write folder stands while they are gathered: a run
// that finds it left behind (an earlier run hung or died there) gathers
// nothing and returns false.
bool CollectSystemInfo(bool log, bool showWindow, bool guard);

// Compares the machine with the table and tells the player. False when the
// game must not start. A failed video-memory requirement also switches the
// game to its lighter settings (16-bit textures, no render targets).
bool CheckRequirements(const Requirements& requirements);

// This host has no DirectX: the check is skipped with a log line.
bool CheckDirectXVersion();

}  // namespace tarn
