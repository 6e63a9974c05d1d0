#include "platform/platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <stdexcept>

#include "platform/hostfs.h"
#include "platform/keys.h"

namespace tarn {

namespace {
std::unique_ptr<Platform>& Slot() {
  static std::unique_ptr<Platform> platform;
  return platform;
}
}  // namespace

Platform& Platform::Get() {
  auto& slot = Slot();
  if (!slot) throw std::logic_error("no platform installed");
  return *slot;
}

void Platform::Install(std::unique_ptr<Platform> platform) { Slot() = std::move(platform); }

bool Platform::Installed() { return Slot() != nullptr; }

std::string Platform::CurrentFolder() { return hostfs::CurrentDir(); }

namespace {

// Runs 'program' with one argument (or none) in a grandchild, so that no
// child is left to reap; false when it could not be started.
bool StartDetached(const char* program, const char* argument, bool searchPath) {
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  pid_t child = fork();
  if (child < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    return false;
  }
  if (child == 0) {
    if (fork() == 0) {
      if (searchPath)
        execlp(program, program, argument, static_cast<char*>(nullptr));
      else
        execl(program, program, argument, static_cast<char*>(nullptr));
      char failed = 1;  // the exec failed: tell the parent
      (void)!write(pipeFds[1], &failed, 1);
      _exit(127);
    }
    _exit(0);
  }
  close(pipeFds[1]);
  int status = 0;
  waitpid(child, &status, 0);
  char failed = 0;
  bool execFailed = read(pipeFds[0], &failed, 1) == 1;  // end of file once the program runs
  close(pipeFds[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && !execFailed;
}

}  // namespace

bool Platform::OpenWithDesktop(const std::string& target) { return StartDetached("xdg-open", target.c_str(), true); }

bool Platform::StartProgram(const std::string& path) { return StartDetached(path.c_str(), nullptr, false); }

void Platform::DebugOutput(const std::string& text) {
  fwrite(text.data(), 1, text.size(), stderr);
  fflush(stderr);
}

bool Platform::AcquireInstanceLock(const std::string& lockFile) {
  int fd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return true;  // no lock file possible: do not refuse to start
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return false;
  }
  return true;  // the descriptor stays open for the life of the process
}

bool Platform::SetPriorityClass(int priorityClass) {
  int nice = 0;
  if (priorityClass == 128) nice = -5;
  if (priorityClass == 64) nice = 10;
  if (setpriority(PRIO_PROCESS, 0, nice) == 0) return true;
  // Raising priority needs privileges; keeping the current one is a failure.
  return false;
}

void Platform::TrackInput(const Message& message) {
  switch (message.type) {
    case MsgType::KeyDown:
    case MsgType::SysKeyDown:
    case MsgType::KeyUp: {
      bool down = message.type != MsgType::KeyUp;
      int code = message.param;
      if (code < 0 || code >= 256) break;
      int sided = message.x;
      if (sided >= kKeyLeftShift && sided <= kKeyRightAlt && CommonKey(sided) == code) {
        // The common code stays down while either side is.
        keyDown_[sided] = down;
        int left = kKeyLeftShift + 2 * (code - kKeyShift);
        keyDown_[code] = keyDown_[left] || keyDown_[left + 1];
      } else {
        keyDown_[code] = down;
      }
      break;
    }
    case MsgType::MouseDown:
    case MsgType::MouseUp:
      if (message.param >= 0 && message.param < 3) buttonDown_[message.param] = message.type == MsgType::MouseDown;
      break;
    case MsgType::MouseMove:
      cursorX_ = message.x;
      cursorY_ = message.y;
      break;
    case MsgType::ActivateApp:
      if (message.param == 0) {
        std::fill(std::begin(keyDown_), std::end(keyDown_), false);
        std::fill(std::begin(buttonDown_), std::end(buttonDown_), false);
      }
      break;
    default:
      break;
  }
}

bool Platform::KeyIsDown(int virtualKey) const {
  return virtualKey >= 0 && virtualKey < 256 && keyDown_[virtualKey];
}

bool Platform::ButtonIsDown(int button) const { return button >= 0 && button < 3 && buttonDown_[button]; }

bool Platform::CursorOverClient() const {
  int width = 0, height = 0;
  ClientSize(width, height);
  return cursorX_ >= 0 && cursorY_ >= 0 && cursorX_ <= width && cursorY_ <= height;
}

int CommonKey(int virtualKey) {
  return virtualKey >= kKeyLeftShift && virtualKey <= kKeyRightAlt ? kKeyShift + (virtualKey - kKeyLeftShift) / 2
                                                                   : virtualKey;
}

Message KeyMessage(MsgType type, int virtualKey) {
  Message message;
  message.type = type;
  message.param = CommonKey(virtualKey);
  if (message.param != virtualKey) message.x = virtualKey;
  return message;
}

int Platform::KeyCharacter(int vk, bool shift, bool ctrl) const {
  // The US keyboard layout, where Ctrl with any key types a control
  // character or nothing.
  if (ctrl) return 0;
  if (vk >= 'A' && vk <= 'Z') return shift ? vk : vk - 'A' + 'a';
  if (vk >= '0' && vk <= '9') return shift ? ")!@#$%^&*("[vk - '0'] : vk;
  if (vk >= 96 && vk <= 105) return '0' + (vk - 96);
  switch (vk) {
    case 32: return ' ';
    case 106: return '*';
    case 107: return '+';
    case 109: return '-';
    case 110: return '.';
    case 111: return '/';
    case 186: return shift ? ':' : ';';
    case 187: return shift ? '+' : '=';
    case 188: return shift ? '<' : ',';
    case 189: return shift ? '_' : '-';
    case 190: return shift ? '>' : '.';
    case 191: return shift ? '?' : '/';
    case 192: return shift ? '~' : '`';
    case 219: return shift ? '{' : '[';
    case 220: return shift ? '|' : '\\';
    case 221: return shift ? '}' : ']';
    case 222: return shift ? '"' : '\'';
    default: return 0;
  }
}

int BoxButtonCount(BoxButtons buttons) {
  switch (buttons) {
    case BoxButtons::Ok: return 1;
    case BoxButtons::OkCancel:
    case BoxButtons::YesNo:
    case BoxButtons::RetryCancel: return 2;
    case BoxButtons::YesNoCancel:
    case BoxButtons::AbortRetryIgnore: return 3;
  }
  return 1;
}

BoxAnswer BoxButtonAnswer(BoxButtons buttons, int index) {
  static const BoxAnswer kOk[] = {BoxAnswer::Ok};
  static const BoxAnswer kOkCancel[] = {BoxAnswer::Ok, BoxAnswer::Cancel};
  static const BoxAnswer kYesNo[] = {BoxAnswer::Yes, BoxAnswer::No};
  static const BoxAnswer kYesNoCancel[] = {BoxAnswer::Yes, BoxAnswer::No, BoxAnswer::Cancel};
  static const BoxAnswer kAri[] = {BoxAnswer::Abort, BoxAnswer::Retry, BoxAnswer::Ignore};
  static const BoxAnswer kRetryCancel[] = {BoxAnswer::Retry, BoxAnswer::Cancel};
  if (index < 0 || index >= BoxButtonCount(buttons)) index = 0;
  switch (buttons) {
    case BoxButtons::Ok: return kOk[index];
    case BoxButtons::OkCancel: return kOkCancel[index];
    case BoxButtons::YesNo: return kYesNo[index];
    case BoxButtons::YesNoCancel: return kYesNoCancel[index];
    case BoxButtons::AbortRetryIgnore: return kAri[index];
    case BoxButtons::RetryCancel: return kRetryCancel[index];
  }
  return BoxAnswer::Ok;
}

const char* BoxAnswerName(BoxAnswer answer) {
  switch (answer) {
    case BoxAnswer::Ok: return "ok";
    case BoxAnswer::Cancel: return "cancel";
    case BoxAnswer::Yes: return "yes";
    case BoxAnswer::No: return "no";
    case BoxAnswer::Abort: return "abort";
    case BoxAnswer::Retry: return "retry";
    case BoxAnswer::Ignore: return "ignore";
  }
  return "ok";
}

}  // namespace tarn
