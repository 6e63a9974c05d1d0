// Host file system services: plain paths with '/' separators. Names are
// matched without regard to case where the engine asks for it, because game
// data is named case-insensitively while this host's file names are not.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tarn::hostfs {

struct Entry {
  std::string name;  // name as stored on disk
  bool isDir = false;
  uint64_t size = 0;
  int64_t modified = 0;  // seconds since 1970-01-01 UTC
};

bool IsAbsolute(const std::string& path);

// Facts about an exact path; false when it does not exist.
bool Stat(const std::string& path, Entry& out);

// Finds a path whatever the case of its components on disk. Tries the path as
// given first, then walks the folders comparing names case-insensitively.
// Returns the path as it exists, or an empty string.
std::string FindNoCase(const std::string& path);

// Lists the entries of the folder part of 'pattern' whose names match its last
// component ('*' and '?', case-insensitive), without "." and "..". The folder
// part is found case-insensitively and may not hold wildcards.
std::vector<Entry> Enumerate(const std::string& pattern);

// True when 'name' matches the wildcard pattern ('*' any run, '?' one char),
// ignoring ASCII case.
bool WildcardMatch(const std::string& pattern, const std::string& name);

bool MakeDir(const std::string& path);   // false when it exists or fails
// Makes the folders of 'relative' (components separated by '/', no "." or
// "..") one level at a time below the existing folder 'base', never following a
// symbolic link: each level is opened as a folder without following links
// before the next is made in it. -1 when a level is a link, not a folder, or
// cannot be made; otherwise 1 when the last level was new, 0 when it existed.
int MakeDirsBelow(const std::string& base, const std::string& relative);
// lstat facts: the path itself is a symbolic link / a folder (not a link to one).
bool IsLink(const std::string& path);
bool IsRealDir(const std::string& path);
// fopen without following a symbolic link as the last component: a link there
// fails the open (and so does a dangling one, whose target is never created).
FILE* OpenNoFollow(const std::string& path, const char* mode);
bool RemoveFile(const std::string& path);
bool RemoveDir(const std::string& path);  // only an empty folder
bool Rename(const std::string& from, const std::string& to);  // fails when 'to' exists
bool MakeWritable(const std::string& path);
std::string CurrentDir();

// Collapses "." and ".." components of an absolute path lexically.
std::string CollapseDots(const std::string& path);

}  // namespace tarn::hostfs
