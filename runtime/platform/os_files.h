// os_files.h - the file-system calls the runtime needs beyond reading and
// writing files: current directory, directory listing, file tests, deleting
// files and creating directories. Names are raw bytes as the OS stores them.
#pragma once
#include <string>
#include <vector>

struct OsDirEntry {
  std::string name;
  bool is_dir = false;
};

// The process's current directory, any length; false if it cannot be read.
bool os_get_current_dir(std::string& out);
bool os_set_current_dir(const char* path);

// Every entry of `dir` in the OS's order, "." and ".." included; symbolic
// links count as what they point to. False (and `out` empty) if it cannot be read.
bool os_list_dir(const char* dir, std::vector<OsDirEntry>& out);

bool os_is_directory(const char* path);
bool os_path_exists(const char* path);
// Removes a file (never a directory).
bool os_delete_file(const char* path);
// Creates one directory level; the parents must exist.
bool os_make_dir(const char* path);
