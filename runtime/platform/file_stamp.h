// file_stamp.h - what tells one version of a file from the next without
// reading it: size, modification time and identity (device and inode). A
// save by rename gives a new inode, so even two saves within one clock tick
// of the same size are told apart.
#pragma once
#include <cstdint>

struct PlatformFileStamp {
  bool exists = false;
  int64_t size = 0;
  int64_t modified_ns = 0;
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const PlatformFileStamp&) const = default;
};

// The stamp of the file a path names now (links followed); a path that
// names nothing (or cannot be looked at) gives a stamp with exists false.
PlatformFileStamp platform_file_stamp(const char* path);
