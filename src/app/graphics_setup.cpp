#include "app/graphics_setup.h"

#include "app/app.h"
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

}  // namespace tarn
