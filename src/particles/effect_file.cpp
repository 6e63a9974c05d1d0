// Effect and generator definition files.
//
//   (generator "smoke.gen")                        a generator of its own file
//   (generator                                     or one written in place:
//     (texture "gfx/spark.png") (blending "add")
//     (particle_limit 500) (flow [0 50])
//     (particle_alpha [0 1] [1.5 0])               keys: time in seconds, values
//     (starting_direction 0 360) (starting_velocity 40 120))
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "diag/error.h"
#include "diag/log.h"
#include "particles/effect.h"
#include "particles/shape_points.h"
#include "resources/parcon.h"

namespace tarn::particles {

namespace {

// The entry of a key table (entries with a 'name') for a key, ignoring case.
template <typename Entry, size_t N>
const Entry* FindKey(const Entry (&table)[N], const char* key) {
  for (const Entry& entry : table)
    if (strcasecmp(key, entry.name) == 0) return &entry;
  return nullptr;
}

float OptionalValue(ParconCursor& cursor, float fallback) {
  return cursor.NextIsValue() ? cursor.NextFloat(false, fallback) : fallback;
}

class GeneratorReader {
 public:
  GeneratorReader(ParticleGenerator& generator, const std::string& file) : g_(generator), file_(file) {}

  // Reads the keys of a definition: the lists among elements first.. of 'list'.
  void Read(const ParconList& list, size_t first) {
    for (size_t i = first; i < list.size(); ++i)
      if (const ParconList* entry = list[i]->List()) ReadKey(*entry);
    Finish();
  }

 private:
  void ReadKey(const ParconList& entry) {
    ParconCursor cursor(&entry);
    const char* key = cursor.Name();
    if (!key) return;
    if (strncasecmp(key, "shape_mask", 10) == 0) return AddShapePoints(g_, cursor, ShapeChannel(key + 10));
    struct CurveKey {
      const char* name;
      Curve ParticleGenerator::*curve;
      int values;
    };
    static const CurveKey kCurves[] = {
        {"particle_alpha", &ParticleGenerator::alpha, 1},     {"particle_color", &ParticleGenerator::colour, 3},
        {"particle_scale", &ParticleGenerator::scale, 1},     {"particle_spin", &ParticleGenerator::spin, 1},
        {"flow", &ParticleGenerator::flow, 1},                {"burst", &ParticleGenerator::burst, 1},
        {"starting_direction", &ParticleGenerator::direction, 2},
        {"starting_velocity", &ParticleGenerator::velocity, 2},
        {"starting_rotation", &ParticleGenerator::rotation, 2},
    };
    if (const CurveKey* curve = FindKey(kCurves, key))
      return ReadCurve(cursor, g_.*curve->curve, curve->values, curve->name);
    struct RangeKey {
      const char* name;
      Range ParticleGenerator::*range;
    };
    static const RangeKey kRanges[] = {{"radial_acceleration", &ParticleGenerator::radial},
                                       {"tangential_acceleration", &ParticleGenerator::tangential},
                                       {"gravity", &ParticleGenerator::gravity}};
    if (const RangeKey* range = FindKey(kRanges, key)) {
      Range& r = g_.*range->range;
      r.min = cursor.NextFloat(true, 0);
      r.max = OptionalValue(cursor, r.min);
      return;
    }
    struct FlagKey {
      const char* name;
      bool ParticleGenerator::*flag;
    };
    static const FlagKey kFlags[] = {{"relative_direction", &ParticleGenerator::relativeDirection},
                                     {"relative_rotation", &ParticleGenerator::relativeRotation},
                                     {"looped", &ParticleGenerator::looped}};
    if (const FlagKey* flag = FindKey(kFlags, key)) {
      g_.*flag->flag = cursor.NextInt(true, 0) != 0;
      return;
    }
    if (strcasecmp(key, "generator_angle") == 0) g_.angle = cursor.NextFloat(true, 0);
    if (strcasecmp(key, "texture") == 0) ReadTexture(cursor);
    if (strcasecmp(key, "coords") == 0) ReadCoords(cursor);
    if (strcasecmp(key, "sprite") == 0) ReadSprites(cursor);
    if (strcasecmp(key, "blending") == 0) ReadBlending(cursor);
    if (strcasecmp(key, "particle_limit") == 0) AllocatePool(cursor.NextInt(true, 0));
    if (strcasecmp(key, "explosion_parts") == 0) {
      g_.explosionParts = cursor.NextInt(true, 0);
      explosionPartsSet_ = true;
    }
    // Any other key is ignored.
  }

  // Either one key written in place, (flow 0 10), or lists of keys,
  // (flow [0 10] [2 40]).
  void ReadCurve(ParconCursor& cursor, Curve& curve, int values, const char* name) {
    bool overflow = false;
    while (cursor.HasNext()) {
      if (const ParconList* list = NextList(cursor)) {
        ParconCursor key(list);
        overflow |= !ReadCurveKey(key, curve, values);
      } else {
        overflow |= !ReadCurveKey(cursor, curve, values);
      }
    }
    if (overflow)
      LogWarning("Particle file %s: %s has more than %d key times; the later ones are ignored", file_.c_str(), name,
                 Curve::kMaxKeys);
  }

  // The list that is the cursor's next element (the cursor moves onto it), or
  // null when the next element is a value (the cursor stays).
  static const ParconList* NextList(ParconCursor& cursor) {
    if (cursor.NextIsValue()) return nullptr;
    cursor.Next();
    return cursor.List();
  }

  static bool ReadCurveKey(ParconCursor& cursor, Curve& curve, int values) {
    int32_t time = ToMilliseconds(cursor.NextFloat(true, 0));
    float a = cursor.NextFloat(true, 0);
    float b = values >= 2 ? OptionalValue(cursor, a) : 0.0f;
    float c = values >= 3 ? OptionalValue(cursor, b) : 0.0f;
    return curve.Set(time, a, b, c);
  }

  void ReadTexture(ParconCursor& cursor) {
    std::string path = cursor.NextString(true, "");
    gfx::TextureManager& textures = gfx::TextureManager::Instance();
    if (g_.bitmap.valid) textures.ReleaseBitmap(g_.bitmap);
    g_.bitmap = gfx::Bitmap();
    if (!textures.LoadBitmap(g_.bitmap, path, gfx::kBitmapSpriteFile | gfx::kBitmapMainSprite)) {
      g_.bitmap = gfx::Bitmap();
      FatalError(fatal_text::kTextureFileMissing, path.c_str());
    }
  }

  const gfx::TextureRecord* Texture() const { return g_.bitmap.valid ? g_.bitmap.record : nullptr; }

  void ReadCoords(ParconCursor& cursor) {
    ParticleFrame frame;
    frame.uLeft = cursor.NextFloat(true, 0);
    frame.vTop = cursor.NextFloat(true, 0);
    frame.uRight = cursor.NextFloat(true, 0);
    frame.vBottom = cursor.NextFloat(true, 0);
    const gfx::TextureRecord* texture = Texture();
    float width = texture ? static_cast<float>(texture->width) : 0.0f;
    float height = texture ? static_cast<float>(texture->height) : 0.0f;
    frame.pivotX = (frame.uRight - frame.uLeft) * width / 2;
    frame.pivotY = (frame.vBottom - frame.vTop) * height / 2;
    g_.frames.push_back(frame);
  }

  void ReadSprites(ParconCursor& cursor) {
    std::string name = cursor.NextString(true, "");
    for (;;) {
      AddSpriteFrame(name);
      if (!cursor.NextIsValue()) break;
      name = cursor.NextString(false, "");
    }
  }

  void AddSpriteFrame(const std::string& name) {
    const gfx::TextureRecord* texture = Texture();
    if (!texture) {
      FatalError("%s", fatal_text::kTextureNotInitialized);
      return;
    }
    for (const gfx::Sprite& sprite : texture->sprites) {
      if (sprite.name != name) continue;
      float width = static_cast<float>(texture->width), height = static_cast<float>(texture->height);
      ParticleFrame frame;
      frame.uLeft = static_cast<float>(sprite.x) / width;
      frame.vTop = static_cast<float>(sprite.y) / height;
      frame.uRight = static_cast<float>(static_cast<int64_t>(sprite.x) + sprite.width) / width;
      frame.vBottom = static_cast<float>(static_cast<int64_t>(sprite.y) + sprite.height) / height;
      frame.pivotX = static_cast<float>(sprite.pivotX);
      frame.pivotY = static_cast<float>(sprite.pivotY);
      g_.frames.push_back(frame);
      return;
    }
    FatalError(fatal_text::kSpriteMissing, name.c_str(), texture->name.c_str());
  }

  void ReadBlending(ParconCursor& cursor) {
    std::string word = cursor.NextString(true, "");
    if (word == "add") g_.blending = kBlendAdd;
    if (word == "alpha") g_.blending = kBlendAlpha;
    if (word == "subtr") g_.blending = kBlendSubtract;
  }

  void AllocatePool(int limit) {
    if (limit > kMaxParticleLimit) {
      LogWarning("Particle file %s: particle_limit %d is above %d; the pool holds %d", file_.c_str(), limit,
                 kMaxParticleLimit, kMaxParticleLimit);
      limit = kMaxParticleLimit;
    }
    limit = std::max(limit, 0);
    g_.particles.assign(static_cast<size_t>(limit), Particle{});
    if (!explosionPartsSet_) g_.explosionParts = limit / 2;
  }

  void Finish() {
    if (g_.alpha.Empty()) g_.alpha.Set(0, 1, 0, 0);
    if (g_.colour.Empty()) g_.colour.Set(0, 1, 1, 1);
    if (g_.scale.Empty()) g_.scale.Set(0, 1, 0, 0);
    g_.lifetime = Seconds({&g_.alpha, &g_.colour, &g_.scale, &g_.spin});
    g_.period = Seconds({&g_.flow, &g_.burst, &g_.direction, &g_.velocity, &g_.rotation});
    if (g_.frames.empty()) {
      const gfx::TextureRecord* texture = Texture();
      ParticleFrame frame;
      frame.pivotX = texture ? static_cast<float>(texture->width) / 2 : 0.0f;
      frame.pivotY = texture ? static_cast<float>(texture->height) / 2 : 0.0f;
      g_.frames.push_back(frame);
    }
  }

  // The largest key time of the curves in seconds; 1 when that is 0.
  static float Seconds(std::initializer_list<const Curve*> curves) {
    int32_t largest = 0;
    for (const Curve* curve : curves) largest = std::max(largest, curve->LastTime());
    return largest == 0 ? 1.0f : static_cast<float>(largest) / 1000.0f;
  }

  ParticleGenerator& g_;
  const std::string& file_;
  bool explosionPartsSet_ = false;
};

// The generator of one "generator" list: its own definition, or the one of
// the file its first value names. Null when that file cannot be read.
std::unique_ptr<ParticleGenerator> ReadGenerator(const ParconList& list, const std::string& file) {
  auto generator = std::make_unique<ParticleGenerator>();
  if (list.size() > 1 && list[1]->Text()) {
    std::string name = list[1]->Text();
    Parcon definition;
    if (!definition.Open(name, true) || !definition.Root()) return nullptr;
    GeneratorReader(*generator, name).Read(*definition.Root(), 1);
  } else {
    GeneratorReader(*generator, file).Read(list, 1);
  }
  return generator;
}

}  // namespace

std::unique_ptr<ParticleEffect> LoadEffect(const std::string& path) {
  Parcon parcon;
  if (!parcon.Open(path, true) || !parcon.Root()) return nullptr;
  auto effect = std::make_unique<ParticleEffect>();
  const ParconList& root = *parcon.Root();
  try {
    for (size_t i = 1; i < root.size(); ++i) {
      const ParconList* list = root[i]->List();
      const char* name = list ? ParconCursor(list).Name() : nullptr;
      if (!name || strcasecmp(name, "generator") != 0) continue;
      std::unique_ptr<ParticleGenerator> generator = ReadGenerator(*list, path);
      if (!generator) return nullptr;
      effect->generators.push_back(std::move(generator));
    }
  } catch (const ParconMissingData& error) {
    FatalError("%s", error.Text().c_str());
    return nullptr;
  } catch (const std::bad_alloc&) {
    FatalError("Particle file %s: not enough memory for its particles", path.c_str());
    return nullptr;
  }
  if (effect->generators.empty()) {
    LogWarning("Particle file %s holds no generator", path.c_str());
    return nullptr;
  }
  return effect;
}

}  // namespace tarn::particles
