#include "platform/sdl/sdl_platform.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/keys.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_keys.h"

namespace tarn {

namespace {

constexpr Uint32 kSubsystems = SDL_INIT_VIDEO | SDL_INIT_TIMER;

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

Uint32 IconFlags(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Error: return SDL_MESSAGEBOX_ERROR;
    case BoxIcon::Warning: return SDL_MESSAGEBOX_WARNING;
    case BoxIcon::Information:
    case BoxIcon::Question: return SDL_MESSAGEBOX_INFORMATION;
    case BoxIcon::None: break;
  }
  return 0;
}

// Decodes one UTF-8 character and advances 'p' past it; a broken sequence
// gives U+FFFD and skips one byte.
int NextCodePoint(const unsigned char*& p) {
  constexpr int kReplacement = 0xFFFD;
  unsigned lead = *p++;
  if (lead < 0x80) return static_cast<int>(lead);
  int extra;
  unsigned c;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    c = lead & 0x07;
  } else {
    return kReplacement;
  }
  const unsigned char* q = p;
  for (int i = 0; i < extra; ++i, ++q) {
    if ((*q & 0xC0) != 0x80) return kReplacement;
    c = (c << 6) | (*q & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  static const unsigned kMinimum[] = {0, 0x80, 0x800, 0x10000};
  if (c < kMinimum[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return kReplacement;
  p = q;
  return static_cast<int>(c);
}

// Message box text on one line: line feeds written as \n.
std::string OneLine(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (char c : text) {
    if (c == '\n') line += "\\n";
    else if (c != '\r') line += c;
  }
  return line;
}

}  // namespace

SdlPlatform::SdlPlatform() {
  // Closing the window is a request the game may refuse; SDL must not turn it
  // into a quit of its own.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
}

SdlPlatform::~SdlPlatform() {
  DestroyWindow();
  CloseWaitWindow();
  if (videoReady_) {
    SDL_QuitSubSystem(kSubsystems);
    // Leave SDL running for any subsystem another owner still holds.
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    videoReady_ = false;
  }
}

bool SdlPlatform::InitVideo() const {
  if (!videoReady_) videoReady_ = SDL_Init(kSubsystems) == 0;
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
  // A plain SDL window is framed, not resizable and has a minimize box; its
  // size is the client area.
  Uint32 flags = SDL_WINDOW_SHOWN | (request.openGL ? SDL_WINDOW_OPENGL : 0);
  int x = SDL_WINDOWPOS_CENTERED;
  int y = SDL_WINDOWPOS_CENTERED;
  if (request.fullScreen) {
    // Full screen is a borderless window over the whole screen, kept on top.
    flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP;
    x = y = 0;
  }
  window_ = SDL_CreateWindow(request.title.c_str(), x, y, request.width, request.height, flags);
  if (!window_) return false;
  closeJustSeen_ = false;
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
  closeJustSeen_ = false;
}

void SdlPlatform::ClientSize(int& width, int& height) const {
  width = height = 0;
  if (window_) SDL_GetWindowSize(window_, &width, &height);
}

void SdlPlatform::ScreenSize(int& width, int& height) const {
  SDL_DisplayMode mode;
  if (InitVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
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

void SdlPlatform::MinimizeWindow() {
  if (window_) SDL_MinimizeWindow(window_);
}

void SdlPlatform::ShowCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

bool SdlPlatform::CursorOverClient() const { return window_ && SDL_GetMouseFocus() == window_; }

void SdlPlatform::Post(MsgType type, int param, int x, int y) {
  Message message;
  message.type = type;
  message.param = param;
  message.x = x;
  message.y = y;
  queue_.push_back(message);
}

void SdlPlatform::Translate(const SDL_Event& event) {
  // SDL sends its quit right behind the close button's event when it treats
  // the last window's close as the end of the program; that is one close.
  bool afterClose = closeJustSeen_;
  closeJustSeen_ = false;

  switch (event.type) {
    case SDL_QUIT:
      if (!afterClose) Post(MsgType::Close);
      break;

    case SDL_APP_TERMINATING:
      Post(MsgType::QueryEndSession);
      Post(MsgType::EndSession);
      Post(MsgType::Close);
      break;

    case SDL_WINDOWEVENT:
      if (!window_ || event.window.windowID != SDL_GetWindowID(window_)) break;
      switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          Post(MsgType::SysCommandClose);
          Post(MsgType::Close);
          closeJustSeen_ = true;
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: Post(MsgType::ActivateApp, 1); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: Post(MsgType::ActivateApp, 0); break;
        case SDL_WINDOWEVENT_MINIMIZED: Post(MsgType::Size, 1); break;
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SHOWN: Post(MsgType::Size, 0); break;
        default: break;
      }
      break;

    case SDL_MOUSEMOTION:
      Post(MsgType::MouseMove, 0, event.motion.x, event.motion.y);
      break;

    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      int button;
      switch (event.button.button) {
        case SDL_BUTTON_LEFT: button = 0; break;
        case SDL_BUTTON_RIGHT: button = 1; break;
        case SDL_BUTTON_MIDDLE: button = 2; break;
        default: button = -1; break;
      }
      if (button < 0) break;
      Post(event.type == SDL_MOUSEBUTTONDOWN ? MsgType::MouseDown : MsgType::MouseUp, button, event.button.x,
           event.button.y);
      break;
    }

    case SDL_MOUSEWHEEL:
      // One message per wheel event; only the direction counts. Fractions of a
      // notch (touch pads) wait until SDL has gathered a whole one.
      if (event.wheel.y != 0) Post(MsgType::MouseWheel, event.wheel.y > 0 ? 1 : -1);
      break;

    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const SDL_Keysym& keysym = event.key.keysym;
      int vk = VirtualKeyFromSdl(keysym.sym, keysym.scancode);
      if ((keysym.mod & KMOD_NUM) == 0) vk = NumpadWithoutNumLock(vk);
      if (vk == 0) break;
      if (event.type == SDL_KEYUP) {
        queue_.push_back(KeyMessage(MsgType::KeyUp, vk));
        break;
      }
      // System keys: Alt itself, F10, and any key while Alt is held. With Ctrl
      // also held (Ctrl+Alt, or AltGr read as both) keys stay ordinary.
      bool alt = CommonKey(vk) == kKeyAlt || (keysym.mod & KMOD_ALT) != 0;
      bool ctrl = (keysym.mod & KMOD_CTRL) != 0;
      bool system = vk == kKeyF10 || (alt && !ctrl);
      queue_.push_back(KeyMessage(system ? MsgType::SysKeyDown : MsgType::KeyDown, vk));
      // The control characters these keys type; SDL's text input leaves them out.
      if (!alt && !ctrl && (vk == kKeyBackspace || vk == kKeyTab || vk == kKeyEnter || vk == kKeyEscape))
        Post(MsgType::Char, vk);
      break;
    }

    case SDL_TEXTINPUT: {
      const unsigned char* p = reinterpret_cast<const unsigned char*>(event.text.text);
      while (*p) Post(MsgType::Char, NextCodePoint(p));
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
  if (count < 1) count = 1;
  if (count > 3) count = 3;
  int defaultButton = request.defaultButton >= 0 && request.defaultButton < count ? request.defaultButton : 0;
  // Escape (and the box's close button) answer Cancel when the box has one and
  // OK in a box with OK alone; other boxes have no such way out.
  int escapeButton = -1;
  for (int i = 0; i < count; ++i)
    if (BoxButtonAnswer(request.buttons, i) == BoxAnswer::Cancel) escapeButton = i;
  if (request.buttons == BoxButtons::Ok) escapeButton = 0;

  SDL_MessageBoxButtonData buttons[3];
  for (int i = 0; i < count; ++i) {
    Uint32 flags = 0;
    if (i == defaultButton) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (i == escapeButton) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    buttons[i].flags = flags;
    buttons[i].buttonid = i;
    buttons[i].text = request.buttonTexts[i].empty() ? ButtonText(BoxButtonAnswer(request.buttons, i))
                                                     : request.buttonTexts[i].c_str();
  }
  SDL_MessageBoxData data{};
  data.flags = IconFlags(request.icon);
#if SDL_VERSION_ATLEAST(2, 24, 0)
  data.flags |= SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
#endif
  data.window = window_;
  data.title = request.caption.c_str();
  data.message = request.text.c_str();
  data.numbuttons = count;
  data.buttons = buttons;
  data.colorScheme = nullptr;

  int chosen = -1;
  if (SDL_ShowMessageBox(&data, &chosen) != 0) {
    // No box can be shown here (no display): write it out and take the default.
    std::string line = "box\t" + OneLine(request.caption) + "\t" + OneLine(request.text) + "\n";
    fwrite(line.data(), 1, line.size(), stderr);
    fflush(stderr);
    return BoxButtonAnswer(request.buttons, defaultButton);
  }
  if (chosen < 0 || chosen >= count) chosen = escapeButton >= 0 ? escapeButton : defaultButton;
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
  if (!window_ || !bgra || width <= 0 || height <= 0) return;
  SDL_Surface* target = SDL_GetWindowSurface(window_);
  if (!target) return;
  // B, G, R, A bytes are one ARGB8888 word each on this little-endian host.
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
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, bit16 ? 5 : 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, bit16 ? 6 : 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, bit16 ? 5 : 8);
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
  std::string home;
  if (const char* env = std::getenv("HOME"); env && *env) {
    home = env;
  } else if (const struct passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir) {
    home = pw->pw_dir;
  } else {
    home = "/tmp";
  }
  while (home.size() > 1 && home.back() == '/') home.pop_back();
  return home;
}

std::unique_ptr<AudioOutput> SdlPlatform::OpenAudioOutput() { return OpenSdlAudioOutput(); }

}  // namespace tarn
