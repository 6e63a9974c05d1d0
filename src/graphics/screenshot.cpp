#include "graphics/screenshot.h"

#include <cstdio>
#include <cstring>

#include "diag/log.h"
#include "graphics/image_files.h"
#include "graphics/render.h"
#include "graphics/render_target.h"

namespace tarn::gfx {
namespace {

int screenshotCounter = 0;
int textureDumpCounter = 0;

std::string Numbered(const char* format, int& counter) {
  char name[64];
  std::snprintf(name, sizeof name, format, counter++);
  return name;
}

// The frame as the window shows it: the main render target when there is
// one (the game's resolution), else the back buffer.
bool ReadFrame(PixelImage& frame) {
  Backend* backend = RenderDevice::Instance().GetBackend();
  if (!backend) return false;
  Bitmap* target = HasMainRenderTarget() ? MainRenderTarget() : nullptr;
  if (target && target->valid) return backend->ReadTexture(target->record->texture, frame);
  return backend->ReadBackBuffer(frame);
}

// Writes B, G, R, A pixels of the given size by the name's extension (BMP
// for any other), opaque when 'opaque'.
bool WritePixels(const uint8_t* bgra, int width, int height, const std::string& path, bool opaque) {
  int kind = ImageKindOf(path);
  if (kind < 0) kind = kImageHeaderBmp;
  Image image;
  if (!image.Allocate(width, height, false, kind)) return false;
  std::memcpy(image.pixels, bgra, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  image.alpha = !opaque;
  if (opaque)
    for (size_t i = 3; i < static_cast<size_t>(width) * static_cast<size_t>(height) * 4; i += 4) image.pixels[i] = 255;
  return WriteImageFile(image, path, kind);
}

}  // namespace

bool TakeScreenshot(const std::string* givenPath, const ImageRect* rect, int destWidth, int destHeight) {
  std::string path = givenPath ? *givenPath : Numbered("screenshots/screen%.3d.bmp", screenshotCounter);
  PixelImage frame;
  if (!ReadFrame(frame) || frame.width <= 0 || frame.height <= 0) return false;
  ImageRect source{0, 0, frame.width, frame.height};
  if (rect) {
    source = *rect;
    if (source.left < 0) source.left = 0;
    if (source.top < 0) source.top = 0;
    if (source.right > frame.width) source.right = frame.width;
    if (source.bottom > frame.height) source.bottom = frame.height;
    if (source.right <= source.left || source.bottom <= source.top) {
      LogError("Bad source rect {left=%d, top=%d, rigth=%d, bottom=%d}!\n <%s>", rect->left, rect->top, rect->right,
               rect->bottom, path.c_str());
      return false;
    }
  }
  int w = source.right - source.left, h = source.bottom - source.top;
  bool sized = destWidth >= 1 && destHeight >= 1;
  int outW = sized ? destWidth : w, outH = sized ? destHeight : h;
  LogInfo("TakeScreenshot: \"%s\", srcRect={%d, %d, %d, %d}, destSize={%d, %d}", path.c_str(), source.left, source.top,
          source.right, source.bottom, outW, outH);
  if (outW > kMaxClassicImageSide || outH > kMaxClassicImageSide) {
    LogWarning("TakeScreenshot: size %dx%d refused, each side must be 1 to %d", outW, outH, kMaxClassicImageSide);
    return false;
  }
  std::vector<uint8_t> cut(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
  CopyRect(frame.bgra.data(), frame.width, frame.height, frame.width, cut.data(), w, h, w, &source, nullptr);
  std::vector<uint8_t> out;
  if (outW != w || outH != h) {
    out.resize(static_cast<size_t>(outW) * static_cast<size_t>(outH) * 4);
    Resample(cut.data(), w, h, w, out.data(), outW, outH, outW);
  } else {
    out.swap(cut);
  }
  if (!WritePixels(out.data(), outW, outH, path, true)) LogWarning("Can't open file for write: %s", path.c_str());
  return true;
}

bool SaveBitmap(const Bitmap* bitmap, const std::string* givenPath) {
  if (!bitmap || !bitmap->valid || !bitmap->record) return false;
  std::string path = givenPath ? *givenPath : Numbered("tex/temp_tex%.3d.tga", textureDumpCounter);
  Backend* backend = RenderDevice::Instance().GetBackend();
  PixelImage texels;
  if (!backend || !backend->ReadTexture(bitmap->record->texture, texels) || texels.width <= 0) return false;
  RenderDevice::Instance().UnbindTexture();
  return WritePixels(texels.bgra.data(), texels.width, texels.height, path, false);
}

void ResetImageCounters() { screenshotCounter = textureDumpCounter = 0; }

}  // namespace tarn::gfx
