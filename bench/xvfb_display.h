// Starts a private Xvfb server on the local machine for code that needs a
// display (OpenGL on Mesa's software rasteriser), and stops it again.
#pragma once

#include <string>

namespace tarn::bench {

class XvfbDisplay {
 public:
  XvfbDisplay();   // sets DISPLAY for this process when the server is up
  ~XvfbDisplay();  // stops the server
  bool ok() const { return pid_ > 0; }
  const std::string& error() const { return error_; }

 private:
  int pid_ = -1;
  std::string error_;
};

}  // namespace tarn::bench
