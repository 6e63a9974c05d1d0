// Extracting pack archives into host folders (the archive tool's extract).
#pragma once

#include <string>

namespace tarn {

// Writes every entry of the archive below 'folder' (created if missing).
// Refuses names that would leave the folder and stops at the first error.
bool ExtractPack(const std::string& archive, const std::string& folder, std::string* error);

}  // namespace tarn
