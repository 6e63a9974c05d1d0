#include "xvfb_display.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace tarn::bench {

XvfbDisplay::XvfbDisplay() {
  if (access("/usr/bin/Xvfb", X_OK) != 0) {
    error_ = "Xvfb is not installed (package xvfb; ./tarn setup installs it)";
    return;
  }
  for (int display = 90; display < 110; ++display) {
    std::string lock = "/tmp/.X" + std::to_string(display) + "-lock";
    struct stat st;
    if (stat(lock.c_str(), &st) == 0) continue;
    std::string name = ":" + std::to_string(display);
    pid_t pid = fork();
    if (pid == 0) {
      execl("/usr/bin/Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    // Wait for the server's socket.
    std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
    for (int i = 0; i < 100 && stat(socket.c_str(), &st) != 0; ++i) usleep(50000);
    if (stat(socket.c_str(), &st) != 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
      continue;
    }
    pid_ = pid;
    setenv("DISPLAY", name.c_str(), 1);
    return;
  }
  error_ = "no Xvfb display could be started";
}

XvfbDisplay::~XvfbDisplay() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

}  // namespace tarn::bench
