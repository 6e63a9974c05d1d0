#include "graphics/texture_load.h"

#include <algorithm>
#include <cctype>

#include "diag/error.h"
#include "graphics/image/dds.h"
#include "graphics/image/image.h"
#include "graphics/image/reader.h"
#include "graphics/load_guard.h"
#include "graphics/render.h"
#include "graphics/texture.h"
#include "resources/filesystem.h"

namespace tarn::gfx {

namespace {

constexpr size_t kMaxPath = 511;
constexpr int kFormats[] = {kFormatDds, kFormatPng, kFormatJpg, kFormatTga, kFormatBmp};
constexpr int kAllFormats = kFormatDds | kFormatPng | kFormatJpg | kFormatTga | kFormatBmp;

using Reader = int (*)(InputStream*, Image&, bool, int, int*, int*);

Reader ReaderFor(int formatBit) {
  switch (formatBit) {
    case kFormatPng: return ReadPNG;
    case kFormatJpg: return ReadJPEG;
    case kFormatTga: return ReadTGA;
    case kFormatBmp: return ReadBMP;
    default: return nullptr;
  }
}

// Decodes one file with one reader; false for a missing or broken file.
bool Decode(const std::string& path, int formatBit, bool powerOfTwo, int headerKind, Image& image, int* width,
            int* height, FileInfo* fileInfo) {
  Reader reader = ReaderFor(formatBit);
  if (!reader) return false;
  FileSystem& fs = FileSystem::Instance();
  InputStream* stream = fs.OpenRead(path, fileInfo, false);
  if (!stream) return false;
  int result = -1;
  try {
    result = FailOnAllocationError([&] { return reader(stream, image, powerOfTwo, headerKind, width, height); }, -1);
  } catch (const Exception&) {
    result = -1;  // a decoder's fatal error is a failed load here
  }
  fs.CloseRead(stream);
  return result == 0;
}

// The "_alpha" companion: its red channel becomes the image's alpha.
void ApplyAlphaCompanion(const std::string& pathWithoutExtension, Image& image) {
  if (image.alpha) return;
  Image companion;
  if (!Decode(pathWithoutExtension + "_alpha.png", kFormatPng, false, 0, companion, nullptr, nullptr, nullptr)) return;
  image.CopyChannel(companion, 2, 3);
  image.alpha = true;
}

// DDS files go straight to back ends that take them.
TextureHandle CreateTextureFromDds(const std::string& path, TextureInfo* info, FileInfo* fileInfo) {
  Backend* backend = RenderDevice::Instance().GetBackend();
  if (backend && !backend->TakesDds()) return 0;
  FileInfo local;
  std::unique_ptr<char[]> data = FileSystem::Instance().ReadWhole(path, &local, false);
  if (!data) return 0;
  if (fileInfo) *fileInfo = local;
  DdsImage dds;
  if (!DecodeDds(reinterpret_cast<const uint8_t*>(data.get()), local.size, dds)) return 0;
  if (!backend) return 0;
  // DXT1 keeps one bit of alpha: texels of three-colour blocks may be see-through.
  TextureHandle texture =
      backend->CreateTexture(dds.width, dds.height, dds.alpha || dds.punchThrough, false, dds.bgra.data());
  RenderDevice::Instance().UnbindTexture();
  if (texture && info) {
    info->imageWidth = info->textureWidth = dds.width;
    info->imageHeight = info->textureHeight = dds.height;
    info->memorySize = EstimateTextureBytes(dds.width, dds.height, dds.mipLevels, dds.alpha, true, false);
  }
  return texture;
}

TextureHandle CreateTextureFromFile(const std::string& path, size_t extensionAt, int formatBit, int options,
                                    TextureInfo* info, FileInfo* fileInfo) {
  const TextureOptions& configured = TextureManager::Instance().Options();
  if (options == -1) options = (configured.forcePowerOfTwo ? 2 : 0) | (configured.forceDxt ? 4 : 0);
  if (formatBit == kFormatDds) return CreateTextureFromDds(path, info, fileInfo);
  Image image;
  int width = 0, height = 0;
  if (!Decode(path, formatBit, (options & 2) != 0, 1, image, &width, &height, fileInfo)) return 0;
  ApplyAlphaCompanion(path.substr(0, extensionAt), image);
  Backend* backend = RenderDevice::Instance().GetBackend();
  if (!backend) return 0;
  // Compression and 16-bit formats apply where the back end keeps reduced
  // textures; elsewhere images keep full precision.
  const bool reduced = backend->StoresReducedTextures();
  const bool compressed = reduced && (options & 4) != 0, bits16 = reduced && configured.bits16;
  TextureStorage storage =
      compressed ? TextureStorage::kCompressed : bits16 ? TextureStorage::kBits16 : TextureStorage::kFull;
  TextureHandle texture = backend->CreateStoredTexture(image.width, image.height, image.alpha, image.Pixels(), storage);
  RenderDevice::Instance().UnbindTexture();
  if (texture && info) {
    info->textureWidth = image.width;
    info->textureHeight = image.height;
    info->imageWidth = width;
    info->imageHeight = height;
    info->memorySize = EstimateTextureBytes(image.width, image.height, 1, image.alpha, compressed, bits16);
  }
  return texture;
}

}  // namespace

const char* FormatExtension(int formatBit) {
  switch (formatBit) {
    case kFormatDds: return "dds";
    case kFormatPng: return "png";
    case kFormatJpg: return "jpg";
    case kFormatTga: return "tga";
    case kFormatBmp: return "bmp";
    default: return "";
  }
}

std::string TextureKey(const std::string& path) {
  std::string key = FileSystem::ResourceKey(path);
  size_t slash = key.find_last_of('/');
  size_t dot = key.find_last_of('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) key.erase(dot);
  return key;
}

TextureHandle LoadTexture(const std::string& path, int formats, int options, bool report, TextureInfo* info,
                          FileInfo* fileInfo) {
  // Paths longer than the engine's 511 characters fail like a missing file.
  TextureHandle texture = 0;
  int used = 0;
  if (path.size() <= kMaxPath) {
    size_t slash = path.find_last_of("/\\");
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.find_last_of('.');
    size_t extensionAt = dot != std::string::npos && dot >= nameStart ? dot : path.size();
    if (formats == 0) {
      formats = kAllFormats;
      std::string extension = path.substr(std::min(extensionAt + 1, path.size()));
      std::transform(extension.begin(), extension.end(), extension.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      for (int bit : kFormats)
        if (extensionAt < path.size() && extension == FormatExtension(bit)) formats = bit;
    }
    std::string base = path.substr(0, extensionAt);
    for (int bit : kFormats) {
      if (!(formats & bit)) continue;
      std::string name = base + "." + FormatExtension(bit);
      texture = FailOnAllocationError(
          [&] { return CreateTextureFromFile(name, extensionAt, bit, options, info, fileInfo); }, TextureHandle{0});
      if (texture) {
        used = bit;
        break;
      }
    }
  }
  if (texture && info) {
    info->formatBit = used;
    info->loadOptions = options;
  }
  if (!texture && report) ErrorLoadingFile(path);
  return texture;
}

}  // namespace tarn::gfx
