// The platform on a real SDL window: window messages from SDL events, SDL
// message boxes, SDL clocks, the software renderer's frames presented on the
// window surface and OpenGL contexts made by SDL.
#pragma once

#include <SDL.h>

#include <deque>
#include <string>

#include "platform/platform.h"

namespace tarn {

class SdlPlatform : public Platform {
 public:
  SdlPlatform();
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  bool CreateWindow(const WindowRequest& request) override;
  void DestroyWindow() override;
  bool HasWindow() const override { return window_ != nullptr; }
  void ClientSize(int& width, int& height) const override;
  void ScreenSize(int& width, int& height) const override;
  void SetTitle(const std::string& title) override;
  void MinimizeWindow() override;
  void ShowCursor(bool show) override;

  bool PeekMessage(Message& out) override;
  void PostMessage(const Message& message) override { queue_.push_back(message); }

  BoxAnswer ShowMessageBox(const MessageBoxRequest& request) override;

  bool PerformanceFrequency(int64_t& ticksPerSecond) override;
  int64_t PerformanceCounter() override;
  uint32_t MillisecondClock() override;
  void Sleep(int milliseconds) override;

  std::string ProfileFolder() override;

  bool CursorOverClient() const override;
  void PresentPixels(const uint8_t* bgra, int width, int height) override;
  bool CreateGLContext(bool bit16) override;
  void DestroyGLContext() override;
  void SwapGL() override;
  void* GLProcAddress(const char* name) override;
  bool SetGLSwapInterval(int interval) override;
  std::unique_ptr<AudioOutput> OpenAudioOutput() override;
  void ShowWaitWindow(const std::string& text, const uint8_t* bgra, int width, int height) override;
  void CloseWaitWindow() override;
  bool QueryGraphicsDriver(GraphicsDriverFacts& facts) override;

  SDL_Window* Window() const { return window_; }

 private:
  // Starts SDL's video and timer subsystems once; false when SDL cannot.
  bool InitVideo() const;
  // Turns one SDL event into the window messages it stands for, queued.
  void Translate(const SDL_Event& event);
  void Post(MsgType type, int param = 0, int x = 0, int y = 0);

  mutable bool videoReady_ = false;  // we started SDL's video subsystem
  SDL_Window* window_ = nullptr;
  SDL_GLContext glContext_ = nullptr;
  SDL_Window* waitWindow_ = nullptr;
  std::deque<Message> queue_;
  // The close button was the last event seen: an SDL_QUIT right behind it
  // is the same close and must not ask twice.
  bool closeJustSeen_ = false;
};

}  // namespace tarn
