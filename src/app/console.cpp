#include "app/console.h"

#include <cstdio>

#include "diag/error.h"
#include "diag/log.h"
#include "resources/filesystem.h"

namespace tarn {

namespace {
constexpr size_t kMaxPiece = 199;
constexpr int kHistoryLineChars = 498;
}  // namespace

Console& Console::Instance() {
  static Console console;
  return console;
}

Console::Console() : lines_(2500, 25000), overlay_(25000, 25000), history_(500, 5000) {}

void Console::Reset() {
  Clear(true);
  mode_ = kClosed;
  input_.clear();
  cursor_ = 0;
  browse_ = -1;
  executing_ = false;
}

int Console::Mode() const { return InErrorView() ? kErrorView : mode_; }

void Console::Store(const std::string& piece, int level) {
  lines_.Add(piece, level);
  if (level == 0 || level == 1) overlay_.Add(piece, level);
  if (listener_) {
    std::string shown = piece;
    for (char& c : shown)
      if (static_cast<unsigned char>(c) < 32) c = ' ';
    listener_(level, shown);
  }
}

void Console::AddText(const std::string& text, int level) {
  size_t start = 0;
  while (start < text.size()) {
    size_t feed = text.find('\n', start);
    if (feed == std::string::npos) {
      Store(text.substr(start), level);  // the last piece is kept whole
      return;
    }
    if (feed > start) Store(text.substr(start, std::min(feed - start, kMaxPiece)), level);
    start = feed + 1;
  }
}

void Console::Clear(bool alsoHistory) {
  lines_.Clear();
  overlay_.Clear();
  if (alsoHistory) history_.Clear();
}

bool Console::SaveHistory(const std::string& file, bool report) {
  if (history_.Count() == 0) return false;
  FILE* out = FileSystem::Instance().OpenWriteFile(file, "w", true);
  if (!out) {
    if (report) LogWarning("Can't open file \"%s\" for writing", file.c_str());
    return false;
  }
  for (int i = history_.Count() - 1; i >= 0; --i) {
    std::string line;
    int level = 0;
    history_.Get(i, line, level);
    fprintf(out, "%s\n", line.c_str());
  }
  fclose(out);
  return true;
}

bool Console::LoadHistory(const std::string& file, bool report) {
  history_.Clear();
  FILE* in = FileSystem::Instance().OpenWriteFile(file, "r", false);
  if (!in) {
    if (report) LogWarning("Can't open file \"%s\" for reading", file.c_str());
    return false;
  }
  char buffer[kHistoryLineChars + 1];
  while (fgets(buffer, sizeof buffer, in)) history_.Add(std::string(buffer), 4);
  fclose(in);
  return true;
}

}  // namespace tarn
