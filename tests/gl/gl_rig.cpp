#include "gl_rig.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "platform/sdl/sdl_platform.h"

namespace tarn::gfx::gltest {

Rig* g_rig = nullptr;

namespace {

class GLEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    g_rig = new Rig();
    Rig& rig = *g_rig;
    if (!rig.xvfb.Start(rig.error)) {
      FAIL() << rig.error;
    }
    setenv("DISPLAY", rig.xvfb.DisplayName().c_str(), 1);
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    Platform::Install(std::make_unique<SdlPlatform>());
    WindowRequest request;
    request.title = "tarn-gl-test";
    request.width = kWidth;
    request.height = kHeight;
    request.openGL = true;
    if (!Platform::Get().CreateWindow(request)) {
      rig.error = std::string("no window: ") + SDL_GetError();
      FAIL() << rig.error;
    }
    int w = 0, h = 0;
    Platform::Get().ClientSize(w, h);
    if (w != kWidth || h != kHeight) {
      rig.error = "the window is " + std::to_string(w) + "x" + std::to_string(h);
      FAIL() << rig.error;
    }
    if (!Platform::Get().CreateGLContext(false)) {
      rig.error = std::string("no OpenGL context: ") + SDL_GetError();
      FAIL() << rig.error;
    }
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    rig.renderer = std::string(renderer ? renderer : "?") + " / " + (version ? version : "?");
    std::printf("OpenGL: %s on %s\n", rig.renderer.c_str(), rig.xvfb.DisplayName().c_str());
    rig.gl = CreateOpenGLBackend();
    rig.sw = CreateSoftwareBackend();
    if (!rig.gl->Init(kWidth, kHeight, false)) {
      rig.error = "the OpenGL back end did not start";
      FAIL() << rig.error;
    }
    if (!rig.sw->Init(kWidth, kHeight, false)) {
      rig.error = "the software back end did not start";
      FAIL() << rig.error;
    }
  }

  void TearDown() override {
    if (!g_rig) return;
    if (g_rig->gl) g_rig->gl->Close();
    if (g_rig->sw) g_rig->sw->Close();
    g_rig->gl.reset();
    g_rig->sw.reset();
    // The window goes before its server does.
    if (Platform::Installed()) Platform::Install(nullptr);
    g_rig->xvfb.Stop();
    delete g_rig;
    g_rig = nullptr;
  }
};

[[maybe_unused]] testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new GLEnvironment);

}  // namespace

std::string Comparison::Describe() const {
  char text[200];
  std::snprintf(text, sizeof text, "%d pixels, %d beyond tolerance (%.2f%%), %d not near an edge, max diff %d",
                pixels, beyondTolerance, 100.0 * beyondTolerance / std::max(1, pixels), unexplained, maxDiff);
  std::string s = text;
  if (firstBadX >= 0) s += " (first at " + std::to_string(firstBadX) + "," + std::to_string(firstBadY) + ")";
  return s;
}

Comparison Compare(const PixelImage& reference, const PixelImage& image, bool withAlpha) {
  Comparison c;
  int channels = withAlpha ? 4 : 3;
  c.pixels = reference.width * reference.height;
  auto at = [](const PixelImage& img, int x, int y, int ch) {
    return static_cast<int>(img.bgra[static_cast<size_t>((y * img.width + x) * 4 + ch)]);
  };
  for (int y = 0; y < reference.height; ++y) {
    for (int x = 0; x < reference.width; ++x) {
      int diff = 0;
      for (int ch = 0; ch < channels; ++ch) diff = std::max(diff, std::abs(at(reference, x, y, ch) - at(image, x, y, ch)));
      c.maxDiff = std::max(c.maxDiff, diff);
      if (diff <= kTolerance) continue;
      ++c.beyondTolerance;
      bool explained = true;
      for (int ch = 0; ch < channels && explained; ++ch) {
        int lo = 255, hi = 0;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= reference.width || ny >= reference.height) continue;
            lo = std::min(lo, at(reference, nx, ny, ch));
            hi = std::max(hi, at(reference, nx, ny, ch));
          }
        }
        int v = at(image, x, y, ch);
        explained = v >= lo - kTolerance && v <= hi + kTolerance;
      }
      if (!explained) {
        if (c.unexplained == 0) {
          c.firstBadX = x;
          c.firstBadY = y;
        }
        ++c.unexplained;
      }
    }
  }
  return c;
}

int PixelsBeyondTolerance(const PixelImage& a, const PixelImage& b, bool withAlpha) {
  return Compare(a, b, withAlpha).beyondTolerance;
}

void Dump(const std::string& name, const PixelImage& image) {
  std::string path = "gl-test-" + name + ".ppm";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fprintf(f, "P6\n%d %d\n255\n", image.width, image.height);
  for (size_t i = 0; i + 3 < image.bgra.size(); i += 4) {
    const uint8_t rgb[3] = {image.bgra[i + 2], image.bgra[i + 1], image.bgra[i]};
    std::fwrite(rgb, 1, 3, f);
  }
  std::fclose(f);
}

void ExpectSame(const std::string& name, const PixelImage& reference, const PixelImage& image, bool withAlpha) {
  ASSERT_EQ(reference.width, image.width);
  ASSERT_EQ(reference.height, image.height);
  ASSERT_EQ(reference.bgra.size(), image.bgra.size());
  Comparison c = Compare(reference, image, withAlpha);
  std::printf("[%s] %s\n", name.c_str(), c.Describe().c_str());
  bool ok = c.unexplained == 0 && c.beyondTolerance <= static_cast<int>(kEdgeShare * c.pixels);
  EXPECT_TRUE(ok) << name << ": " << c.Describe();
  if (!ok) {
    Dump(name + "-software", reference);
    Dump(name + "-opengl", image);
  }
}

}  // namespace tarn::gfx::gltest
