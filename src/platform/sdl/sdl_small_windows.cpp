// The platform's windows of the start, before the game's own window: the
// please-wait window, and a hidden OpenGL context that asks the driver about
// itself.

#include "platform/sdl/sdl_platform.h"

namespace tarn {

namespace {

constexpr unsigned kGlVendor = 0x1F00;
constexpr unsigned kGlRenderer = 0x1F01;
constexpr unsigned kGlVersion = 0x1F02;
constexpr unsigned kGlExtensions = 0x1F03;
constexpr int kGlTotalMemoryNvx = 0x9048;           // kilobytes
constexpr int kGlxRendererVideoMemoryMesa = 0x8187;  // megabytes

using GetString = const unsigned char* (*)(unsigned);
using GetInteger = void (*)(unsigned, int*);
using QueryRendererMesa = int (*)(int, unsigned*);

std::string Text(GetString getString, unsigned name) {
  const unsigned char* text = getString(name);
  return text ? reinterpret_cast<const char*>(text) : "";
}

uint64_t VideoMemory(GetString getString) {
  auto queryMesa = reinterpret_cast<QueryRendererMesa>(SDL_GL_GetProcAddress("glXQueryCurrentRendererIntegerMESA"));
  unsigned megabytes = 0;
  if (queryMesa && queryMesa(kGlxRendererVideoMemoryMesa, &megabytes) && megabytes > 0)
    return static_cast<uint64_t>(megabytes) * 1048576u;
  auto getInteger = reinterpret_cast<GetInteger>(SDL_GL_GetProcAddress("glGetIntegerv"));
  if (getInteger && Text(getString, kGlExtensions).find("GL_NVX_gpu_memory_info") != std::string::npos) {
    int kilobytes = 0;
    getInteger(kGlTotalMemoryNvx, &kilobytes);
    if (kilobytes > 0) return static_cast<uint64_t>(kilobytes) * 1024u;
  }
  return 0;
}

}  // namespace

void SdlPlatform::ShowWaitWindow(const std::string&, const uint8_t* bgra, int width, int height) {
  CloseWaitWindow();
  if (!bgra || width <= 0 || height <= 0 || !InitVideo()) return;
  waitWindow_ = SDL_CreateWindow("", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                 SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN | SDL_WINDOW_ALWAYS_ON_TOP);
  if (!waitWindow_) return;
  SDL_Surface* target = SDL_GetWindowSurface(waitWindow_);
  SDL_Surface* image = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(bgra), width, height, 32, width * 4,
                                                          SDL_PIXELFORMAT_ARGB8888);
  if (target && image) {
    SDL_SetSurfaceBlendMode(image, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(image, nullptr, target, nullptr);
    SDL_UpdateWindowSurface(waitWindow_);
  }
  if (image) SDL_FreeSurface(image);
  // Painted at once: nothing handles the window while the engine is busy.
  SDL_PumpEvents();
}

void SdlPlatform::CloseWaitWindow() {
  if (!waitWindow_) return;
  SDL_DestroyWindow(waitWindow_);
  waitWindow_ = nullptr;
  // The messages the window left behind go with it.
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

bool SdlPlatform::QueryGraphicsDriver(GraphicsDriverFacts& facts) {
  if (!InitVideo()) return false;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_Window* probe = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!probe) return false;
  SDL_GLContext context = SDL_GL_CreateContext(probe);
  bool told = false;
  if (context && SDL_GL_MakeCurrent(probe, context) == 0) {
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (getString) {
      facts.renderer = Text(getString, kGlRenderer);
      facts.vendor = Text(getString, kGlVendor);
      facts.version = Text(getString, kGlVersion);
      facts.videoMemory = VideoMemory(getString);
      told = !facts.renderer.empty();
    }
    SDL_GL_MakeCurrent(probe, nullptr);
  }
  if (context) SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(probe);
  return told;
}

}  // namespace tarn
