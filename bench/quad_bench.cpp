// The box-and-quad scene: 1000 alpha-blended 64 x 64 quads per frame at fixed
// pseudo-random places, half of them textured, through the software renderer
// and through OpenGL (Mesa's llvmpipe under a private Xvfb) in the same run.
// Reports quads per second for each.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "graphics/render.h"
#include "platform/headless/headless_platform.h"
#include "platform/sdl/sdl_platform.h"
#include "xvfb_display.h"

namespace {

using namespace tarn;
using namespace tarn::gfx;

constexpr int kWidth = 800, kHeight = 600, kQuads = 1000, kSize = 64;

struct Placed {
  float x, y, r, g, b, angle;
  bool textured;
};

// The box-and-quad scene: half the quads untextured, none rotated. The
// sprite scene: every quad textured and turned by its own angle.
std::vector<Placed> Scene(bool sprites) {
  std::mt19937 random(12345);
  std::uniform_real_distribution<float> px(0, kWidth - kSize), py(0, kHeight - kSize), c(0.2f, 1.0f), a(0, 6.2832f);
  std::vector<Placed> scene;
  for (int i = 0; i < kQuads; ++i)
    scene.push_back({px(random), py(random), c(random), c(random), c(random), sprites ? a(random) : 0.0f,
                     sprites || i % 2 == 1});
  return scene;
}

// Runs frames for about 'seconds' and returns quads per second.
double Measure(RenderDevice& device, TextureHandle texture, double seconds, bool sprites, int size) {
  std::vector<Placed> scene = Scene(sprites);
  auto frame = [&] {
    device.ClearFrame();
    device.BeginScene();
    for (const Placed& p : scene) {
      Quad q;
      float h = size * 0.5f, cs = std::cos(p.angle) * h, sn = std::sin(p.angle) * h;
      float cx = p.x + h, cy = p.y + h;
      const float corner[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
      for (int k = 0; k < 4; ++k) {
        float dx = corner[k][0], dy = corner[k][1];
        q.v[k] = {cx + dx * cs - dy * sn, cy + dx * sn + dy * cs, 200, dx > 0 ? 1.0f : 0.0f, dy > 0 ? 1.0f : 0.0f,
                  p.r, p.g, p.b, 0.7f};
      }
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

TextureHandle MakeTexture(Backend& backend, int size) {
  std::vector<uint8_t> pixels(static_cast<size_t>(size) * size * 4);
  for (int i = 0; i < size * size; ++i) {
    pixels[i * 4 + 0] = static_cast<uint8_t>(i * 7);
    pixels[i * 4 + 1] = static_cast<uint8_t>(i * 3);
    pixels[i * 4 + 2] = static_cast<uint8_t>(i);
    pixels[i * 4 + 3] = static_cast<uint8_t>(128 + (i % 128));
  }
  return backend.CreateTexture(size, size, true, false, pixels.data());
}

struct Results {
  double boxes = 0, sprites64 = 0, sprites16 = 0;
};

Results MeasureAll(RenderDevice& device, double seconds) {
  Results r;
  Backend& backend = *device.GetBackend();
  r.boxes = Measure(device, MakeTexture(backend, kSize), seconds, false, kSize);
  r.sprites64 = Measure(device, MakeTexture(backend, 64), seconds, true, 64);
  r.sprites16 = Measure(device, MakeTexture(backend, 16), seconds, true, 16);
  return r;
}

void Print(const Results& sw, const Results* gl) {
  printf("%-58s %14s %14s\n", "scene (1000 alpha-blended quads a frame, 800x600)", "software", "OpenGL llvmpipe");
  auto row = [&](const char* name, double a, double b) {
    if (gl) printf("%-58s %12.0f/s %12.0f/s\n", name, a, b);
    else printf("%-58s %12.0f/s %14s\n", name, a, "-");
  };
  row("box-and-quad: 64x64, half textured, unrotated", sw.boxes, gl ? gl->boxes : 0);
  row("sprites: 64x64, textured, tinted, rotated", sw.sprites64, gl ? gl->sprites64 : 0);
  row("sprites: 16x16, textured, tinted, rotated", sw.sprites16, gl ? gl->sprites16 : 0);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = argc > 1 ? atof(argv[1]) : 2.0;
  DeviceSetup setup;
  setup.width = setup.gameWidth = kWidth;
  setup.height = setup.gameHeight = kHeight;
  setup.perspective = false;

  Platform::Install(std::make_unique<HeadlessPlatform>(HeadlessOptions(), stderr));
  RenderDevice& device = RenderDevice::Instance();
  device.InitDevice(CreateSoftwareBackend(), setup);
  Results software = MeasureAll(device, seconds);
  device.CloseDevice();

  bench::XvfbDisplay xvfb;
  if (!xvfb.ok()) {
    Print(software, nullptr);
    printf("OpenGL (llvmpipe): not measured: %s\n", xvfb.error().c_str());
    return 0;
  }
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
  auto sdl = std::make_unique<SdlPlatform>();
  WindowRequest request;
  request.width = kWidth;
  request.height = kHeight;
  request.openGL = true;
  if (!sdl->CreateWindow(request) || !sdl->CreateGLContext(false)) {
    Print(software, nullptr);
    printf("OpenGL (llvmpipe): not measured: no OpenGL window\n");
    return 0;
  }
  Platform::Install(std::move(sdl));
  if (!device.InitDevice(CreateOpenGLBackend(), setup)) {
    Print(software, nullptr);
    printf("OpenGL (llvmpipe): not measured: the OpenGL back end did not start\n");
    return 0;
  }
  Results gl = MeasureAll(device, seconds);
  device.CloseDevice();
  Platform::Install(nullptr);
  Print(software, &gl);
  return 0;
}
