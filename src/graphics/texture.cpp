#include "graphics/texture.h"

#include <new>

#include "diag/log.h"
#include "graphics/sprite_file.h"
#include "graphics/texture_load.h"
#include "platform/platform.h"
#include "graphics/render.h"

namespace tarn::gfx {

int32_t EstimateTextureBytes(int w, int h, int levels, bool alpha, bool compressed, bool bits16) {
  int64_t total = 0;
  for (int level = 0; level < levels; ++level) {
    if (compressed) {
      int64_t cw = (w + 3) / 4 * 4, ch = (h + 3) / 4 * 4;
      int64_t bytes = cw * ch;
      total += alpha ? bytes : bytes / 2;
    } else {
      total += static_cast<int64_t>(w) * h * (bits16 ? 2 : alpha ? 4 : 3);
    }
    w = (w + 1) / 2;
    h = (h + 1) / 2;
  }
  return static_cast<int32_t>(total);
}

TextureManager& TextureManager::Instance() {
  static TextureManager manager;
  return manager;
}

TextureHandle TextureManager::CreateBlankTexture(int width, int height, bool alpha, bool renderTarget) {
  RenderDevice& device = RenderDevice::Instance();
  Backend* backend = device.GetBackend();
  if (!backend) return 0;
  // Sizes come from scripts: refused before the back end allocates anything.
  int maxSide = device.MaxTextureSide();
  if (width < 1 || height < 1 || width > maxSide || height > maxSide) {
    LogWarning("Can't create texture: %dx%d, each side must be 1 to %d", width, height, maxSide);
    return 0;
  }
  TextureHandle texture = 0;
  try {
    texture = backend->CreateTexture(width, height, alpha, renderTarget, nullptr);
  } catch (const std::bad_alloc&) {
    LogWarning("Can't create texture: %dx%d, out of memory", width, height);
  }
  RenderDevice::Instance().UnbindTexture();
  return texture;
}

bool TextureManager::CreateRenderTarget(TextureRecord& record, int width, int height, bool alpha) {
  record.modified = 0;
  record.texture = CreateBlankTexture(width, height, alpha, true);
  if (!record.texture) return false;
  record.renderBuffer = true;
  record.width = width;
  record.height = height;
  record.alpha = alpha;
  record.memorySize = EstimateTextureBytes(width, height, 1, alpha, false, false);
  return true;
}

bool TextureManager::CreateRenderTargetBitmap(Bitmap& handle, int width, int height, bool alpha, int flags) {
  auto record = std::make_unique<TextureRecord>();
  if (!CreateRenderTarget(*record, width, height, alpha)) return false;
  if (flags & kBitmapMainSprite) {
    record->sprites.push_back({"main", 0, 0, width, height, width / 2, height / 2});
    handle.hasSprites = true;
  }
  handle.record = record.get();
  handle.valid = true;
  records_.push_back(std::move(record));
  return true;
}

bool TextureManager::ReleaseBitmap(Bitmap& handle) {
  if (!handle.valid) return false;
  --handle.record->refCount;
  handle.record = nullptr;
  handle.valid = false;
  return true;
}

void TextureManager::CollectUnreferenced() {
  Backend* backend = RenderDevice::Instance().GetBackend();
  for (auto it = records_.begin(); it != records_.end();) {
    if ((*it)->refCount > 0) {
      ++it;
      continue;
    }
    if (backend && (*it)->texture) backend->ReleaseTexture((*it)->texture);
    it = records_.erase(it);
  }
}

void TextureManager::ReleaseDeviceObjects() {
  RenderDevice::Instance().UnbindTexture();
  Backend* backend = RenderDevice::Instance().GetBackend();
  for (auto& record : records_) {
    if (backend && record->texture) backend->ReleaseTexture(record->texture);
    record->texture = 0;
  }
}

void TextureManager::RestoreDeviceObjects() {
  Backend* backend = RenderDevice::Instance().GetBackend();
  for (auto& record : records_) {
    if (backend && record->texture) backend->ReleaseTexture(record->texture);
    record->texture = 0;
    if (!record->name.empty())
      record->texture = LoadTexture(record->name, record->formatBit, -1, true, nullptr, nullptr);
    else
      record->texture = CreateBlankTexture(record->width, record->height, record->alpha, true);
  }
}

bool TextureManager::LoadBitmap(Bitmap& handle, const std::string& path, int flags) {
  if (handle.valid) return false;
  std::string key = TextureKey(path);
  for (auto& record : records_) {
    // Render targets have no key: an empty one ("", ".png") must not find them.
    if (record->renderBuffer || record->name != key) continue;
    handle.record = record.get();
    handle.hasSprites = !record->sprites.empty();
    ++record->refCount;
    handle.valid = true;
    return true;
  }
  TextureInfo info;
  FileInfo fileInfo;
  TextureHandle texture = LoadTexture(path, 0, -1, !(flags & kBitmapQuiet), &info, &fileInfo);
  if (!texture) return false;
  auto record = std::make_unique<TextureRecord>();
  record->texture = texture;
  record->name = key;
  record->width = info.textureWidth;
  record->height = info.textureHeight;
  record->memorySize = info.memorySize;
  record->formatBit = info.formatBit;
  record->loadOptions = info.loadOptions;
  record->modified = fileInfo.modified;
  handle.record = record.get();
  handle.valid = true;
  handle.hasSprites = false;
  if (flags & kBitmapSpriteFile) {
    // The sprite file: the path lower-cased with ".txt" for its extension,
    // which is the resource key with ".txt".
    record->sprites = ReadSpriteFile(key + ".txt");
    handle.hasSprites = !record->sprites.empty();
  }
  if (!handle.hasSprites && (flags & kBitmapMainSprite)) {
    record->sprites.push_back(
        {"main", 0, 0, info.imageWidth, info.imageHeight, info.imageWidth / 2, info.imageHeight / 2});
    handle.hasSprites = true;
  }
  records_.push_back(std::move(record));
  return true;
}

void TextureManager::ReloadChangedTextures() {
  Backend* backend = RenderDevice::Instance().GetBackend();
  for (auto& record : records_) {
    if (record->name.empty()) continue;
    std::string file = record->name + "." + FormatExtension(record->formatBit);
    FileInfo info;
    if (!FileSystem::Instance().Exists(file, true, &info) || info.modified == record->modified) continue;
    if (backend && record->texture) backend->ReleaseTexture(record->texture);
    RenderDevice::Instance().UnbindTexture();
    record->texture = LoadTexture(record->name, record->formatBit, -1, true, nullptr, nullptr);
    record->modified = info.modified;
  }
}

void TextureManager::ReleaseAllTextures(bool warn) {
  Backend* backend = RenderDevice::Instance().GetBackend();
  int forgotten = 0;
  for (auto& record : records_) {
    if (record->refCount > 0) {
      LogInfo("Texture is not released: %s [ref: %d]", record->name.c_str(), record->refCount);
      ++forgotten;
    }
    if (backend && record->texture) backend->ReleaseTexture(record->texture);
  }
  records_.clear();
  if (options_.developerMode && warn && forgotten > 0 && Platform::Installed()) {
    MessageBoxRequest box;
    box.caption = "Not released texture(s)";
    box.text = "Some textures are not released, for more information read a log file.";
    box.icon = BoxIcon::Information;
    Platform::Get().ShowMessageBox(box);
  }
}

TextureManager::Statistics TextureManager::TextureStatistics() const {
  Statistics statistics{static_cast<int>(records_.size()), 0};
  for (const auto& record : records_) statistics.bytes += record->memorySize;
  return statistics;
}

}  // namespace tarn::gfx
