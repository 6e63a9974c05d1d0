// Host keys to the engine's key codes (the Windows virtual-key numbers).
#pragma once

#include <SDL.h>

namespace tarn {

// 0 for keys the engine has no code for.
int VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);

}  // namespace tarn
