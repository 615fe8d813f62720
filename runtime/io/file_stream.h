// file_stream.h - FileStream, the one reader under every file loader: a disk
// file or a memory block named "mem://...", with its own byte position.
#pragma once
#include <cstdint>

#include "runtime/io/memory_files.h"
#include "runtime/platform/platform_files.h"

struct FileStream {
  PlatformFile handle = kNoPlatformFile;  // open disk file
  const char* memory = nullptr;           // start of the block of a memory file
  int32_t size = 0;
  int32_t position = 0;
  MemoryBlock* block = nullptr;  // the reference that keeps `memory` alive
  // Read-ahead of a disk file (allocated on the first read, dropped by every
  // write), so small reads such as the 64-byte pieces of a line read cost no
  // system call each. The file position stays exact.
  char* cache = nullptr;
  int64_t cache_start = 0;
  int32_t cache_length = 0;
};

inline bool stream_is_open(const FileStream& s) {
  return s.handle != kNoPlatformFile || s.memory != nullptr;
}

// Disk files larger than 2 GiB - 1 cannot be addressed and are refused.
bool stream_open_read(FileStream& s, const char* name);
// Fails for a memory file name; otherwise deletes and creates the file anew.
bool stream_open_write(FileStream& s, const char* name);
// Opens for writing at the end, creating the file when missing.
bool stream_open_append(FileStream& s, const char* name);
// Disk: true only when all n bytes arrived. Memory: n shrinks to what is
// left; false only when the position lies outside the block.
bool stream_read(FileStream& s, void* dst, int32_t n);
// Disk only: true when all n bytes were written.
bool stream_write(FileStream& s, const void* src, int32_t n);
void stream_close(FileStream& s);

// Longest line a line read returns; the rest of a longer line comes next.
constexpr int32_t kMaxLineBytes = 1024;
// One text line: up to the LF (not included, a CR before it dropped) or the
// end of the data, at most kMaxLineBytes bytes, cut at the first zero byte.
// Disk files are read in pieces of 64 bytes and the position is set to just
// after the LF, so a line never consumes more of the file than itself.
// False when nothing is left to read.
bool stream_read_line(FileStream& s, TvString& line);
