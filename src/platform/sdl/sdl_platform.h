// The platform on a real SDL window.
#pragma once

#include <SDL.h>

#include <deque>

#include "platform/platform.h"

namespace tarn {

class SdlPlatform : public Platform {
 public:
  SdlPlatform();
  ~SdlPlatform() override;

  bool CreateWindow(const WindowRequest& request) override;
  void DestroyWindow() override;
  bool HasWindow() const override { return window_ != nullptr; }
  void ClientSize(int& width, int& height) const override;
  void ScreenSize(int& width, int& height) const override;
  void SetTitle(const std::string& title) override;
  void ShowCursor(bool show) override { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

  bool PeekMessage(Message& out) override;
  void PostMessage(const Message& message) override { queue_.push_back(message); }

  BoxAnswer ShowMessageBox(const MessageBoxRequest& request) override;

  bool PerformanceFrequency(int64_t& ticksPerSecond) override;
  int64_t PerformanceCounter() override;
  uint32_t MillisecondClock() override;
  void Sleep(int milliseconds) override;

  std::string ProfileFolder() override;

  bool CursorOverClient() const override { return window_ && SDL_GetMouseFocus() == window_; }
  void PresentPixels(const uint8_t* bgra, int width, int height) override;
  bool CreateGLContext(bool bit16) override;
  void DestroyGLContext() override;
  void SwapGL() override;
  void* GLProcAddress(const char* name) override;
  bool SetGLSwapInterval(int interval) override;

  SDL_Window* Window() const { return window_; }

 private:
  bool InitVideo() const;
  void Translate(const SDL_Event& event);

  mutable bool videoReady_ = false;
  SDL_Window* window_ = nullptr;
  SDL_GLContext glContext_ = nullptr;
  std::deque<Message> queue_;
};

}  // namespace tarn
