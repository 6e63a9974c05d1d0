// The default renderer: everything drawn on the CPU into a 32-bit (or 16-bit
// precision) back buffer, presented through the platform.
#include <cstring>
#include <memory>
#include <unordered_map>

#include "graphics/backend.h"
#include "graphics/software/debug_font.h"
#include "graphics/software/draw_queue.h"
#include "graphics/software/raster.h"
#include "graphics/software/texture_storage.h"
#include "platform/platform.h"

namespace tarn::gfx {

namespace {

class SoftwareBackend : public Backend {
 public:
  bool Init(int width, int height, bool bit16) override {
    backBuffer_.alpha = false;
    backBuffer_.bit16 = bit16;
    backBuffer_.Resize(width, height);
    target_ = &backBuffer_;
    return true;
  }
  void Close() override {
    queue_.Flush();
    textures_.clear();
    target_ = &backBuffer_;
  }
  int Width() const override { return backBuffer_.width; }
  int Height() const override { return backBuffer_.height; }
  bool HalfPixelOffset() const override { return true; }
  bool FlipsTargets() const override { return false; }

  TextureHandle CreateTexture(int width, int height, bool alpha, bool renderTarget, const uint8_t* bgra) override {
    if (width <= 0 || height <= 0) return 0;
    (void)renderTarget;  // every software texture can be drawn into
    auto surface = std::make_unique<Surface>();
    surface->alpha = alpha;
    surface->Resize(width, height);
    if (bgra) std::memcpy(surface->pixels.data(), bgra, surface->pixels.size() * 4);
    TextureHandle handle = reinterpret_cast<TextureHandle>(surface.get());
    textures_[handle] = std::move(surface);
    return handle;
  }
  TextureHandle CreateStoredTexture(int width, int height, bool alpha, const uint8_t* bgra,
                                    TextureStorage storage) override {
    TextureHandle handle = CreateTexture(width, height, alpha, false, bgra);
    if (Surface* surface = Find(handle)) ReduceToStorage(*surface, storage);
    return handle;
  }
  bool StoresReducedTextures() const override { return true; }
  void ReleaseTexture(TextureHandle texture) override {
    queue_.Flush();
    auto it = textures_.find(texture);
    if (it == textures_.end()) return;
    if (target_ == it->second.get()) target_ = &backBuffer_;
    textures_.erase(it);
  }
  bool ReadTexture(TextureHandle texture, PixelImage& out) override {
    queue_.Flush();
    const Surface* surface = Find(texture);
    if (!surface) return false;
    Copy(*surface, out);
    return true;
  }
  bool BeginTarget(TextureHandle texture, uint32_t clearArgb) override {
    Surface* surface = Find(texture);
    if (!surface) return false;
    queue_.Flush();  // nothing queued may still read the old contents
    target_ = surface;
    queue_.Fill(surface, clearArgb);
    return true;
  }
  void EndTarget() override {
    // What was drawn into the target must be complete before anything samples it.
    queue_.Flush();
    target_ = &backBuffer_;
  }

  void Clear() override {
    queue_.Fill(&backBuffer_, 0u);
  }
  void SetProjection(const float matrix[16], int width, int height) override {
    std::memcpy(viewport_.matrix, matrix, sizeof viewport_.matrix);
    viewport_.width = width;
    viewport_.height = height;
  }
  void SetStates(const RenderStates& states) override { states_ = states; }
  void Draw(const Quad& quad, TextureHandle texture, int addressMode) override {
    queue_.Add(target_, viewport_, states_, quad, Find(texture), addressMode);
  }
  bool Present() override {
    queue_.Flush();
    if (backBuffer_.width <= 0) return false;
    Platform::Get().PresentPixels(reinterpret_cast<const uint8_t*>(backBuffer_.pixels.data()), backBuffer_.width,
                                  backBuffer_.height);
    return true;
  }
  bool ReadBackBuffer(PixelImage& out) override {
    queue_.Flush();
    Copy(backBuffer_, out);
    for (size_t i = 3; i < out.bgra.size(); i += 4) out.bgra[i] = 255;  // the back buffer has no alpha
    return true;
  }

  bool HasDebugFont() const override { return true; }
  void DrawDebugText(int x, int y, const std::string& text, uint32_t argb) override {
    queue_.Flush();
    DrawDebugFontText(*target_, x, y, text, argb);
  }
  int MeasureDebugText(const std::string& text) override { return DebugTextWidth(text); }
  int DebugFontHeight() const override { return kDebugFontHeight; }

 private:
  Surface* Find(TextureHandle texture) {
    auto it = textures_.find(texture);
    return it == textures_.end() ? nullptr : it->second.get();
  }
  static void Copy(const Surface& surface, PixelImage& out) {
    out.width = surface.width;
    out.height = surface.height;
    out.bgra.resize(surface.pixels.size() * 4);
    std::memcpy(out.bgra.data(), surface.pixels.data(), out.bgra.size());
  }

  Surface backBuffer_;
  Surface* target_ = &backBuffer_;
  Viewport viewport_{};
  RenderStates states_;
  std::unordered_map<TextureHandle, std::unique_ptr<Surface>> textures_;
  DrawQueue queue_;  // last: its thread stops before the surfaces go
};

}  // namespace

std::unique_ptr<Backend> CreateSoftwareBackend() { return std::make_unique<SoftwareBackend>(); }

}  // namespace tarn::gfx
