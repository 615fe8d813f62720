// dirs.cpp - POSIX file-system calls behind dirs.h.
#include "runtime/platform/dirs.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

bool platform_get_current_dir(std::string& out) {
  std::vector<char> buf(1024);
  for (;;) {
    if (getcwd(buf.data(), buf.size())) {
      out.assign(buf.data());
      return true;
    }
    if (errno != ERANGE || buf.size() > (1u << 20)) {
      out.clear();
      return false;
    }
    buf.resize(buf.size() * 2);
  }
}

bool platform_set_current_dir(const char* path) {
  return path && *path && chdir(path) == 0;
}

bool platform_list_dir(const char* dir, std::vector<PlatformDirEntry>& out) {
  out.clear();
  DIR* d = opendir(dir);
  if (!d) return false;
  int fd = dirfd(d);
  while (struct dirent* e = readdir(d)) {
    PlatformDirEntry entry;
    entry.name = e->d_name;
    if (e->d_type == DT_DIR) {
      entry.is_dir = true;
    } else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
      struct stat st;
      entry.is_dir = fstatat(fd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    out.push_back(std::move(entry));
  }
  closedir(d);
  return true;
}

bool platform_is_directory(const char* path) {
  struct stat st;
  return path && *path && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool platform_make_dir(const char* path) {
  return path && *path && mkdir(path, 0777) == 0;
}
