#include "graphics/collision_mask.h"

#include <cmath>

#include "diag/log.h"
#include "graphics/image/image.h"
#include "graphics/image_files.h"
#include "graphics/texture.h"
#include "platform/platform.h"
#include "resources/filesystem.h"
#include "script/args.h"

namespace tarn::gfx {

namespace {

constexpr int kMaskFormats = kFormatPng | kFormatTga | kFormatBmp;
// The inverse turn uses this factor, in single precision: with it a turn of
// 90 degrees lands exactly on the pixel edges that callers rely on.
constexpr float kRadiansPerDegree = 0.017453292f;

// The bits of one channel of a decoded image, or null when the image's size
// does not match its pixels.
std::unique_ptr<CollisionMaskData> BuildData(const std::string& key, const Image& image, int channel) {
  if (image.Empty() || image.width <= 0 || image.height <= 0 || image.width > kMaxImageSide ||
      image.height > kMaxImageSide)
    return nullptr;
  const uint64_t width = static_cast<uint64_t>(image.width);
  const uint64_t height = static_cast<uint64_t>(image.height);
  const uint64_t pixelBytes = width * height * 4;
  if (image.BlockSize() < static_cast<uint64_t>(image.HeaderSize()) + pixelBytes) return nullptr;

  auto data = std::make_unique<CollisionMaskData>();
  data->name = key;
  data->width = image.width;
  data->height = image.height;
  data->bytesPerRow = static_cast<int32_t>((width + 7) / 8);
  data->bits.assign(static_cast<size_t>(static_cast<uint64_t>(data->bytesPerRow) * height), 0);
  const uint8_t* pixel = image.Pixels() + channel;
  for (int32_t y = 0; y < data->height; ++y) {
    uint8_t* row = data->bits.data() + static_cast<size_t>(y) * static_cast<size_t>(data->bytesPerRow);
    for (int32_t x = 0; x < data->width; ++x, pixel += 4)
      if (*pixel & 0x80) row[x >> 3] |= static_cast<uint8_t>(1u << (x & 7));
  }
  return data;
}

// A mask coordinate truncated toward zero; false when it names no pixel.
bool PixelCoordinate(float value, int32_t& out) {
  if (!std::isfinite(value)) return false;
  out = args::ToInteger(value);  // beyond int32 clamps, far outside any mask
  return true;
}

}  // namespace

MaskCache& MaskCache::Instance() {
  static MaskCache cache;
  return cache;
}

CollisionMaskData* MaskCache::Acquire(const std::string& path, int channel) {
  if (channel < kMaskBlueByte || channel > kMaskAlphaByte) channel = kMaskBlueByte;
  std::string key = FileSystem::ResourceKey(path);
  auto found = entries_.find(key);
  if (found != entries_.end()) {
    CollisionMaskData* data = found->second.get();
    if (!data || data->refCount == INT32_MAX) return nullptr;  // the count cannot grow past int32
    ++data->refCount;
    return data;
  }
  std::unique_ptr<Image> image(
      LoadImageFile(key, kMaskFormats, false, kImageHeaderNone, nullptr, nullptr, false));
  std::unique_ptr<CollisionMaskData> data;
  if (image) data = BuildData(key, *image, channel);
  image.reset();
  CollisionMaskData* result = data.get();
  entries_[key] = std::move(data);
  return result;
}

void MaskCache::Release(CollisionMaskData* data) {
  if (!data) return;
  auto found = entries_.find(data->name);
  // Data the cache no longer holds (freed at shutdown) is not touched.
  if (found == entries_.end() || found->second.get() != data) return;
  if (--data->refCount <= 0) entries_.erase(found);
}

int MaskCache::ReleaseAll() {
  int held = 0;
  for (const auto& [key, data] : entries_) {
    if (!data) continue;
    LogInfo("Collision mask is not released: %s [ref: %d]", data->name.c_str(), data->refCount);
    ++held;
  }
  entries_.clear();
  return held;
}

CollisionMaskData* AcquireMaskData(const std::string& path, int channel) {
  return MaskCache::Instance().Acquire(path, channel);
}

void ReleaseMaskData(CollisionMaskData* data) { MaskCache::Instance().Release(data); }

std::unique_ptr<CollisionMask> LoadMask(const std::string& path, float pivotX, float pivotY, int channel) {
  CollisionMaskData* data = AcquireMaskData(path, channel);
  if (!data) return nullptr;
  auto mask = std::make_unique<CollisionMask>();
  mask->data = data;
  mask->pivotX = pivotX < 0 ? static_cast<float>(data->width / 2) : pivotX;
  mask->pivotY = pivotY < 0 ? static_cast<float>(data->height / 2) : pivotY;
  return mask;
}

void ReleaseMask(CollisionMask& mask) {
  ReleaseMaskData(mask.data);
  mask.data = nullptr;
}

bool MaskBit(const CollisionMaskData& data, int32_t x, int32_t y) {
  if (x < 0 || y < 0 || x >= data.width || y >= data.height) return false;
  size_t byte = static_cast<size_t>(y) * static_cast<size_t>(data.bytesPerRow) + static_cast<size_t>(x >> 3);
  return byte < data.bits.size() && (data.bits[byte] >> (x & 7)) & 1;
}

bool TestMask(const CollisionMask& mask, float x, float y, float maskX, float maskY, float angle, float scaleX,
              float scaleY) {
  if (!mask.data) return false;
  const float a = -angle * kRadiansPerDegree;
  const float c = std::cos(a);
  const float s = std::sin(a);
  const float dx = x - maskX;
  const float dy = y - maskY;
  int32_t lx = 0, ly = 0;
  if (!PixelCoordinate((c * dx - s * dy) / scaleX + mask.pivotX, lx)) return false;
  if (!PixelCoordinate((s * dx + c * dy) / scaleY + mask.pivotY, ly)) return false;
  return MaskBit(*mask.data, lx, ly);
}

void ReleaseAllMasks(bool warn) {
  int held = MaskCache::Instance().ReleaseAll();
  if (!warn || held == 0 || !Platform::Installed()) return;
  MessageBoxRequest box;
  box.caption = "Not released collision mask(s)";
  box.text = "Some collision masks are not released, for more information read a log file.";
  box.icon = BoxIcon::Information;
  Platform::Get().ShowMessageBox(box);
}

}  // namespace tarn::gfx
