// os_files.cpp - POSIX file-system calls behind os_files.h.
#include "runtime/platform/os_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

bool os_get_current_dir(std::string& out) {
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

bool os_set_current_dir(const char* path) {
  return path && *path && chdir(path) == 0;
}

bool os_list_dir(const char* dir, std::vector<OsDirEntry>& out) {
  out.clear();
  DIR* d = opendir(dir);
  if (!d) return false;
  int fd = dirfd(d);
  while (struct dirent* e = readdir(d)) {
    OsDirEntry entry;
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

bool os_is_directory(const char* path) {
  struct stat st;
  return path && *path && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool os_path_exists(const char* path) {
  struct stat st;
  return path && *path && stat(path, &st) == 0;
}

bool os_delete_file(const char* path) {
  return path && *path && unlink(path) == 0;
}

bool os_make_dir(const char* path) {
  return path && *path && mkdir(path, 0777) == 0;
}
