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

bool InputEnabled();
void SetInputEnabled(bool enabled);

// The state of one key: 0 up, 1 released, 2 struck, 4 repeat, 8 held.
int KeyState(int code);

// Back to the state of a fresh process (tests).
void ResetInputForTests();

}  // namespace tarn
