// Host keys to the engine's key codes (the Windows virtual-key numbers).
#pragma once

#include <SDL.h>

namespace tarn {

// The virtual-key code of a key; 0 for keys the engine has no code for.
// Letters and punctuation follow the key's meaning on the active layout (as
// virtual keys do), digits and everything else the key's position. Left and
// right Shift, Ctrl and Alt give their sided codes (160 to 165).
int VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);

// A numeric keypad key with Num Lock off acts as the navigation key printed
// on it (keypad 7 is Home, 5 is Clear, the decimal point is Delete); other
// codes come back unchanged.
int NumpadWithoutNumLock(int virtualKey);

}  // namespace tarn
