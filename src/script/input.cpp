#include "script/input.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/keys.h"
#include "script/lua.h"

namespace tarn {

namespace {

constexpr unsigned kRepeatDelayMs = 400;
constexpr unsigned kRepeatRateMs = 30;
constexpr size_t kMaxChars = 40;

struct KeyboardState {
  uint8_t state[256] = {};
  uint8_t heldMask[256] = {};
  uint8_t repeatCount[256] = {};
  uint32_t lastEventTime[256] = {};
  std::string chars;
};

struct MouseState {
  float x = 0, y = 0;
  bool down[3] = {};
  bool up[3] = {true, true, true};
  bool click[3] = {};
  int wheelUp = 0, wheelDown = 0;
  bool locked = false;
  bool overWindow = false;
  bool previous[3] = {};
};

struct InputState {
  KeyboardState keyboard;
  MouseState mouse;
  bool enabled = true;
};

InputState& Input() {
  static InputState input;
  return input;
}

MouseWindow (*mouseWindow)() = nullptr;

MouseWindow Window() { return mouseWindow ? mouseWindow() : MouseWindow(); }

struct KeyName {
  const char* name;
  int code;
};

// Sorted by name, byte-wise, for the bisection in KeyCode.
std::vector<KeyName> BuildNames() {
  std::vector<KeyName> names = {
      {"backspace", 8}, {"tab", 9},      {"ncenter", 12},   {"enter", 13},   {"shift", 16},   {"lshift", 160},
      {"rshift", 161},  {"ctrl", 17},    {"lctrl", 162},    {"rctrl", 163},  {"alt", 18},     {"lalt", 164},
      {"ralt", 165},    {"pause", 19},   {"capslock", 20},  {"esc", 27},     {"space", 32},   {"pageup", 33},
      {"pagedn", 34},   {"end", 35},     {"home", 36},      {"left", 37},    {"up", 38},      {"right", 39},
      {"down", 40},     {"print", 42},   {"ins", 45},       {"del", 46},     {"n0", 96},      {"n1", 97},
      {"n2", 98},       {"n3", 99},      {"n4", 100},       {"n5", 101},     {"n6", 102},     {"n7", 103},
      {"n8", 104},      {"n9", 105},     {"nasterisk", 106}, {"nplus", 107}, {"nenter", 108}, {"nminus", 109},
      {"ndel", 110},    {"nslash", 111}, {"f1", 112},       {"f2", 113},     {"f3", 114},     {"f4", 115},
      {"f5", 116},      {"f6", 117},     {"f7", 118},       {"f8", 119},     {"f9", 120},     {"f10", 121},
      {"f11", 122},     {"f12", 123},    {"colon", 186},    {"tilde", 192},  {"backslash", 220},
  };
  std::sort(names.begin(), names.end(), [](const KeyName& a, const KeyName& b) {
    return std::strcmp(a.name, b.name) < 0;  // strcmp compares as unsigned char
  });
  return names;
}

void AddCharacter(int code) {
  KeyboardState& kb = Input().keyboard;
  if (kb.chars.size() >= kMaxChars) return;
  int c = Platform::Get().KeyCharacter(code, kb.heldMask[kKeyShift] != 0, kb.heldMask[kKeyCtrl] != 0);
  if (c >= 32 && c < 256) kb.chars += static_cast<char>(c);
}

}  // namespace

int KeyCode(const char* name) {
  static const std::vector<KeyName> names = BuildNames();
  if (!name || !*name) return kKeyNone;
  if (name[1] == 0) {
    char c = name[0];
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) return c;
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  }
  size_t low = 0, high = names.size();
  while (low < high) {
    size_t mid = (low + high) / 2;
    int order = std::strcmp(names[mid].name, name);
    if (order == 0) return names[mid].code;
    if (order < 0) low = mid + 1;
    else high = mid;
  }
  return kKeyNone;
}

int KeyState(int code) { return code >= 0 && code < 256 ? Input().keyboard.state[code] : 0; }

bool IsStruck(int code) { return code > 4 && KeyState(code) == 2; }

bool IsRepeat(int code) {
  int s = KeyState(code);
  return code > 4 && (s == 2 || s == 4);
}

bool IsDown(int code) {
  int s = KeyState(code);
  return code > 4 && (s == 2 || s == 4 || s == 8);
}

const std::string& TypedChars() { return Input().keyboard.chars; }

bool InputEnabled() { return Input().enabled; }

void SetInputEnabled(bool enabled) { Input().enabled = enabled; }

void PollKeyboard() {
  if (!Input().enabled) return;
  KeyboardState& kb = Input().keyboard;
  Platform& platform = Platform::Get();
  kb.chars.clear();
  uint32_t now = platform.MillisecondClock();
  for (int code = 0; code < 256; ++code) {
    if (platform.KeyIsDown(code)) {
      kb.heldMask[code] = 0x80;
      if (kb.state[code] <= 1) {
        kb.state[code] = 2;
        kb.repeatCount[code] = 0;
        kb.lastEventTime[code] = now;
        AddCharacter(code);
      } else {
        uint32_t delay = kb.repeatCount[code] == 0 ? kRepeatDelayMs : kRepeatRateMs;
        if (now - kb.lastEventTime[code] >= delay) {
          kb.state[code] = 4;
          if (kb.repeatCount[code] < 255) ++kb.repeatCount[code];
          kb.lastEventTime[code] = now;
          AddCharacter(code);
        } else {
          kb.state[code] = 8;
        }
      }
    } else {
      kb.heldMask[code] = 0;
      kb.state[code] = kb.state[code] >= 2 ? 1 : 0;
    }
  }
}

void ClearKeyboard() {
  KeyboardState& kb = Input().keyboard;
  std::fill(std::begin(kb.state), std::end(kb.state), 0);
  std::fill(std::begin(kb.heldMask), std::end(kb.heldMask), 0);
  kb.chars.clear();
}

void ResetMouse() {
  MouseState& m = Input().mouse;
  for (int i = 0; i < 3; ++i) {
    m.click[i] = false;
    m.down[i] = false;
    m.up[i] = true;
  }
  m.locked = false;
  m.wheelUp = m.wheelDown = 0;
}

void AttachMouse() {
  Input().mouse.overWindow = true;
  ResetMouse();
}

void PollMouse() {
  if (!Input().enabled) return;
  MouseState& m = Input().mouse;
  Platform& platform = Platform::Get();
  m.overWindow = Window().coversScreen || platform.CursorOverClient();
  if (!m.overWindow) {
    ResetMouse();
    m.locked = true;
    return;
  }
  for (bool& click : m.click) click = false;
  bool now[3];
  for (int i = 0; i < 3; ++i) now[i] = platform.ButtonIsDown(i);
  if (!m.locked) {
    for (int i = 0; i < 3; ++i) {
      if (now[i] && !m.previous[i]) m.click[i] = true;
      m.previous[i] = now[i];
      m.up[i] = m.down[i] && !now[i];
      m.down[i] = now[i];
    }
  }
  if (m.locked)
    for (bool& down : m.down) down = false;
  if (!now[0] && !now[1] && !now[2]) m.locked = false;
  if (m.wheelUp > 0) --m.wheelUp;
  if (m.wheelDown > 0) --m.wheelDown;
}

void OnMouseMessage(const Message& message) {
  MouseState& m = Input().mouse;
  if (message.type == MsgType::MouseMove) {
    m.x = static_cast<float>(static_cast<int16_t>(message.x));
    m.y = static_cast<float>(static_cast<int16_t>(message.y));
  } else if (message.type == MsgType::MouseWheel && Input().enabled && !m.locked) {
    if (message.param > 0) m.wheelUp = 2;
    else m.wheelDown = 2;
  }
}

namespace {

struct MouseFields {
  int x, y;
  const MouseState* mouse;
};

// Runs protected: the script may have given 'mouse' or the globals metatables.
int WriteMouseTable(lua_State* L) {
  const MouseFields* fields = static_cast<const MouseFields*>(lua_touserdata(L, 1));
  const MouseState& m = *fields->mouse;
  lua_getglobal(L, "mouse");
  if (!lua_istable(L, -1)) return 0;
  auto setBool = [L](const char* key, bool value) {
    lua_pushboolean(L, value);
    lua_setfield(L, -2, key);
  };
  lua_pushnumber(L, fields->x);
  lua_setfield(L, -2, "x");
  lua_pushnumber(L, fields->y);
  lua_setfield(L, -2, "y");
  setBool("left_click", m.click[0]);
  setBool("right_click", m.click[1]);
  setBool("middle_click", m.click[2]);
  setBool("left_down", m.down[0]);
  setBool("right_down", m.down[1]);
  setBool("middle_down", m.down[2]);
  setBool("left_up", m.up[0]);
  setBool("right_up", m.up[1]);
  setBool("middle_up", m.up[2]);
  setBool("wheel_up", m.wheelUp > 0);
  setBool("wheel_down", m.wheelDown > 0);
  setBool("over_window", m.overWindow);
  return 0;
}

}  // namespace

void FillMouseTable() {
  if (!ScriptState()) return;
  const MouseWindow window = Window();
  MouseState& m = Input().mouse;
  auto map = [](float p, float offset, float size, int game) {
    int value = size > 0 ? static_cast<int>(static_cast<float>(game) * (p - offset) / size + 0.5f) : 0;
    return std::clamp(value, 0, std::max(game - 1, 0));
  };
  MouseFields fields{map(m.x, window.imageX, window.imageWidth, window.gameWidth),
                     map(m.y, window.imageY, window.imageHeight, window.gameHeight), &m};
  TARN_RUN_PROTECTED(WriteMouseTable, &fields, 0, "FillMouseTable");
}

void SetMouseWindow(MouseWindow (*window)()) { mouseWindow = window; }

void ResetInputForTests() { Input() = InputState(); }

}  // namespace tarn
