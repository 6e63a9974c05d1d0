// The host services the engine calls: window and messages, message boxes,
// clocks, sleeping, the user's folders, debugger output, the single-instance
// lock and the sound output. Two implementations: sdl/ (a real window) and
// headless/ (scripted).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio_output.h"

namespace tarn {

// Window messages, in the shape the window procedure expects them.
enum class MsgType {
  Quit,             // ends the run loop
  Size,             // param: 1 when minimized, 0 otherwise
  ActivateApp,      // param: 1 when the application became active
  SysCommandClose,  // the window's close command (close source 2)
  QueryEndSession,  // the system is logging off (close source 1)
  EndSession,
  Close,            // the close request
  // Key messages (made by KeyMessage): param is the virtual key, with left
  // and right Shift, Ctrl and Alt as their common code (16, 17, 18); x is
  // the sided code of those (160 to 165), 0 for every other key.
  SysKeyDown,
  KeyDown,
  KeyUp,
  Char,             // param: character code
  MouseMove,        // x, y: client pixels
  MouseDown,        // param: 0 left, 1 right, 2 middle
  MouseUp,          // param: 0 left, 1 right, 2 middle
  MouseWheel,       // param: +1 or -1
};

struct Message {
  MsgType type = MsgType::Quit;
  int param = 0;
  int x = 0;
  int y = 0;
};

enum class BoxButtons { Ok, OkCancel, YesNo, YesNoCancel, AbortRetryIgnore, RetryCancel };
enum class BoxIcon { None, Information, Warning, Error, Question };
enum class BoxAnswer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

// Left and right Shift, Ctrl and Alt (160 to 165) to their common codes 16,
// 17 and 18; other codes unchanged.
int CommonKey(int virtualKey);
// A key message for a key's own virtual-key code.
Message KeyMessage(MsgType type, int virtualKey);

struct MessageBoxRequest {
  std::string caption;
  std::string text;
  BoxButtons buttons = BoxButtons::Ok;
  int defaultButton = 0;  // index into the buttons, 0 is the first
  BoxIcon icon = BoxIcon::None;
  // Labels in place of the buttons' usual words; empty keeps the word.
  std::string buttonTexts[3];
};

// The buttons of a box, in order, and their answers.
int BoxButtonCount(BoxButtons buttons);
BoxAnswer BoxButtonAnswer(BoxButtons buttons, int index);
const char* BoxAnswerName(BoxAnswer answer);

// What the host's OpenGL driver tells about itself.
struct GraphicsDriverFacts {
  std::string renderer;
  std::string vendor;
  std::string version;
  uint64_t videoMemory = 0;  // bytes; 0 when the driver does not tell
};

struct WindowRequest {
  std::string title;
  int width = 800;    // outer size for full-screen windows, client size otherwise
  int height = 600;
  bool fullScreen = false;
  bool openGL = false;
  bool showCursor = true;
};

class Platform {
 protected:
  bool keyDown_[256] = {};
  bool buttonDown_[3] = {};
  int cursorX_ = 0;
  int cursorY_ = 0;

 public:
  virtual ~Platform() = default;

  // The one platform of the process; the program's entry point installs it.
  static Platform& Get();
  static void Install(std::unique_ptr<Platform> platform);
  static bool Installed();

  // Window.
  virtual bool CreateWindow(const WindowRequest& request) = 0;
  virtual void DestroyWindow() = 0;
  virtual bool HasWindow() const = 0;
  virtual void ClientSize(int& width, int& height) const = 0;
  virtual void ScreenSize(int& width, int& height) const = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void ShowCursor(bool show) { (void)show; }
  virtual void MinimizeWindow() {}

  // Opens an address or a folder with the desktop's opener (xdg-open),
  // without waiting for it; false when it could not be started.
  virtual bool OpenWithDesktop(const std::string& target);
  // Starts a program without waiting for it; false when it could not start.
  bool StartProgram(const std::string& path);

  // Messages: takes one pending message without waiting; false when none waits.
  virtual bool PeekMessage(Message& out) = 0;
  virtual void PostMessage(const Message& message) = 0;

  // A modal message box; returns the answer.
  virtual BoxAnswer ShowMessageBox(const MessageBoxRequest& request) = 0;

  // Clocks: a high-resolution counter and a millisecond clock.
  virtual bool PerformanceFrequency(int64_t& ticksPerSecond) = 0;
  virtual int64_t PerformanceCounter() = 0;
  virtual uint32_t MillisecondClock() = 0;
  virtual void Sleep(int milliseconds) = 0;

  // Folders, as absolute paths with '/' separators and no trailing slash.
  virtual std::string ProfileFolder() = 0;
  std::string CurrentFolder();

  // Debugger output (standard error on this host).
  virtual void DebugOutput(const std::string& text);

  // Single instance: takes an exclusive lock on the file; false when another
  // process holds it. The lock lasts as long as the process.
  bool AcquireInstanceLock(const std::string& lockFile);

  // Sets the process priority class (32 normal, 64 idle, 128 high).
  bool SetPriorityClass(int priorityClass);

  // Input state as of the messages taken so far (the run loop reports each
  // message here): which keys (virtual-key codes) and mouse buttons are down.
  void TrackInput(const Message& message);
  bool KeyIsDown(int virtualKey) const;
  bool ButtonIsDown(int button) const;  // 0 left, 1 right, 2 middle
  // The cursor lies over the window's client area.
  virtual bool CursorOverClient() const;
  // The character a key types with the given Shift and Ctrl states on the
  // host's keyboard layout; 0 for keys that type none (every key with Ctrl
  // held: control combinations type no text).
  virtual int KeyCharacter(int virtualKey, bool shift, bool ctrl) const;

  // Presenting a frame drawn by the software renderer: 32-bit B, G, R, A
  // pixels, rows top-down, 'width' pixels a row.
  virtual void PresentPixels(const uint8_t* bgra, int width, int height) {
    (void)bgra, (void)width, (void)height;
  }

  // OpenGL on the window (created with WindowRequest::openGL): a
  // compatibility context with double buffering and a 16-bit depth buffer.
  virtual bool CreateGLContext(bool bit16) {
    (void)bit16;
    return false;
  }
  virtual void DestroyGLContext() {}
  virtual void SwapGL() {}
  virtual void* GLProcAddress(const char* name) {
    (void)name;
    return nullptr;
  }
  virtual bool SetGLSwapInterval(int interval) {
    (void)interval;
    return false;
  }

  // A small borderless window in the middle of the screen that shows an
  // image (B, G, R, A rows top-down) while the engine is busy before its own
  // window opens; `text` is what the image says, for hosts without a screen.
  // One at a time; closing a window that is not shown does nothing.
  virtual void ShowWaitWindow(const std::string& text, const uint8_t* bgra, int width, int height) {
    (void)text, (void)bgra, (void)width, (void)height;
  }
  virtual void CloseWaitWindow() {}

  // Asks the OpenGL driver about itself through a hidden context of its
  // own; false when no context can be made (no display, no driver).
  virtual bool QueryGraphicsDriver(GraphicsDriverFacts& facts) {
    (void)facts;
    return false;
  }

  // The sound output; null when the host has none.
  virtual std::unique_ptr<AudioOutput> OpenAudioOutput() { return nullptr; }
};

}  // namespace tarn
