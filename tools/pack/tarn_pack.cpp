// tarn-pack: writes, lists and extracts the engine's pack archives.
//
//   tarn-pack create OUT.pak DIR [--store|--bzip2] [--version 1|2]
//   tarn-pack list ARCHIVE
//   tarn-pack extract ARCHIVE DIR
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pack/pack_extract.h"
#include "pack/pack_write.h"
#include "resources/pack.h"

namespace {

const char kUsage[] =
    "usage:\n"
    "  tarn-pack create OUT.pak DIR [--store|--bzip2] [--version 1|2]\n"
    "      write an archive of the folder DIR (names lower-cased; version 2\n"
    "      unless --version 1 is given; entries compressed with bzip2 unless\n"
    "      --store is given, except in version 1, which always stores them)\n"
    "  tarn-pack list ARCHIVE\n"
    "      print every entry: kind, size, packed size, compression, path\n"
    "  tarn-pack extract ARCHIVE DIR\n"
    "      write every entry below DIR (created if missing)\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "tarn-pack: %s\n", problem);
  std::fputs(kUsage, stderr);
  return 2;
}

int Fail(const std::string& text) {
  std::fprintf(stderr, "tarn-pack: %s\n", text.c_str());
  return 1;
}

int Create(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  tarn::PackWriteOptions options;
  options.compression = tarn::kPackBzip2;
  bool compressionSet = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--store" || arg == "--bzip2") {
      uint32_t compression = arg == "--store" ? tarn::kPackStored : tarn::kPackBzip2;
      if (compressionSet && compression != options.compression)
        return Usage("--store and --bzip2 exclude each other");
      options.compression = compression;
      compressionSet = true;
    } else if (arg == "--version") {
      if (i + 1 >= args.size()) return Usage("--version needs a value (1 or 2)");
      const std::string& value = args[++i];
      if (value == "1") options.version = 1;
      else if (value == "2") options.version = 2;
      else return Usage(("unknown archive version \"" + value + "\" (1 or 2)").c_str());
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage(("unknown option \"" + arg + "\"").c_str());
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) return Usage("create needs OUT.pak and DIR");
  // A version-1 record has a single size field, so a compressed entry could
  // not tell its unpacked size before it is opened: version 1 stores.
  if (options.version == 1) {
    if (compressionSet && options.compression == tarn::kPackBzip2)
      return Usage("--bzip2 cannot be used with --version 1: version-1 archives store their entries uncompressed");
    options.compression = tarn::kPackStored;
  }
  std::string error;
  if (!tarn::WritePackFromFolder(positional[1], positional[0], options, &error)) return Fail(error);
  return 0;
}

void ListEntries(const tarn::PackEntry& folder, const std::string& prefix) {
  for (const auto& item : folder.children) {
    const tarn::PackEntry& entry = *item.second;
    std::string path = prefix + entry.name;
    if (entry.isDir) {
      std::printf("dir   %10s %10s %-6s %s/\n", "-", "-", "-", path.c_str());
      ListEntries(entry, path + "/");
      continue;
    }
    const char* compression = entry.compression == tarn::kPackStored  ? "stored"
                              : entry.compression == tarn::kPackBzip2 ? "bzip2"
                                                                      : "?";
    std::string size = entry.sizeKnown ? std::to_string(entry.size) : std::string("?");
    std::string packed = entry.compression == tarn::kPackStored ? std::to_string(entry.size)
                                                                : std::to_string(entry.packedSize);
    std::printf("file  %10s %10s %-6s %s\n", size.c_str(), packed.c_str(), compression, path.c_str());
  }
}

int List(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage("list needs ARCHIVE");
  tarn::PackDirectory directory;
  std::string error;
  if (!tarn::ReadPackDirectory(args[0], directory, &error)) return Fail(args[0] + ": " + error);
  std::printf("version %u\n", directory.version == 2 ? 2u : 1u);
  ListEntries(directory.root, "");
  return 0;
}

int Extract(const std::vector<std::string>& args) {
  if (args.size() != 2) return Usage("extract needs ARCHIVE and DIR");
  std::string error;
  if (!tarn::ExtractPack(args[0], args[1], &error)) return Fail(error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(nullptr);
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "-h" || command == "--help" || command == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command == "create") return Create(args);
  if (command == "list") return List(args);
  if (command == "extract") return Extract(args);
  return Usage(("unknown command \"" + command + "\"").c_str());
}
