// The developer console: every log line and everything the script prints, kept
// in bounded rings, with a history of typed commands. In the error view (the
// state the engine stops the game in after an error) it shows the whole log.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarn {

// A bounded store of text lines, each with a level byte.
class LineRing {
 public:
  LineRing(int lineCapacity, int textCapacity);

  // Adds text (a final line feed is dropped); empty text stores nothing.
  void Add(const char* text, int length, int level);
  void Add(const std::string& text, int level) { Add(text.data(), static_cast<int>(text.size()), level); }
  // Entry 'i' counted back from the newest (0 is the newest).
  bool Get(int i, std::string& text, int& level) const;
  int Count() const { return count_; }
  void Clear();

 private:
  int OldestIndex() const;
  void DropOldest() { --count_; }
  bool Place(int size, int& offset, int& entry);

  std::vector<char> text_;
  int textCapacity_;
  std::vector<uint16_t> offsets_;
  std::vector<uint8_t> levels_;
  int lineCapacity_;
  int count_ = 0;
  int newest_ = 0;
  int newestSize_ = 0;
};

class Console {
 public:
  enum Mode { kClosed = 0, kOpen = 1, kErrorView = 2 };

  static Console& Instance();
  Console();

  void AddText(const std::string& text, int level);
  // kErrorView while the engine is in the error view, else open or closed.
  int Mode() const;
  bool Executing() const { return executing_; }
  void SetExecuting(bool executing) { executing_ = executing; }

  // The console's keys (developer mode); true when the console is closed
  // afterwards, so the game may update.
  bool HandleKeys();
  void Draw();
  const std::string& Input() const { return input_; }

  bool LoadHistory(const std::string& file, bool report);
  bool SaveHistory(const std::string& file, bool report);
  void Clear(bool alsoHistory);

  const LineRing& Lines() const { return lines_; }
  const LineRing& Overlay() const { return overlay_; }
  LineRing& History() { return history_; }

  // Every stored line is also handed here (the headless runner echoes them).
  void SetLineListener(std::function<void(int level, const std::string& line)> listener) {
    listener_ = std::move(listener);
  }

  // The console as in a fresh process (tests); the error view is left by
  // ResetErrorView.
  void Reset();

 private:
  void Store(const std::string& piece, int level);
  void EditInput();
  void RunLine(const std::string& line);

  LineRing lines_;
  LineRing overlay_;
  LineRing history_;
  int mode_ = kClosed;  // open or closed; the error view is the engine's state
  std::string input_;
  int cursor_ = 0;
  int browse_ = -1;
  bool executing_ = false;
  std::function<void(int, const std::string&)> listener_;
};

}  // namespace tarn
