// The developer console's keys and drawing.
#include <strings.h>

#include <algorithm>

#include "app/app.h"
#include "app/console.h"
#include "app/window.h"
#include "graphics/render.h"
#include "platform/keys.h"
#include "script/input.h"
#include "script/lua.h"

namespace tarn {

namespace {

constexpr int kConsoleKey = kKeyTilde;
constexpr size_t kMaxInput = 199;

uint32_t LevelColour(int level) {
  static const uint32_t kColours[] = {0xFFFFFFFF, 0xFFFFDD55, 0xFFFF8888, 0xFFFFFFCC,
                                      0xFF99FF99, 0xFFCCFFCC, 0xFFBBDDFF};
  return level >= 0 && level <= 6 ? kColours[level] : kColours[0];
}

// Text with its shadow one pixel right and down.
void DrawShadowed(float x, float y, const std::string& text, uint32_t argb) {
  gfx::RenderDevice& device = gfx::RenderDevice::Instance();
  uint32_t shadowAlpha = static_cast<uint32_t>(static_cast<float>(argb >> 24) * 0.8f);
  device.DrawDebugText(x + 1, y + 1, text, shadowAlpha << 24);
  device.DrawDebugText(x, y, text, argb);
}

}  // namespace

bool Console::HandleKeys() {
  if (IsStruck(kConsoleKey)) {
    if (Mode() == kClosed) {
      mode_ = kOpen;
      cursor_ = std::min(cursor_, static_cast<int>(input_.size()));
      browse_ = -1;
      return false;
    }
    if (Mode() == kOpen) {
      mode_ = kClosed;
      return true;
    }
    return false;
  }
  if (Mode() != kOpen) return Mode() == kClosed;
  EditInput();
  return Mode() == kClosed;
}

void Console::EditInput() {
  int length = static_cast<int>(input_.size());
  if (IsRepeat(kKeyLeft)) --cursor_;
  if (IsRepeat(kKeyRight)) ++cursor_;
  if (IsRepeat(kKeyHome)) cursor_ = 0;
  if (IsRepeat(kKeyEnd)) cursor_ = length;
  int count = history_.Count();
  bool browsed = false;
  // Entry 0 of the history ring is the newest; "older" counts up.
  if (IsRepeat(kKeyUp)) {
    ++browse_;
    if (browse_ < 0 || browse_ > count - 1) browse_ = 0;
    browsed = true;
  }
  if (IsRepeat(kKeyDown)) {
    --browse_;
    if (browse_ < 0 || browse_ > count - 1) browse_ = count - 1;
    browsed = true;
  }
  std::string entry;
  int level = 0;
  if (browsed && history_.Get(browse_, entry, level)) {
    input_ = entry.substr(0, kMaxInput);
    cursor_ = static_cast<int>(input_.size());
  }
  cursor_ = std::clamp(cursor_, 0, static_cast<int>(input_.size()));
  const std::string& typed = TypedChars();
  size_t room = kMaxInput - std::min(kMaxInput, input_.size());
  std::string insert = typed.substr(0, std::min(room, typed.size()));
  input_.insert(static_cast<size_t>(cursor_), insert);
  cursor_ += static_cast<int>(insert.size());
  if (IsRepeat(kKeyDelete)) {
    if (cursor_ == static_cast<int>(input_.size()) && !input_.empty()) --cursor_;
    if (cursor_ < static_cast<int>(input_.size())) input_.erase(static_cast<size_t>(cursor_), 1);
  }
  if (IsRepeat(kKeyBackspace) && cursor_ > 0) {
    --cursor_;
    input_.erase(static_cast<size_t>(cursor_), 1);
  }
  if (IsRepeat(kKeyEnter)) {
    std::string line = input_;
    RunLine(line);
    input_.clear();
    cursor_ = 0;
    browse_ = -1;
  }
}

void Console::RunLine(const std::string& line) {
  if (line.empty()) return;
  std::string newest;
  int level = 0;
  if (!history_.Get(0, newest, level) || newest != line) history_.Add(line, 4);
  if (strcasecmp(line.c_str(), "cls") == 0) {
    Clear(false);
    return;
  }
  AddText(line, 6);
  if (strcasecmp(line.c_str(), "re") == 0) {
    App().recreateOnActivateApp = true;  // the display is made again before the next frame
    return;
  }
  executing_ = true;
  RunConsoleCommand(line);
  executing_ = false;
}

void Console::Draw() {
  gfx::RenderDevice& device = gfx::RenderDevice::Instance();
  int fontHeight = device.DebugFontHeight();
  if (fontHeight <= 0) return;
  int lineHeight = fontHeight + 3;
  int base = GetDisplay().gameHeight - lineHeight;
  int fit = base / lineHeight;
  int mode = Mode();
  if (mode == kOpen) {
    uint32_t colour = LevelColour(4);
    const std::string prompt = "> ";
    int promptWidth = device.MeasureDebugText(prompt);
    DrawShadowed(0, static_cast<float>(base), prompt, colour);
    DrawShadowed(static_cast<float>(promptWidth), static_cast<float>(base), input_, colour);
    int cursorX = promptWidth + device.MeasureDebugText(input_.substr(0, static_cast<size_t>(cursor_)));
    DrawShadowed(static_cast<float>(cursorX), static_cast<float>(base), "_", colour);
  }
  const LineRing& ring = mode == kClosed ? overlay_ : lines_;
  for (int i = 0; i < fit; ++i) {
    std::string text;
    int level = 0;
    if (!ring.Get(i, text, level)) break;
    uint32_t colour = LevelColour(level);
    if (mode == kClosed) colour = (colour & 0x00FFFFFF) | 0x99000000u;
    DrawShadowed(0, static_cast<float>(base - (i + 1) * lineHeight), text, colour);
  }
}

}  // namespace tarn
