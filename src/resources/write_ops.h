// Writing, deleting and renaming inside the write folder. Every path passes
// FileSystem::GuardWritePath and is refused with the sandbox message when it
// lies outside the folder or leads through a symbolic link.
#pragma once

#include <ostream>
#include <string>

namespace tarn {

// An output stream for the file, or null. With 'compress' the file is wrapped
// in the compressed envelope when it is closed (empty files stay empty).
std::ostream* OpenWrite(const std::string& name, bool binary, bool overwrite, bool compress);
void CloseWrite(std::ostream* stream);
// Deletes the files matching the name (wildcards in its last part); the count.
int RemoveMatching(const std::string& name);
bool ClearFolder(const std::string& name);
bool DeleteFolder(const std::string& name, bool recursive);
bool Rename(const std::string& oldName, const std::string& newName);
// Closes every stream still open, without compressing (process exit).
void CloseAllWriteStreams();

// Wraps a finished file into the compressed envelope; set by the archive code.
using EnvelopeWriter = bool (*)(const std::string& path);
void SetEnvelopeWriter(EnvelopeWriter writer);

}  // namespace tarn
