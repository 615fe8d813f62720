// file_stamp.cpp - the file stamp from stat(2).
#include "runtime/platform/file_stamp.h"

#include <sys/stat.h>

PlatformFileStamp platform_file_stamp(const char* path) {
  PlatformFileStamp s;
  struct stat st;
  if (::stat(path, &st) != 0) return s;
  s.exists = true;
  s.size = int64_t(st.st_size);
  s.modified_ns = int64_t(st.st_mtim.tv_sec) * 1000000000 + int64_t(st.st_mtim.tv_nsec);
  s.device = uint64_t(st.st_dev);
  s.inode = uint64_t(st.st_ino);
  return s;
}
