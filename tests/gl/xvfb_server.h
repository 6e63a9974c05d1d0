// A private X server for the OpenGL tests: Xvfb on the first free display,
// local connections only, stopped with the test program.
#pragma once

#include <sys/types.h>

#include <string>

namespace tarn::gfx::gltest {

class XvfbServer {
 public:
  ~XvfbServer() { Stop(); }

  // Starts Xvfb on the first free display from :97 on; false with a reason.
  bool Start(std::string& error);
  void Stop();
  std::string DisplayName() const { return ":" + std::to_string(display_); }

 private:
  bool TryDisplay(const char* binary, int display);

  pid_t pid_ = -1;
  int display_ = -1;
};

}  // namespace tarn::gfx::gltest
