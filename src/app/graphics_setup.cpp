#include "app/graphics_setup.h"

#include "app/app.h"
#include "app/settings.h"
#include "app/window.h"

namespace tarn {

gfx::DeviceSetup MainDeviceSetup() {
  const Display& display = GetDisplay();
  const Application& app = App();
  gfx::DeviceSetup setup;
  setup.width = display.clientWidth;
  setup.height = display.clientHeight;
  setup.gameWidth = display.gameWidth;
  setup.gameHeight = display.gameHeight;
  setup.bit16 = app.bit16;
  setup.perspective = app.perspective;
  return setup;
}

gfx::TextureOptions ConfiguredTextureOptions() {
  const Settings& cfg = Cfg();
  gfx::TextureOptions options;
  options.forcePowerOfTwo = cfg.tex_force_pow_of_2;
  options.forceDxt = cfg.tex_force_dxt;
  options.bits16 = cfg.tex_16bit;
  options.developerMode = cfg.dev_mode;
  return options;
}

}  // namespace tarn
