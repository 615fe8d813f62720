// safe_write.cpp - temp file, fsync, rename, folder sync.
#include "runtime/io/safe_write.h"

#include <cstring>

namespace {
SafeWriteStep injected_fault = SafeWriteStep::none;

bool fault(SafeWriteStep step) {
  if (injected_fault != step) return false;
  injected_fault = SafeWriteStep::none;
  return true;
}

void fail(SafeWrite& w, bool injected) {
  w.failed = true;
  if (w.error.empty()) w.error = injected ? "the write was made to fail" : platform_last_error_text();
}

constexpr size_t kFlushAt = 1 << 16;

std::string folder_of(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

void flush_buffer(SafeWrite& w) {
  if (w.failed || w.buffer.empty()) return;
  if (fault(SafeWriteStep::write)) {
    fail(w, true);
  } else if (!platform_file_write_at(w.file, w.written, w.buffer.data(), int64_t(w.buffer.size()))) {
    fail(w, false);
  } else {
    w.written += int64_t(w.buffer.size());
  }
  w.buffer.clear();
}
}  // namespace

void safe_write_fail_at(SafeWriteStep step) { injected_fault = step; }

bool safe_write_begin(SafeWrite& w, const char* path) {
  w = SafeWrite{};
  if (!path || !*path) {
    w.failed = true;
    w.error = "no file name";
    return false;
  }
  std::string points_at;
  if (platform_dangling_link(path, points_at)) {
    // replacing the link by a plain file would cut it; making its target
    // would write somewhere the user never chose
    w.failed = true;
    w.error = "it is a symbolic link to " + points_at + ", which does not exist";
    return false;
  }
  w.target = platform_link_target(path);
  if (fault(SafeWriteStep::create)) {
    fail(w, true);
    return false;
  }
  w.file = platform_file_create_beside(w.target.c_str(), w.temp_path);
  if (w.file == kNoPlatformFile) {
    fail(w, false);
    return false;
  }
  platform_remove_dead_temps(w.target.c_str());
  PlatformFileMode mode;
  if (platform_file_mode(w.target.c_str(), mode)) platform_file_set_mode(w.file, mode);
  return true;
}

void safe_write_append(SafeWrite& w, const void* data, size_t n) {
  if (w.failed || n == 0) return;
  w.buffer.append(static_cast<const char*>(data), n);
  if (w.buffer.size() >= kFlushAt) flush_buffer(w);
}

void safe_write_append(SafeWrite& w, const char* text) {
  safe_write_append(w, text, text ? std::strlen(text) : 0);
}

void safe_write_abort(SafeWrite& w) {
  if (w.file != kNoPlatformFile) platform_file_close(w.file);
  if (!w.temp_path.empty()) platform_file_delete(w.temp_path.c_str());
  w.file = kNoPlatformFile;
  w.temp_path.clear();
  w.buffer.clear();
  w.failed = true;
  if (w.error.empty()) w.error = "abandoned";
}

bool safe_write_commit(SafeWrite& w) {
  if (w.file == kNoPlatformFile) {
    safe_write_abort(w);
    return false;
  }
  flush_buffer(w);
  if (!w.failed && fault(SafeWriteStep::sync)) fail(w, true);
  if (!w.failed && !platform_file_sync(w.file)) fail(w, false);
  if (w.failed) {
    safe_write_abort(w);
    return false;
  }
  // the temporary file stays open (and locked) up to its rename, so no
  // other write-back takes it for a dead one's
  if (fault(SafeWriteStep::rename)) fail(w, true);
  if (!w.failed && !platform_file_rename(w.temp_path.c_str(), w.target.c_str())) fail(w, false);
  if (w.failed) {
    safe_write_abort(w);
    return false;
  }
  platform_file_close(w.file);
  w.file = kNoPlatformFile;
  w.temp_path.clear();
  // the rename is only durable once the folder entry is on disk
  platform_dir_sync(folder_of(w.target).c_str());
  return true;
}

bool safe_write_file(const char* path, const void* data, size_t n) {
  SafeWrite w;
  if (!safe_write_begin(w, path)) return false;
  safe_write_append(w, data, n);
  return safe_write_commit(w);
}
