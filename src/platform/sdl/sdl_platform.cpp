#include "platform/sdl/sdl_platform.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/sdl/sdl_keys.h"

namespace tarn {

namespace {

constexpr int kVkAlt = 18;
constexpr int kVkF10 = 121;

const char* ButtonText(BoxAnswer answer) {
  switch (answer) {
    case BoxAnswer::Ok: return "OK";
    case BoxAnswer::Cancel: return "Cancel";
    case BoxAnswer::Yes: return "Yes";
    case BoxAnswer::No: return "No";
    case BoxAnswer::Abort: return "Abort";
    case BoxAnswer::Retry: return "Retry";
    case BoxAnswer::Ignore: return "Ignore";
  }
  return "OK";
}

// Decodes one UTF-8 character; advances 'p'.
int NextCodePoint(const unsigned char*& p) {
  int c = *p++;
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  if (extra) c &= 0x3F >> extra;
  for (; extra > 0 && (*p & 0xC0) == 0x80; --extra) c = (c << 6) | (*p++ & 0x3F);
  return c;
}

}  // namespace

SdlPlatform::SdlPlatform() { SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0"); }

SdlPlatform::~SdlPlatform() {
  DestroyWindow();
  if (videoReady_) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER);
  SDL_Quit();
}

bool SdlPlatform::InitVideo() const {
  if (!videoReady_) videoReady_ = SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_TIMER) == 0;
  return videoReady_;
}

bool SdlPlatform::CreateWindow(const WindowRequest& request) {
  if (!InitVideo()) return false;
  DestroyWindow();
  if (request.openGL) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  }
  Uint32 flags = SDL_WINDOW_SHOWN | (request.openGL ? SDL_WINDOW_OPENGL : 0);
  int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
  if (request.fullScreen) {
    flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP;
    x = y = 0;
  }
  window_ = SDL_CreateWindow(request.title.c_str(), x, y, request.width, request.height, flags);
  if (!window_) return false;
  SDL_RaiseWindow(window_);
  ShowCursor(request.showCursor);
  SDL_StartTextInput();
  return true;
}

void SdlPlatform::DestroyWindow() {
  DestroyGLContext();
  if (!window_) return;
  SDL_StopTextInput();
  SDL_DestroyWindow(window_);
  window_ = nullptr;
}

void SdlPlatform::ClientSize(int& width, int& height) const {
  width = height = 0;
  if (window_) SDL_GetWindowSize(window_, &width, &height);
}

void SdlPlatform::ScreenSize(int& width, int& height) const {
  SDL_DisplayMode mode;
  if (InitVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    width = mode.w;
    height = mode.h;
  } else {
    width = 1920;
    height = 1080;
  }
}

void SdlPlatform::SetTitle(const std::string& title) {
  if (window_) SDL_SetWindowTitle(window_, title.c_str());
}

void SdlPlatform::Translate(const SDL_Event& event) {
  auto post = [this](MsgType type, int param = 0, int x = 0, int y = 0) { queue_.push_back({type, param, x, y}); };
  switch (event.type) {
    case SDL_QUIT:
      post(MsgType::SysCommandClose);
      post(MsgType::Close);
      break;
    case SDL_APP_TERMINATING:
      post(MsgType::QueryEndSession);
      post(MsgType::EndSession);
      post(MsgType::Close);
      break;
    case SDL_WINDOWEVENT:
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          post(MsgType::SysCommandClose);
          post(MsgType::Close);
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: post(MsgType::ActivateApp, 1); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: post(MsgType::ActivateApp, 0); break;
        case SDL_WINDOWEVENT_MINIMIZED: post(MsgType::Size, 1); break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SHOWN: post(MsgType::Size, 0); break;
        default: break;
      }
      break;
    case SDL_MOUSEMOTION:
      post(MsgType::MouseMove, 0, event.motion.x, event.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      int button = event.button.button == SDL_BUTTON_LEFT ? 0 : event.button.button == SDL_BUTTON_RIGHT ? 1
                 : event.button.button == SDL_BUTTON_MIDDLE ? 2 : -1;
      if (button >= 0)
        post(event.type == SDL_MOUSEBUTTONDOWN ? MsgType::MouseDown : MsgType::MouseUp, button, event.button.x,
             event.button.y);
      break;
    }
    case SDL_MOUSEWHEEL:
      if (event.wheel.y != 0) post(MsgType::MouseWheel, event.wheel.y > 0 ? 1 : -1);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      int vk = VirtualKeyFromSdl(event.key.keysym.sym, event.key.keysym.scancode);
      if (vk == 0) break;
      bool down = event.type == SDL_KEYDOWN;
      bool system = down && (vk == kVkAlt || vk == kVkF10 || (event.key.keysym.mod & KMOD_ALT));
      post(system ? MsgType::SysKeyDown : down ? MsgType::KeyDown : MsgType::KeyUp, vk);
      break;
    }
    case SDL_TEXTINPUT: {
      const unsigned char* p = reinterpret_cast<const unsigned char*>(event.text.text);
      while (*p) post(MsgType::Char, NextCodePoint(p));
      break;
    }
    default:
      break;
  }
}

bool SdlPlatform::PeekMessage(Message& out) {
  if (queue_.empty() && videoReady_) {
    SDL_Event event;
    while (queue_.empty() && SDL_PollEvent(&event)) Translate(event);
  }
  if (queue_.empty()) return false;
  out = queue_.front();
  queue_.pop_front();
  return true;
}

BoxAnswer SdlPlatform::ShowMessageBox(const MessageBoxRequest& request) {
  int count = BoxButtonCount(request.buttons);
  SDL_MessageBoxButtonData buttons[3];
  for (int i = 0; i < count; ++i) {
    buttons[i].flags = i == request.defaultButton ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
    buttons[i].buttonid = i;
    buttons[i].text = ButtonText(BoxButtonAnswer(request.buttons, i));
  }
  SDL_MessageBoxData data{};
  data.flags = request.icon == BoxIcon::Error     ? SDL_MESSAGEBOX_ERROR
               : request.icon == BoxIcon::Warning ? SDL_MESSAGEBOX_WARNING
                                                  : SDL_MESSAGEBOX_INFORMATION;
  data.window = window_;
  data.title = request.caption.c_str();
  data.message = request.text.c_str();
  data.numbuttons = count;
  data.buttons = buttons;
  int chosen = -1;
  if (SDL_ShowMessageBox(&data, &chosen) != 0 || chosen < 0) {
    // No way to show it (no display): say so and take the default button.
    fprintf(stderr, "box\t%s\t%s\n", request.caption.c_str(), request.text.c_str());
    chosen = request.defaultButton;
  }
  return BoxButtonAnswer(request.buttons, chosen);
}

bool SdlPlatform::PerformanceFrequency(int64_t& ticksPerSecond) {
  ticksPerSecond = static_cast<int64_t>(SDL_GetPerformanceFrequency());
  return ticksPerSecond > 0;
}

int64_t SdlPlatform::PerformanceCounter() { return static_cast<int64_t>(SDL_GetPerformanceCounter()); }

uint32_t SdlPlatform::MillisecondClock() { return SDL_GetTicks(); }

void SdlPlatform::Sleep(int milliseconds) { SDL_Delay(static_cast<Uint32>(milliseconds > 0 ? milliseconds : 0)); }

void SdlPlatform::PresentPixels(const uint8_t* bgra, int width, int height) {
  if (!window_) return;
  SDL_Surface* target = SDL_GetWindowSurface(window_);
  if (!target) return;
  SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(bgra), width, height, 32,
                                                          width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!frame) return;
  SDL_SetSurfaceBlendMode(frame, SDL_BLENDMODE_NONE);
  SDL_BlitSurface(frame, nullptr, target, nullptr);
  SDL_FreeSurface(frame);
  SDL_UpdateWindowSurface(window_);
}

bool SdlPlatform::CreateGLContext(bool bit16) {
  if (!window_) return false;
  DestroyGLContext();
  int bits = bit16 ? 5 : 8;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, bits);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, bit16 ? 6 : 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, bits);
  glContext_ = SDL_GL_CreateContext(window_);
  if (!glContext_) return false;
  if (SDL_GL_MakeCurrent(window_, glContext_) != 0) {
    DestroyGLContext();
    return false;
  }
  return true;
}

void SdlPlatform::DestroyGLContext() {
  if (!glContext_) return;
  SDL_GL_MakeCurrent(window_, nullptr);
  SDL_GL_DeleteContext(glContext_);
  glContext_ = nullptr;
}

void SdlPlatform::SwapGL() {
  if (window_ && glContext_) SDL_GL_SwapWindow(window_);
}

void* SdlPlatform::GLProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

bool SdlPlatform::SetGLSwapInterval(int interval) { return SDL_GL_SetSwapInterval(interval) == 0; }

std::string SdlPlatform::ProfileFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  struct passwd* pw = getpwuid(getuid());
  return pw && pw->pw_dir ? pw->pw_dir : "";
}

}  // namespace tarn
