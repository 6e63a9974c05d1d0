// The main window: display settings, window creation and the window procedure.
#pragma once

#include "platform/platform.h"

namespace tarn {

struct Display {
  int requestedWidth = 800;
  int requestedHeight = 600;
  int gameWidth = 0;
  int gameHeight = 0;
  int clientWidth = 0;
  int clientHeight = 0;
  bool fullScreenWindow = false;
  bool aspectCorrection = true;
  bool useMainRenderTarget = true;
  int closeSource = 0;  // 1: the system is ending the session, 2: the close command
};

Display& GetDisplay();

// Creates the window for the mode; false (after a fatal error) on failure.
bool CreateAppWindow(int width, int height, bool fullScreen);

// Handles one window message.
void WindowProc(const Message& message);

// Where the game image lies in the client area.
void ShownImageRect(bool aspect, float& x, float& y, float& width, float& height);

// Shows the system arrow over the window, or no cursor.
void SetHardwareCursor(bool show);

}  // namespace tarn
