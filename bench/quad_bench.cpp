// The box-and-quad scene: 1000 alpha-blended 64 x 64 quads per frame at fixed
// pseudo-random places, half of them textured, through the software renderer
// and through OpenGL (Mesa's llvmpipe under a private Xvfb) in the same run.
// Reports quads per second for each.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "app/app.h"
#include "app/settings.h"
#include "app/window.h"
#include "graphics/render.h"
#include "platform/headless/headless_platform.h"
#include "platform/sdl/sdl_platform.h"
#include "xvfb_display.h"

namespace {

using namespace tarn;
using namespace tarn::gfx;

constexpr int kWidth = 800, kHeight = 600, kQuads = 1000, kSize = 64;

struct Placed {
  float x, y, r, g, b;
  bool textured;
};

std::vector<Placed> Scene() {
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> px(0, kWidth - kSize), py(0, kHeight - kSize), c(0.2f, 1.0f);
  std::vector<Placed> scene;
  for (int i = 0; i < kQuads; ++i) scene.push_back({px(random), py(random), c(random), c(random), c(random), i % 2 == 1});
  return scene;
}

// Runs frames for about 'seconds' and returns quads per second.
double Measure(RenderDevice& device, TextureHandle texture, double seconds) {
  std::vector<Placed> scene = Scene();
  auto frame = [&] {
    device.ClearFrame();
    device.BeginScene();
    for (const Placed& p : scene) {
      Quad q;
      q.v[0] = {p.x, p.y, 200, 0, 0, p.r, p.g, p.b, 0.7f};
      q.v[1] = {p.x + kSize, p.y, 200, 1, 0, p.r, p.g, p.b, 0.7f};
      q.v[2] = {p.x + kSize, p.y + kSize, 200, 1, 1, p.r, p.g, p.b, 0.7f};
      q.v[3] = {p.x, p.y + kSize, 200, 0, 1, p.r, p.g, p.b, 0.7f};
      device.DrawImage(q, p.textured ? texture : 0, kAddressWrap);
    }
    device.EndScene();
    PixelImage image;
    device.GetBackend()->ReadBackBuffer(image);  // waits for the frame to be finished
  };
  frame();  // warm-up
  auto start = std::chrono::steady_clock::now();
  int frames = 0;
  double elapsed = 0;
  do {
    frame();
    ++frames;
    elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  } while (elapsed < seconds);
  return frames * static_cast<double>(kQuads) / elapsed;
}

TextureHandle MakeTexture(Backend& backend) {
  std::vector<uint8_t> pixels(kSize * kSize * 4);
  for (int i = 0; i < kSize * kSize; ++i) {
    pixels[i * 4 + 0] = static_cast<uint8_t>(i * 7);
    pixels[i * 4 + 1] = static_cast<uint8_t>(i * 3);
    pixels[i * 4 + 2] = static_cast<uint8_t>(i);
    pixels[i * 4 + 3] = static_cast<uint8_t>(128 + (i % 128));
  }
  return backend.CreateTexture(kSize, kSize, true, false, pixels.data());
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = argc > 1 ? atof(argv[1]) : 2.0;
  App().perspective = false;
  GetDisplay().gameWidth = kWidth;
  GetDisplay().gameHeight = kHeight;

  Platform::Install(std::make_unique<HeadlessPlatform>(HeadlessOptions(), stderr));
  RenderDevice& device = RenderDevice::Instance();
  device.InitDevice(CreateSoftwareBackend(), kWidth, kHeight, false);
  double software = Measure(device, MakeTexture(*device.GetBackend()), seconds);
  device.CloseDevice();
  printf("box-and-quad scene, %d quads of %dx%d per frame, alpha blended\n", kQuads, kSize, kSize);
  printf("  software renderer: %12.0f quads/s\n", software);

  bench::XvfbDisplay xvfb;
  if (!xvfb.ok()) {
    printf("  OpenGL (llvmpipe): not measured: %s\n", xvfb.error().c_str());
    return 0;
  }
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
  Cfg().opengl = true;
  auto sdl = std::make_unique<SdlPlatform>();
  WindowRequest request;
  request.width = kWidth;
  request.height = kHeight;
  request.openGL = true;
  if (!sdl->CreateWindow(request) || !sdl->CreateGLContext(false)) {
    printf("  OpenGL (llvmpipe): not measured: no OpenGL window\n");
    return 0;
  }
  Platform::Install(std::move(sdl));
  if (!device.InitDevice(CreateOpenGLBackend(), kWidth, kHeight, false)) {
    printf("  OpenGL (llvmpipe): not measured: the OpenGL back end did not start\n");
    return 0;
  }
  double gl = Measure(device, MakeTexture(*device.GetBackend()), seconds);
  device.CloseDevice();
  Platform::Install(nullptr);
  printf("  OpenGL (llvmpipe): %12.0f quads/s\n", gl);
  printf("  software / OpenGL: %12.2f\n", gl > 0 ? software / gl : 0.0);
  return 0;
}
