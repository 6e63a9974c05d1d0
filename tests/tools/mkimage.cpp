// Makes the test images the game checks need: mkimage OUT.png PATTERN W H
// Patterns: checker (8-pixel squares, four colours, opaque), gradient (red
// across, green down, opaque), grey (red = green = blue = x, for "_alpha"
// companions), ring (a white disc with soft edge on transparent). A name
// ending in .tga gives a 24-bit TGA without alpha.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/image/png_file.h"

// A 24-bit top-down TGA: an image without an alpha channel.
bool WriteOpaqueTga(const std::string& path, const tarn::gfx::PixelImage& image) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return false;
  unsigned char header[18] = {0, 0, 2};
  header[12] = static_cast<unsigned char>(image.width);
  header[13] = static_cast<unsigned char>(image.width >> 8);
  header[14] = static_cast<unsigned char>(image.height);
  header[15] = static_cast<unsigned char>(image.height >> 8);
  header[16] = 24;
  header[17] = 0x20;  // rows top-down
  bool ok = fwrite(header, 1, sizeof header, file) == sizeof header;
  for (size_t i = 0; ok && i < image.bgra.size(); i += 4) ok = fwrite(&image.bgra[i], 1, 3, file) == 3;
  return fclose(file) == 0 && ok;
}

int main(int argc, char** argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: mkimage OUT.png|OUT.tga checker|gradient|grey|ring|noise WIDTH HEIGHT\n");
    return 2;
  }
  std::string pattern = argv[2];
  tarn::gfx::PixelImage image;
  image.width = atoi(argv[3]);
  image.height = atoi(argv[4]);
  if (image.width <= 0 || image.height <= 0) return 2;
  image.bgra.resize(static_cast<size_t>(image.width) * image.height * 4);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      uint8_t* p = &image.bgra[(static_cast<size_t>(y) * image.width + x) * 4];
      int b = 0, g = 0, r = 0, a = 255;
      if (pattern == "checker") {
        static const int colours[4][3] = {{255, 255, 255}, {255, 64, 32}, {32, 160, 255}, {40, 200, 60}};
        const int* c = colours[((x / 8) + 2 * ((y / 8) % 2)) % 4];
        r = c[0], g = c[1], b = c[2];
      } else if (pattern == "gradient") {
        r = x * 255 / std::max(1, image.width - 1);
        g = y * 255 / std::max(1, image.height - 1);
        b = 128;
      } else if (pattern == "grey") {
        r = g = b = x * 255 / std::max(1, image.width - 1);
      } else if (pattern == "ring") {
        double dx = x + 0.5 - image.width / 2.0, dy = y + 0.5 - image.height / 2.0;
        double d = std::sqrt(dx * dx + dy * dy) / (image.width / 2.0);
        r = g = b = 255;
        a = d >= 1 ? 0 : static_cast<int>(255 * (1 - d));
      } else if (pattern == "noise") {
        // Every channel varies from texel to texel, as in a photograph.
        uint32_t h = static_cast<uint32_t>(y * image.width + x) * 2654435761u;
        h ^= h >> 15;
        h *= 2246822519u;
        h ^= h >> 13;
        r = h & 255, g = (h >> 8) & 255, b = (h >> 16) & 255;
      } else {
        fprintf(stderr, "mkimage: unknown pattern %s\n", pattern.c_str());
        return 2;
      }
      p[0] = static_cast<uint8_t>(b);
      p[1] = static_cast<uint8_t>(g);
      p[2] = static_cast<uint8_t>(r);
      p[3] = static_cast<uint8_t>(a);
    }
  }
  std::string out = argv[1];
  if (out.size() > 4 && out.compare(out.size() - 4, 4, ".tga") == 0) return WriteOpaqueTga(out, image) ? 0 : 1;
  return tarn::gfx::WritePngFile(argv[1], image) ? 0 : 1;
}
