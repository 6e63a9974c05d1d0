// The platform without a window: a virtual clock that advances a fixed step per
// pass of the frame loop, input and window events read from a script, message
// boxes answered from a list and written to standard output.
#pragma once

#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/headless/headless_audio.h"
#include "platform/platform.h"

namespace tarn {

struct HeadlessOptions {
  int frames = 600;
  double dt = 0.0166667;
  std::string profile;  // empty: the user's home folder
  int screenWidth = 1920;
  int screenHeight = 1080;
  std::vector<std::string> answers;  // in the order they are used
  std::multimap<int, std::string> shots;  // pass -> PNG file
  // The sound output: none when 'audio' is false.
  bool audio = true;
  AudioFormat audioFormat;
  double audioKeepSeconds = 30;  // the mixed frames kept for reading back
};

// Saves a B, G, R, A image (rows top-down) to a file; false on failure.
using ImageSaver = std::function<bool(const std::string& path, const uint8_t* bgra, int width, int height)>;

class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(const HeadlessOptions& options, FILE* out = stdout);
  ~HeadlessPlatform() override;

  // Where --shot images go; without a saver shots are not taken.
  void SetImageSaver(ImageSaver saver) { saver_ = std::move(saver); }
  // Takes every shot still due, with the last frame; returns how many shots
  // could not be taken (no frame presented, or not saved).
  int FinishShots();
  // Resolves key names of scripted key events to key codes.
  void SetKeyNames(std::function<int(const std::string&)> keyCode) { keyCode_ = std::move(keyCode); }

  // Reads scripted events, one per line: "<pass> <event> [args]". Passes count
  // from 1. Returns false and sets 'error' on a malformed line.
  bool LoadEvents(const std::string& text, std::string& error);

  bool CreateWindow(const WindowRequest& request) override;
  void DestroyWindow() override;
  bool HasWindow() const override { return hasWindow_; }
  void ClientSize(int& width, int& height) const override;
  void ScreenSize(int& width, int& height) const override;
  void SetTitle(const std::string& title) override { title_ = title; }

  bool PeekMessage(Message& out) override;
  void PostMessage(const Message& message) override { queue_.push_back(message); }

  BoxAnswer ShowMessageBox(const MessageBoxRequest& request) override;
  // Prints "open<TAB>target" and starts nothing.
  bool OpenWithDesktop(const std::string& target) override {
    Emit("open", {target});
    return true;
  }
  void MinimizeWindow() override { Emit("minimize", {}); }
  // Printed like a box without caption or answer: "box<TAB><TAB>text<TAB>".
  void ShowWaitWindow(const std::string& text, const uint8_t*, int, int) override { Emit("box", {"", text, ""}); }

  void PresentPixels(const uint8_t* bgra, int width, int height) override;

  bool PerformanceFrequency(int64_t& ticksPerSecond) override;
  int64_t PerformanceCounter() override { return clockNs_; }
  uint32_t MillisecondClock() override { return static_cast<uint32_t>(clockNs_ / 1000000); }
  void Sleep(int milliseconds) override;

  std::string ProfileFolder() override;

  // One output at a time; it is pulled as the virtual clock advances.
  std::unique_ptr<AudioOutput> OpenAudioOutput() override;
  // The open sound output, or null.
  HeadlessAudioOutput* Audio() const { return audio_; }
  // The runner's standard output already carries every console line.
  void DebugOutput(const std::string&) override {}

  int PassesDone() const { return passesDone_; }
  const std::string& Title() const { return title_; }

  // Takes the next scripted answer; false when none is left.
  bool TakeAnswer(std::string& answer);

  // Writes one line of the runner's output, escaping line feeds as "\n".
  void Emit(const std::string& tag, const std::vector<std::string>& fields);

 private:
  void TakeShots(int throughPass);
  void AdvanceClock(int64_t ns);

  HeadlessOptions options_;
  ImageSaver saver_;
  std::function<int(const std::string&)> keyCode_;
  std::vector<uint8_t> frame_;
  int frameWidth_ = 0;
  int frameHeight_ = 0;
  int failedShots_ = 0;
  FILE* out_;
  int64_t clockNs_ = 0;
  int64_t stepNs_;
  int passesDone_ = 0;
  int eventsLoadedFor_ = 0;
  bool quitPosted_ = false;
  bool hasWindow_ = false;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  std::string title_;
  std::deque<Message> queue_;
  std::multimap<int, Message> scripted_;
  std::deque<std::string> answers_;
  HeadlessAudioOutput* audio_ = nullptr;
};

}  // namespace tarn
