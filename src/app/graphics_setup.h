// What the graphics layer is handed from the display and the configuration.
#pragma once

#include "graphics/render.h"
#include "graphics/texture.h"

namespace tarn {

// The render device of the main window: its client and game sizes, the
// 16-bit back buffer and the projection the configuration chose.
gfx::DeviceSetup MainDeviceSetup();

// The texture options of config.txt and developer mode.
gfx::TextureOptions ConfiguredTextureOptions();

}  // namespace tarn
