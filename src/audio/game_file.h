// The files the sound engine streams, opened by name in the virtual file
// system (folders and pack archives alike). The sound system installs
// OpenGameFile as the engine's opener. Main thread only: the stream goes
// back to the file system when the file is destroyed.
#pragma once

#include <memory>
#include <string>

#include "audio/sound_engine.h"

namespace tarn::audio {

// The longest name a file keeps; longer names are cut.
constexpr size_t kMaxFileNameLength = 1023;

// The file read into memory, or null when the file system cannot open it.
std::unique_ptr<ReadFile> OpenGameFile(const std::string& name);

}  // namespace tarn::audio
