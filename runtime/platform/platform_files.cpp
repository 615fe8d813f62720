// platform_files.cpp - disk-file calls over POSIX.
#include "runtime/platform/platform_files.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <cctype>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// A folder opens fine for reading on Linux; as a file it is refused.
static PlatformFile open_not_folder(const char* path, int flags) {
  if (!path || !*path) return kNoPlatformFile;
  int fd = ::open(path, flags | O_CLOEXEC, 0666);
  if (fd < 0) return kNoPlatformFile;
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return kNoPlatformFile;
  }
  return fd;
}

PlatformFile platform_file_open_read(const char* path) { return open_not_folder(path, O_RDONLY); }

PlatformFile platform_file_create(const char* path) {
  if (!path || !*path) return kNoPlatformFile;
  ::unlink(path);
  int fd = ::open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return fd < 0 ? kNoPlatformFile : fd;
}

PlatformFile platform_file_open_append(const char* path) {
  return open_not_folder(path, O_WRONLY | O_CREAT);
}

PlatformFile platform_file_create_exclusive(const char* path) {
  if (!path || !*path) return kNoPlatformFile;
  int fd = ::open(path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  return fd < 0 ? kNoPlatformFile : fd;
}

namespace {
// A temporary file is named "." + the target's name + kTempMark + 16 hex
// digits, a name of our own that no user's file has: only such files are
// ever swept (a user's "CODE.INI.tmp20240101" is left alone).
constexpr const char* kTempMark = ".snipvault-save-";
constexpr size_t kTempTagLength = 16;

// Whether `name` is a temporary file's name for `base`.
bool is_temp_of(const std::string& name, const std::string& base) {
  size_t mark = std::strlen(kTempMark);
  if (name.size() != 1 + base.size() + mark + kTempTagLength || name[0] != '.') return false;
  if (name.compare(1, base.size(), base) != 0) return false;
  if (name.compare(1 + base.size(), mark, kTempMark) != 0) return false;
  for (size_t i = 1 + base.size() + mark; i < name.size(); ++i)
    if (!std::isxdigit(static_cast<unsigned char>(name[i])) || std::isupper(static_cast<unsigned char>(name[i])))
      return false;
  return true;
}

void split_path(const std::string& path, std::string& dir, std::string& base) {
  size_t slash = path.rfind('/');
  dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  base = slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

// The temporary file stays locked while it is open, so a sweep of dead
// write-backs' files (platform_remove_dead_temps) can tell it is in use.
PlatformFile platform_file_create_beside(const char* target, std::string& temp_path) {
  static unsigned counter = 0;
  std::string dir, base;
  split_path(target ? target : "", dir, base);
  for (int attempt = 0; attempt < 100; ++attempt) {
    unsigned long long tag = (unsigned long long)(unsigned(::getpid()) * 2654435761u) << 32 ^
                             (unsigned long long)(std::time(nullptr)) ^ (++counter * 40503ull) ^
                             (unsigned long long)(::clock()) << 20 ^ unsigned(attempt);
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, "%s%016llx", kTempMark, tag);
    std::string candidate = dir + "/." + base + suffix;
    int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno != EEXIST) return kNoPlatformFile;
      continue;
    }
    struct stat st;
    // a sweep may have taken it between the create and the lock
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &st) != 0 || st.st_nlink == 0) {
      ::close(fd);
      continue;
    }
    temp_path = candidate;
    return fd;
  }
  return kNoPlatformFile;
}

int platform_remove_dead_temps(const char* target) {
  std::string dir, base;
  split_path(target ? target : "", dir, base);
  DIR* d = ::opendir(dir.c_str());
  if (!d) return 0;
  int removed = 0;
  while (struct dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (!is_temp_of(name, base)) continue;
    std::string full = dir + "/" + name;
    int fd = ::open(full.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    // a running write-back holds the lock; the lock of a dead one went with it
    struct stat held, now;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 &&
        ::lstat(full.c_str(), &now) == 0 && held.st_ino == now.st_ino && held.st_dev == now.st_dev &&
        ::unlink(full.c_str()) == 0)
      ++removed;
    ::close(fd);
  }
  ::closedir(d);
  return removed;
}

PlatformFile platform_file_open_regular(const char* path, bool write, bool create, PlatformOpenStatus& status) {
  status = PlatformOpenStatus::failed;
  if (!path || !*path) return kNoPlatformFile;
  // O_NONBLOCK: opening a pipe without a writer (or reader) must not wait
  int flags = (write ? O_RDWR : O_RDONLY) | (create ? O_CREAT : 0) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  int fd = ::open(path, flags, 0666);
  if (fd < 0) {
    status = errno == ENOENT                   ? PlatformOpenStatus::missing
             : errno == ENXIO || errno == EISDIR ? PlatformOpenStatus::not_regular
             : errno == EACCES || errno == EPERM || errno == EROFS ? PlatformOpenStatus::denied
                                                                   : PlatformOpenStatus::failed;
    return kNoPlatformFile;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    status = PlatformOpenStatus::not_regular;
    ::close(fd);
    errno = EINVAL;
    return kNoPlatformFile;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  status = PlatformOpenStatus::ok;
  return fd;
}

bool platform_file_write_protected(const char* path) {
  struct stat st;
  if (!path || ::stat(path, &st) != 0) return false;
  if ((st.st_mode & 0222) == 0) return true;
  return ::faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

bool platform_dangling_link(const char* path, std::string& target) {
  struct stat st;
  if (!path || ::lstat(path, &st) != 0 || !S_ISLNK(st.st_mode)) return false;
  if (::stat(path, &st) == 0) return false;
  char buf[PATH_MAX];
  ssize_t n = ::readlink(path, buf, sizeof buf - 1);
  target.assign(buf, n > 0 ? size_t(n) : 0);
  return true;
}

PlatformLock platform_file_lock_wait(PlatformFile f, int timeout_ms) {
  if (f < 0) return PlatformLock::failed;
  for (int waited = 0;; waited += 10) {
    if (::flock(f, LOCK_EX | LOCK_NB) == 0) return PlatformLock::taken;
    if (errno != EWOULDBLOCK && errno != EINTR) return PlatformLock::failed;
    if (waited >= timeout_ms) {
      errno = EWOULDBLOCK;
      return PlatformLock::busy;
    }
    ::usleep(10000);
  }
}

bool platform_file_lock(PlatformFile f, int timeout_ms) {
  if (f < 0) return false;
  for (int waited = 0;; waited += 10) {
    if (::flock(f, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (waited >= timeout_ms) {
      errno = EWOULDBLOCK;
      return false;
    }
    ::usleep(10000);
  }
}

void platform_file_unlock(PlatformFile f) {
  if (f >= 0) ::flock(f, LOCK_UN);
}

bool platform_dir_writable(const char* dir) { return dir && *dir && ::access(dir, W_OK | X_OK) == 0; }

std::string platform_last_error_text() {
  if (errno == EWOULDBLOCK) return "the file is locked by another program";
  return std::strerror(errno);
}

int64_t platform_file_read_at(PlatformFile f, int64_t offset, void* dst, int64_t n) {
  if (f < 0 || offset < 0 || n < 0) return -1;
  char* out = static_cast<char*>(dst);
  int64_t done = 0;
  while (done < n) {
    ssize_t r = ::pread(f, out + done, size_t(n - done), off_t(offset + done));
    if (r < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (r == 0) break;
    done += r;
  }
  return done;
}

bool platform_file_write_at(PlatformFile f, int64_t offset, const void* src, int64_t n) {
  if (f < 0 || offset < 0 || n < 0) return false;
  const char* in = static_cast<const char*>(src);
  int64_t done = 0;
  while (done < n) {
    ssize_t w = ::pwrite(f, in + done, size_t(n - done), off_t(offset + done));
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) return false;
    done += w;
  }
  return true;
}

int64_t platform_file_size(PlatformFile f) {
  struct stat st;
  if (f < 0 || ::fstat(f, &st) != 0) return -1;
  return int64_t(st.st_size);
}

bool platform_file_sync(PlatformFile f) { return f >= 0 && ::fsync(f) == 0; }

void platform_file_close(PlatformFile f) {
  if (f >= 0) ::close(f);
}

bool platform_file_delete(const char* path) { return path && *path && ::unlink(path) == 0; }

bool platform_file_rename(const char* from, const char* to) {
  return from && to && ::rename(from, to) == 0;
}

bool platform_file_exists(const char* path) {
  struct stat st;
  return path && *path && ::stat(path, &st) == 0;
}

bool platform_dir_sync(const char* dir) {
  int fd = ::open(dir && *dir ? dir : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync folders
  ::close(fd);
  return ok;
}

bool platform_file_mode(const char* path, PlatformFileMode& out) {
  struct stat st;
  if (!path || ::stat(path, &st) != 0) return false;
  out.mode = uint32_t(st.st_mode & 07777);
  out.owner = uint32_t(st.st_uid);
  out.group = uint32_t(st.st_gid);
  out.modified_ns = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return true;
}

bool platform_file_set_mode(PlatformFile f, const PlatformFileMode& mode) {
  if (f < 0) return false;
  struct stat st;
  if (::fstat(f, &st) == 0 && (st.st_uid != mode.owner || st.st_gid != mode.group)) {
    if (::fchown(f, uid_t(mode.owner), gid_t(mode.group)) != 0) {
      // not allowed to give the file away: keep at least the group if we can
      [[maybe_unused]] int ignored = ::fchown(f, uid_t(-1), gid_t(mode.group));
    }
  }
  return ::fchmod(f, mode_t(mode.mode)) == 0;
}

std::string platform_link_target(const char* path) {
  if (!path) return std::string();
  char* real = ::realpath(path, nullptr);
  if (!real) return std::string(path);
  std::string out(real);
  std::free(real);
  return out;
}

std::string platform_temp_dir() {
  const char* t = std::getenv("TMPDIR");
  std::string dir = (t && *t) ? t : "/tmp";
  if (dir.back() != '/') dir += '/';
  return dir;
}
