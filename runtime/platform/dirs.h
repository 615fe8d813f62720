// dirs.h - the folder calls the runtime needs beyond reading and writing
// files (platform_files.h): current directory, directory listing, the
// folder test and creating directories. Names are raw bytes as the OS
// stores them.
#pragma once
#include <string>
#include <vector>

struct PlatformDirEntry {
  std::string name;
  bool is_dir = false;
};

// The process's current directory, any length; false if it cannot be read.
bool platform_get_current_dir(std::string& out);
// Changes the process's current directory; false on failure.
bool platform_set_current_dir(const char* path);

// Every entry of `dir` in the OS's order, "." and ".." included; symbolic
// links count as what they point to. False (and `out` empty) if it cannot be read.
bool platform_list_dir(const char* dir, std::vector<PlatformDirEntry>& out);

bool platform_is_directory(const char* path);
// Creates one directory level; the parents must exist.
bool platform_make_dir(const char* path);
