// Collision masks: one bit per pixel of one channel of an image, shared by
// path through a process-wide cache, for pixel-exact hit tests of points
// against sprites placed, rotated and scaled the way sprites are drawn.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tarn::gfx {

// The bits of one image, shared by every mask loaded from its path.
struct CollisionMaskData {
  std::string name;  // the resource key of the image path
  int32_t width = 0;
  int32_t bytesPerRow = 0;  // width / 8 rounded up
  int32_t height = 0;
  // Row after row from the top; pixel x of a row is bit x % 8 of byte x / 8,
  // the least significant bit first; 1 is solid.
  std::vector<uint8_t> bits;
  int32_t refCount = 1;
};

// What a script holds: the shared bits and where the mask's pivot lies.
struct CollisionMask {
  CollisionMaskData* data = nullptr;
  float pivotX = 0;
  float pivotY = 0;
};

// The byte of a B, G, R, A pixel a mask is built from.
enum MaskChannel : int { kMaskBlueByte = 0, kMaskGreenByte = 1, kMaskRedByte = 2, kMaskAlphaByte = 3 };

// The process-wide cache, keyed by resource key. A key whose image could not
// be loaded keeps an empty entry, so the failure is not retried.
class MaskCache {
 public:
  static MaskCache& Instance();

  CollisionMaskData* Acquire(const std::string& path, int channel);
  void Release(CollisionMaskData* data);
  // Logs and frees every entry with data, in key order, then forgets every
  // key; returns how many were still held.
  int ReleaseAll();

 private:
  std::map<std::string, std::unique_ptr<CollisionMaskData>> entries_;
};

// The data of the path's image, shared: the first load's channel (a byte
// index 0..3; anything else reads byte 0) stays for every later one. Null
// when the image cannot be loaded, now or at an earlier try.
CollisionMaskData* AcquireMaskData(const std::string& path, int channel);
// One holder less; the last one frees the data and its cache entry.
void ReleaseMaskData(CollisionMaskData* data);

// A mask on the path's data; a negative pivot coordinate stands for the
// middle (width / 2, height / 2 in whole pixels). Null when there is no data.
std::unique_ptr<CollisionMask> LoadMask(const std::string& path, float pivotX, float pivotY, int channel);
// Gives up the mask's hold on its data; the mask is left without data.
void ReleaseMask(CollisionMask& mask);

// The bit at a pixel; false outside the mask.
bool MaskBit(const CollisionMaskData& data, int32_t x, int32_t y);
// Whether the point (x, y) hits the mask with its pivot at (maskX, maskY),
// turned clockwise by angle degrees and stretched by the scales. A point that
// maps to no finite pixel (a scale of 0, infinite or NaN input) misses.
bool TestMask(const CollisionMask& mask, float x, float y, float maskX, float maskY, float angle, float scaleX,
              float scaleY);

// At shutdown: frees every mask the game still holds, each logged; with warn
// and at least one of them, a message box says so. Masks still held are then
// left with freed data: end them without ReleaseMask (FreeAllScriptMasks).
void ReleaseAllMasks(bool warn);

}  // namespace tarn::gfx
