#include "particles/shape_points.h"

#include <strings.h>

#include <map>
#include <memory>

#include "graphics/image_files.h"
#include "particles/random.h"
#include "resources/filesystem.h"

namespace tarn::particles {

namespace {

constexpr int kShapeFormats = gfx::kFormatPng | gfx::kFormatTga | gfx::kFormatBmp;

// The images by resource key; null for one that could not be loaded, so that
// it is reported once.
std::map<std::string, std::unique_ptr<gfx::Image>>& ShapeImages() {
  static std::map<std::string, std::unique_ptr<gfx::Image>> images;
  return images;
}

const gfx::Image* ShapeImage(const std::string& path) {
  std::string key = FileSystem::ResourceKey(path);
  auto found = ShapeImages().find(key);
  if (found != ShapeImages().end()) return found->second.get();
  std::unique_ptr<gfx::Image> image(
      gfx::LoadImageFile(key, kShapeFormats, false, gfx::kImageHeaderNone, nullptr, nullptr, false));
  if (image && image->Empty()) image.reset();
  return (ShapeImages()[key] = std::move(image)).get();
}

}  // namespace

int ShapeChannel(const char* suffix) {
  if (strcasecmp(suffix, "green") == 0) return 1;
  if (strcasecmp(suffix, "blue") == 0) return 2;
  if (strcasecmp(suffix, "alpha") == 0) return 3;
  return 0;
}

void ForgetShapeImages() { ShapeImages().clear(); }

void AddShapePoints(ParticleGenerator& g, ParconCursor& cursor, int channel) {
  std::string path = cursor.NextString(true, "");
  const gfx::Image* image = ShapeImage(path);
  if (!image) return;
  const int iw = image->width, ih = image->height;
  float W = static_cast<float>(iw - 1), H = static_cast<float>(ih - 1);
  if (cursor.NextIsValue()) {
    if (iw > 1) W = cursor.NextFloat(false, W);
    if (cursor.NextIsValue() && ih > 1)
      H = cursor.NextFloat(false, H);
    else if (iw > 1)
      H = W * static_cast<float>(ih - 1) / static_cast<float>(iw - 1);
  }
  const uint8_t* pixels = image->Pixels();
  auto solid = [&](int64_t i) { return pixels[4 * i + channel] > 31; };
  int64_t total = static_cast<int64_t>(iw) * ih, count = 0;
  for (int64_t i = 0; i < total; ++i) count += solid(i);
  if (count == 0) return;
  auto point = [&](int64_t i, std::vector<float>& out) {
    int x = static_cast<int>(i % iw), y = static_cast<int>(i / iw);
    out.push_back(iw > 1 ? static_cast<float>(x) / static_cast<float>(iw - 1) * W - W / 2 : 0.0f);
    out.push_back(ih > 1 ? static_cast<float>(y) / static_cast<float>(ih - 1) * H - H / 2 : 0.0f);
  };
  std::vector<float> points;
  // More solid pixels than random draws: only the point each draw picks is
  // kept, in the order of the draws, so memory stays bounded.
  bool byDraw = count > kRandomMax + 1;
  points.reserve(static_cast<size_t>(byDraw ? kRandomMax + 1 : count) * 2);
  int64_t solidIndex = 0;
  int r = 0;
  for (int64_t i = 0; i < total && r <= kRandomMax; ++i) {
    if (!solid(i)) continue;
    if (!byDraw) {
      point(i, points);
      continue;
    }
    while (r <= kRandomMax &&
           static_cast<int64_t>(static_cast<float>(r) / kRandomMax * static_cast<float>(count - 1) + 0.5f) ==
               solidIndex) {
      point(i, points);
      ++r;
    }
    ++solidIndex;
  }
  // A further shape adds its points; one kept by draws replaces the others.
  if (!byDraw && !g.shapeByDraw) {
    g.shapePoints.insert(g.shapePoints.end(), points.begin(), points.end());
    return;
  }
  g.shapePoints = std::move(points);
  g.shapeByDraw = byDraw;
}

}  // namespace tarn::particles
