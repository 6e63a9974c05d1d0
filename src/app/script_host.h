// What the application hands the script host at start-up: the seams through
// which script reaches the game's files, window and settings without knowing
// the layers above it.
#pragma once

namespace tarn {

// Registers the application's side of every script seam; call before the
// script state starts.
void ConnectScriptHost();

}  // namespace tarn
