#include "xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace tarn::gfx::gltest {

bool XvfbServer::Start(std::string& error) {
  const char* binary = "/usr/bin/Xvfb";
  if (access(binary, X_OK) != 0) {
    error = "Xvfb is missing (/usr/bin/Xvfb, Debian package xvfb; ./tarn setup installs it)";
    return false;
  }
  for (int display = 97; display < 140; ++display) {
    std::string lock = "/tmp/.X" + std::to_string(display) + "-lock";
    if (access(lock.c_str(), F_OK) == 0) continue;  // taken, or left behind by a crashed server
    if (TryDisplay(binary, display)) {
      display_ = display;
      return true;
    }
  }
  error = "could not start Xvfb on any display from :97 to :139";
  return false;
}

void XvfbServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

// Xvfb writes the display number to the -displayfd descriptor once it
// accepts connections; it exits at once when the display is in use.
bool XvfbServer::TryDisplay(const char* binary, int display) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid == 0) {
    close(fds[0]);
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, STDIN_FILENO);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
    }
    std::string name = ":" + std::to_string(display);
    std::string fd = std::to_string(fds[1]);
    execl(binary, binary, name.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp", "-displayfd",
          fd.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string reply;
  bool ready = false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fds[0], POLLIN, 0};
    int r = poll(&p, 1, 200);
    if (r < 0 && errno == EINTR) continue;
    if (r > 0) {
      char buffer[32];
      ssize_t n = read(fds[0], buffer, sizeof buffer);
      if (n <= 0) break;  // closed: the server gave up
      reply.append(buffer, static_cast<size_t>(n));
      if (reply.find('\n') != std::string::npos) {
        ready = true;
        break;
      }
    }
  }
  close(fds[0]);
  if (ready) {
    pid_ = pid;
    return true;
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return false;
}

}  // namespace tarn::gfx::gltest
