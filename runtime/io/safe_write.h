// safe_write.h - replacing a whole file so that no crash, full disk or
// refused create can ever leave it truncated or missing.
//
// The new content goes to a temporary file in the same folder, is flushed to
// disk, takes over the old file's permission bits and owner, and is renamed
// over the old file; then the folder is synced. Until the rename the old file
// is untouched; after it the new file is complete. A symbolic link is kept:
// the file it points at is the one replaced (a link to nothing is refused).
//
// Each write-back first deletes the temporary files that earlier write-backs
// of the same file left behind when their process died before the rename.
//
// Use either the one-call form or begin / append... / commit (the latter
// buffers, so many small appends cost no system call each).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/platform/platform_files.h"

struct SafeWrite {
  std::string target;     // the file being replaced (links followed)
  std::string temp_path;  // the temporary file beside it
  PlatformFile file = kNoPlatformFile;
  int64_t written = 0;
  std::string buffer;
  bool failed = false;
  std::string error;      // why it failed, in words; empty while all is well
};

bool safe_write_begin(SafeWrite& w, const char* path);
void safe_write_append(SafeWrite& w, const void* data, size_t n);
void safe_write_append(SafeWrite& w, const char* text);
// Flushes, syncs and renames; false (old file intact) on any failure.
bool safe_write_commit(SafeWrite& w);
// Drops the temporary file; the old file stays as it was.
void safe_write_abort(SafeWrite& w);

bool safe_write_file(const char* path, const void* data, size_t n);

// Test hook: makes the named step fail once, to prove the old file survives.
enum class SafeWriteStep { none, create, write, sync, rename };
void safe_write_fail_at(SafeWriteStep step);
