// Keyboard and mouse as the script sees them: sampled once per frame into
// struck / repeated / held / released key events, typed characters, and the
// mouse table in game coordinates.
#pragma once

#include <string>

#include "platform/platform.h"

namespace tarn {

inline constexpr int kKeyNone = 255;

int KeyCode(const char* name);
bool IsStruck(int code);
bool IsRepeat(int code);
bool IsDown(int code);
const std::string& TypedChars();

void PollKeyboard();
void PollMouse();
void ClearKeyboard();
void ResetMouse();
void AttachMouse();
void OnMouseMessage(const Message& message);
void FillMouseTable();

// The window as the mouse sees it: a full-screen window has the cursor over
// it wherever it is; the game image lies at (imageX, imageY) in the client
// area, imageWidth by imageHeight, and is gameWidth by gameHeight pixels.
struct MouseWindow {
  bool coversScreen = false;
  float imageX = 0, imageY = 0, imageWidth = 0, imageHeight = 0;
  int gameWidth = 0, gameHeight = 0;
};
// The application registers how to look at its window at start-up;
// unregistered, the window is all zeros.
void SetMouseWindow(MouseWindow (*window)());

bool InputEnabled();
void SetInputEnabled(bool enabled);

// The state of one key: 0 up, 1 released, 2 struck, 4 repeat, 8 held.
int KeyState(int code);

// Back to the state of a fresh process (tests).
void ResetInputForTests();

}  // namespace tarn
