// The tarn executable: the engine on a real window.
#include <memory>

#include "app/app.h"
#include "platform/sdl/sdl_platform.h"

int main(int argc, char** argv) {
  tarn::Platform::Install(std::make_unique<tarn::SdlPlatform>());
  int code = tarn::EngineMain(argc, argv);
  tarn::Platform::Install(nullptr);
  return code;
}
