#include "platform/platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "platform/hostfs.h"

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

void Platform::DebugOutput(const std::string& text) {
  fwrite(text.data(), 1, text.size(), stderr);
  fflush(stderr);
}

bool Platform::AcquireInstanceLock(const std::string& lockFile) {
  int fd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
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
