// The "Advanced Options" window a player gets by starting the game with the
// word "options": delete the player data, open its folder, or leave.
#pragma once

namespace tarn {

// Shows the window until the player leaves it; the game does not start.
void ShowTroubleshooter();

}  // namespace tarn
