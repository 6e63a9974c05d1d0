// Writing, deleting and renaming inside the write folder. Every path is tested
// against the write folder (after ".." is collapsed) and refused with the
// sandbox message when it lies outside; a symbolic link is never followed out
// of the folder.
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

// True when writing to 'path' stays inside the write folder on disk: no
// symbolic link on the way leads out of it.
bool StaysInWriteFolder(const std::string& path);

// Wraps a finished file into the compressed envelope; set by the archive code.
using EnvelopeWriter = bool (*)(const std::string& path);
void SetEnvelopeWriter(EnvelopeWriter writer);

}  // namespace tarn
