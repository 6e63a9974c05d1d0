#include "app/window.h"

#include "app/app.h"
#include "app/settings.h"
#include "diag/error.h"
#include "diag/log.h"
#include "resources/filesystem.h"
#include "script/lua.h"

namespace tarn {

namespace {
constexpr int kVkAlt = 18;
constexpr int kVkF10 = 121;
const char* TrueFalse(bool value) { return value ? "true" : "false"; }
}  // namespace

Display& GetDisplay() {
  static Display display;
  return display;
}

bool CreateAppWindow(int width, int height, bool fullScreen) {
  LogInfo("CreateAppWindow - width=%d height=%d fullScreen=%s", width, height, TrueFalse(fullScreen));
  Display& display = GetDisplay();
  Platform& platform = Platform::Get();
  display.gameWidth = width;
  display.gameHeight = height;
  WindowRequest request;
  request.title = FileSystem::Instance().AppName();
  request.width = width;
  request.height = height;
  request.fullScreen = fullScreen;
  request.openGL = Cfg().opengl;
  if (fullScreen) {
    display.useMainRenderTarget = Cfg().renderTargetInFullScreen;
    if (display.useMainRenderTarget) platform.ScreenSize(request.width, request.height);
  } else {
    display.useMainRenderTarget = Cfg().renderTargetInWindow;
  }
  if (!platform.CreateWindow(request)) {
    FatalError("%s", fatal_text::kCreateWindow);
    return false;
  }
  display.fullScreenWindow = fullScreen;
  platform.ClientSize(display.clientWidth, display.clientHeight);
  LogInfo("CreateAppWindow done - width=%d height=%d fullScreen=%s", request.width, request.height,
          TrueFalse(fullScreen));
  return true;
}

void WindowProc(const Message& message) {
  Application& app = App();
  Display& display = GetDisplay();
  switch (message.type) {
    case MsgType::Size:
      app.minimized = message.param == 1;
      break;
    case MsgType::ActivateApp:
      app.active = message.param != 0;
      break;
    case MsgType::SysCommandClose:
      display.closeSource = 2;
      break;
    case MsgType::QueryEndSession:
    case MsgType::EndSession:
      display.closeSource = 1;
      break;
    case MsgType::Close:
      if (Cfg().confirm_exit && display.closeSource == 2) {
        display.closeSource = 0;
        if (ScriptExit()) return;
      }
      Platform::Get().PostMessage({MsgType::Quit, 0, 0, 0});
      return;
    case MsgType::SysKeyDown:
      if (message.param == kVkAlt || message.param == kVkF10) return;
      break;
    default:
      break;
  }
  // Keyboard and mouse messages reach the input state here once it exists.
}

}  // namespace tarn
