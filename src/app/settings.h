// Process-wide settings read from config.txt (and the command line) that are
// not fields of the application object.
#pragma once

namespace tarn {

struct Settings {
  bool opengl = false;
  bool tex_force_pow_of_2 = true;
  bool tex_force_dxt = false;
  bool tex_16bit = false;
  bool static_rendertarget = false;
  bool dev_mode = false;
  bool create_log = false;
  bool confirm_exit = false;
  bool send_errors = true;
  bool disable_audio = false;
  bool renderTargetInFullScreen = true;
  bool renderTargetInWindow = true;
  bool optionsFlag = false;  // "options" on the command line
};

Settings& Cfg();

}  // namespace tarn
