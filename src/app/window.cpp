#include "app/window.h"

#include "app/app.h"
#include "app/graphics_setup.h"
#include "app/settings.h"
#include "diag/error.h"
#include "diag/log.h"
#include "graphics/render.h"
#include "platform/keys.h"
#include "resources/filesystem.h"
#include "script/input.h"
#include "script/lua.h"

#include <cmath>

namespace tarn {

namespace {
const char* TrueFalse(bool value) { return value ? "true" : "false"; }

// The OpenGL context and the render device on it.
bool InitOpenGLWindow() {
  Platform& platform = Platform::Get();
  if (!platform.CreateGLContext(App().bit16)) {
    FatalError("OpenGL error: Can't Create A GL Rendering Context.");
    return false;
  }
  if (!gfx::RenderDevice::Instance().InitDevice(gfx::CreateOpenGLBackend(), MainDeviceSetup())) {
    platform.DestroyGLContext();
    return false;
  }
  return true;
}
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
  request.showCursor = App().hardwareCursor;
  if (!platform.CreateWindow(request)) {
    FatalError("%s", fatal_text::kCreateWindow);
    return false;
  }
  display.fullScreenWindow = fullScreen;
  platform.ClientSize(display.clientWidth, display.clientHeight);
  if (Cfg().opengl && !InitOpenGLWindow()) {
    FatalError("%s", fatal_text::kInitOpenGLWindow);
    return false;
  }
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
      if (message.param == kKeyAlt || message.param == kKeyF10) return;
      break;
    default:
      break;
  }
  OnMouseMessage(message);
}

void ShownImageRect(bool aspect, float& x, float& y, float& width, float& height) {
  const Display& display = GetDisplay();
  float cw = static_cast<float>(display.clientWidth), ch = static_cast<float>(display.clientHeight);
  float ga = static_cast<float>(display.gameWidth) / static_cast<float>(display.gameHeight);
  float wa = cw / ch;
  x = y = 0;
  width = cw;
  height = ch;
  if (aspect && std::abs(wa - ga) > 0.001f) {
    if (wa > ga) {
      height = ch;
      width = ga * ch;
    } else {
      width = cw;
      height = cw / ga;
    }
    x = (cw - width) * 0.5f;
    y = (ch - height) * 0.5f;
  }
}

void SetHardwareCursor(bool show) {
  Application& app = App();
  if (app.hardwareCursor == show) return;
  app.hardwareCursor = show;
  Platform::Get().ShowCursor(show);
}

}  // namespace tarn
