// Writing pack archives: from a tree in memory or from a host folder. Only the
// archive tool and the tests write archives; the engine only reads them
// (resources/pack.h describes the layout).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "resources/pack.h"

namespace tarn {

// A tree to write: folders hold children, files hold their contents.
struct PackSourceNode {
  std::string name;
  bool isDir = false;
  std::string contents;   // used when hostPath is empty
  std::string hostPath;   // a host file to read the contents from at write time
  std::vector<PackSourceNode> children;
};

struct PackWriteOptions {
  uint32_t version = 2;
  uint32_t compression = kPackStored;  // kPackStored or kPackBzip2 (version 2 only)
};

// The bytes of an archive holding 'root''s children, in the order given.
// Names are written as they are; use the folder reader for lower-casing.
bool BuildPackImage(const PackSourceNode& root, const PackWriteOptions& options, std::string& image,
                    std::string* error);
// Reads a host folder into a tree: names lower-cased, children sorted the way
// the archive orders them; file contents are read when the archive is
// written. Fails on nesting deeper than an archive can hold and on two names
// that differ only by case.
bool ReadSourceFolder(const std::string& folder, PackSourceNode& root, std::string* error);
bool WritePackFromFolder(const std::string& folder, const std::string& archive, const PackWriteOptions& options,
                         std::string* error);
// True for an entry name that can be written below a folder: not empty, not
// "." or "..", no slash or backslash, no NUL.
bool IsSafeEntryName(const std::string& name);

// Stores 'text' in 'error' when one is given; always false, for returns.
bool SetPackError(std::string* error, const std::string& text);

}  // namespace tarn
