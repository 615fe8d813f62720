// file_stream.cpp - FileStream over the platform file layer and the memory
// block table.
#include "runtime/io/file_stream.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t kCacheBytes = 1 << 16;

// Bytes of the disk file at `offset` (fewer at its end), or -1 on an error.
int64_t disk_read(FileStream& s, int64_t offset, void* dst, int64_t n) {
  if (offset < 0 || n < 0) return -1;
  if (n >= kCacheBytes / 2) return platform_file_read_at(s.handle, offset, dst, n);
  if (!s.cache || offset < s.cache_start || offset + n > s.cache_start + s.cache_length) {
    if (!s.cache) s.cache = static_cast<char*>(std::malloc(kCacheBytes));
    if (!s.cache) return platform_file_read_at(s.handle, offset, dst, n);
    int64_t got = platform_file_read_at(s.handle, offset, s.cache, kCacheBytes);
    s.cache_start = offset;
    s.cache_length = got < 0 ? 0 : int32_t(got);
    if (got < 0) return -1;
  }
  int64_t avail = s.cache_start + s.cache_length - offset;
  if (n > avail) n = avail;
  std::memcpy(dst, s.cache + (offset - s.cache_start), size_t(n));
  return n;
}

}  // namespace

// Takes an opened disk file into the stream; files past 2 GiB are refused
// because positions are 32-bit.
static bool adopt_disk_file(FileStream& s, PlatformFile f, bool at_end) {
  if (f == kNoPlatformFile) return false;
  int64_t size = platform_file_size(f);
  if (size < 0 || size > INT32_MAX) {
    platform_file_close(f);
    return false;
  }
  s.handle = f;
  s.size = int32_t(size);
  s.position = at_end ? s.size : 0;
  return true;
}

bool stream_open_read(FileStream& s, const char* name) {
  stream_close(s);
  if (!name || !*name) return false;
  if (is_memory_file_name(name)) {
    int32_t size = 0;
    MemoryBlock* block = memory_block_find(name, size);
    if (!block) return false;
    memory_block_add_reference(block);
    s.block = block;
    s.memory = block->bytes;
    s.size = size;
    s.position = 0;
    return true;
  }
  return adopt_disk_file(s, platform_file_open_read(name), false);
}

bool stream_open_write(FileStream& s, const char* name) {
  stream_close(s);
  if (!name || !*name || is_memory_file_name(name)) return false;
  PlatformFile f = platform_file_create(name);
  if (f == kNoPlatformFile) return false;
  s.handle = f;
  s.size = 0;
  s.position = 0;
  return true;
}

bool stream_open_append(FileStream& s, const char* name) {
  stream_close(s);
  if (!name || !*name || is_memory_file_name(name)) return false;
  return adopt_disk_file(s, platform_file_open_append(name), true);
}

bool stream_read(FileStream& s, void* dst, int32_t n) {
  if (n < 0) return false;
  if (s.memory) {
    if (s.position < 0 || s.position > s.size) return false;
    if (n > s.size - s.position) n = s.size - s.position;
    std::memcpy(dst, s.memory + s.position, size_t(n));
    s.position += n;
    return true;
  }
  if (s.handle == kNoPlatformFile || s.position < 0) return false;
  int64_t got = disk_read(s, s.position, dst, n);
  if (got < 0) return false;
  s.position += int32_t(got);
  return got == n;
}

bool stream_write(FileStream& s, const void* src, int32_t n) {
  if (n < 0 || s.handle == kNoPlatformFile || s.position < 0) return false;
  if (int64_t(s.position) + n > INT32_MAX) return false;
  s.cache_length = 0;
  if (!platform_file_write_at(s.handle, s.position, src, n)) return false;
  s.position += n;
  if (s.position > s.size) s.size = s.position;
  return true;
}

void stream_close(FileStream& s) {
  if (s.handle != kNoPlatformFile) platform_file_close(s.handle);
  memory_block_drop_reference(s.block);
  std::free(s.cache);
  s = FileStream{};
}

bool stream_read_line(FileStream& s, TvString& line) {
  string_free(line);
  if (!stream_is_open(s) || s.position < 0) return false;
  char buf[kMaxLineBytes];
  int32_t got = 0;          // bytes of the line gathered
  int32_t consumed = 0;     // bytes the position moves on
  bool ended = false;       // an LF or the end of the data closed the line
  if (s.memory) {
    if (s.position >= s.size) return false;
    int32_t avail = s.size - s.position;
    int32_t span = avail < kMaxLineBytes ? avail : kMaxLineBytes;
    const char* from = s.memory + s.position;
    const void* lf = std::memchr(from, '\n', size_t(span));
    if (lf) {
      got = int32_t(static_cast<const char*>(lf) - from);
      consumed = got + 1;
      ended = true;
    } else {
      got = consumed = span;
      ended = span == avail;
    }
    std::memcpy(buf, from, size_t(got));
  } else {
    while (got < kMaxLineBytes) {
      int32_t piece = kMaxLineBytes - got < 64 ? kMaxLineBytes - got : 64;
      int64_t r = disk_read(s, int64_t(s.position) + got, buf + got, piece);
      if (r <= 0) {
        ended = true;
        break;
      }
      const void* lf = std::memchr(buf + got, '\n', size_t(r));
      if (lf) {
        got = int32_t(static_cast<const char*>(lf) - buf);
        consumed = got + 1;
        ended = true;
        break;
      }
      got += int32_t(r);
      if (r < piece) {
        ended = true;
        break;
      }
    }
    if (consumed == 0) {
      if (got == 0) return false;  // nothing left
      consumed = got;
    }
  }
  s.position += consumed;
  if (ended && got > 0 && buf[got - 1] == '\r') --got;
  const void* zero = std::memchr(buf, 0, size_t(got));
  if (zero) got = int32_t(static_cast<const char*>(zero) - buf);
  string_assign_bytes(line, buf, uint32_t(got));
  return true;
}
