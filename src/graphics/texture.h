// Texture records shared by resource key, the Bitmap handles scripts and
// fonts hold, and the manager that owns the records.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "graphics/backend.h"
#include "resources/filesystem.h"

namespace tarn::gfx {

struct Sprite {
  std::string name;  // compared exactly
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t pivotX = 0, pivotY = 0;
};

struct TextureRecord {
  int32_t refCount = 1;
  TextureHandle texture = 0;
  bool renderBuffer = false;  // a render target: the back end can draw into the texture
  std::string name;           // resource key; empty for render targets
  int32_t width = 0, height = 0;
  int32_t memorySize = 0;
  std::vector<Sprite> sprites;
  bool alpha = false;
  int64_t modified = 0;
  int32_t formatBit = 0;
  int32_t loadOptions = -1;
};

struct Bitmap {
  bool valid = false;
  TextureRecord* record = nullptr;
  bool hasSprites = false;
};

int32_t EstimateTextureBytes(int w, int h, int levels, bool alpha, bool compressed, bool bits16);

// How a bitmap is made: kBitmapSpriteFile reads the sprite file beside the
// image, kBitmapMainSprite adds a "main" sprite over the whole image when
// there is none, kBitmapQuiet does not report a missing or unreadable file.
enum BitmapFlag { kBitmapSpriteFile = 1, kBitmapMainSprite = 2, kBitmapQuiet = 4 };

// Image formats, tried in this order.
enum FormatBit { kFormatDds = 1, kFormatPng = 2, kFormatJpg = 4, kFormatTga = 8, kFormatBmp = 16 };

struct TextureInfo {
  int formatBit = 0;
  int loadOptions = -1;
  int imageWidth = 0, imageHeight = 0;
  int textureWidth = 0, textureHeight = 0;
  int32_t memorySize = 0;
};

// How textures are made from image files and looked after, as the
// configuration chose.
struct TextureOptions {
  bool forcePowerOfTwo = true;  // images are padded to power-of-two sides
  bool forceDxt = false;        // images are block compressed where the back end keeps reduced textures
  bool bits16 = false;          // images take 16-bit formats there
  bool developerMode = false;   // textures left unreleased at the end are shown in a message box
};

// The resource key of an image path: lower case, '/' separators, no extension.
std::string TextureKey(const std::string& path);

// Loads an image file into a texture of the current back end, trying the
// allowed formats (0: from the extension) in order.
TextureHandle LoadTexture(const std::string& path, int formats, int options, bool report, TextureInfo* info,
                          FileInfo* fileInfo);

class TextureManager {
 public:
  static TextureManager& Instance();

  void SetOptions(const TextureOptions& options) { options_ = options; }
  const TextureOptions& Options() const { return options_; }

  TextureHandle CreateBlankTexture(int width, int height, bool alpha, bool renderTarget);
  // 'flags' in LoadBitmap and CreateRenderTargetBitmap: BitmapFlag bits.
  bool LoadBitmap(Bitmap& handle, const std::string& path, int flags);
  void ReloadChangedTextures();
  bool CreateRenderTargetBitmap(Bitmap& handle, int width, int height, bool alpha, int flags);
  bool ReleaseBitmap(Bitmap& handle);
  void CollectUnreferenced();
  void ReleaseDeviceObjects();
  void RestoreDeviceObjects();
  // Frees every record; logs those still referenced.
  void ReleaseAllTextures(bool warn);

  // The number of records and their estimated bytes, for the statistics.
  struct Statistics {
    int count;
    int64_t bytes;
  };
  Statistics TextureStatistics() const;

 private:
  bool CreateRenderTarget(TextureRecord& record, int width, int height, bool alpha);
  std::list<std::unique_ptr<TextureRecord>> records_;
  TextureOptions options_;
};

}  // namespace tarn::gfx
