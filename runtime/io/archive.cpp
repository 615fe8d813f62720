// archive.cpp - resolve_file and the checked reader of the packed archive.
#include "runtime/io/archive.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <lzo/lzo1x.h>

#include "runtime/io/archive_format.h"
#include "runtime/io/file_stream.h"
#include "runtime/io/io_exit.h"
#include "runtime/io/safe_write.h"

PackResolver general_resolver;
PackResolver program_resolver;

namespace {

// LZO1X expands one input byte to at most 255 output bytes (a run of zero
// length bytes); anything claiming more cannot be real data.
constexpr int64_t kMaxExpansion = 256;

// Reads exactly n bytes at `offset`, refusing anything outside the file.
bool read_at(FileStream& s, int64_t offset, void* dst, int64_t n) {
  if (offset < 0 || n < 0 || offset > s.size || n > s.size - offset) return false;
  s.position = int32_t(offset);
  return stream_read(s, dst, int32_t(n)) && s.position == offset + n;
}

struct FoundEntry {
  int32_t stored_offset = 0;
  uint32_t stored_size = 0;
  int64_t offset = 0;
  std::string name;
};

enum class Lookup { found, missing, not_an_archive };

Lookup find_entry(FileStream& s, const char* base, size_t base_len, FoundEntry& out) {
  const int64_t size = s.size;
  unsigned char trailer[kArchiveTrailerBytes];
  int64_t at = 0;
  if (size < kArchiveTrailerBytes || !read_at(s, size - kArchiveTrailerBytes, trailer, kArchiveTrailerBytes) ||
      !archive_read_trailer(trailer, size, at))
    return Lookup::not_an_archive;
  const int64_t dir_end = size - kArchiveTrailerBytes;
  if (at < 0 || at > dir_end) return Lookup::missing;
  char name[256];
  for (;;) {
    unsigned char len;
    if (at + 1 > dir_end || !read_at(s, at, &len, 1)) return Lookup::missing;
    ++at;
    if (len == 0) return Lookup::missing;
    unsigned char fields[kArchiveFieldBytes];
    if (at + len + kArchiveFieldBytes > dir_end || !read_at(s, at, name, len) ||
        !read_at(s, at + len, fields, kArchiveFieldBytes))
      return Lookup::missing;
    at += len + kArchiveFieldBytes;
    if (!archive_same_name(std::string_view(name, len), std::string_view(base, base_len))) continue;
    ArchiveFields f = archive_read_fields(fields);
    out.stored_offset = f.stored_offset;
    out.stored_size = f.size;
    out.offset = archive_place(out.stored_offset, size);
    out.name.assign(name, len);
    return Lookup::found;
  }
}

// Unpacks an entry into a new listed block; null on any fault in the data.
MemoryBlock* unpack_entry(FileStream& s, const FoundEntry& e) {
  static const bool lzo_ready = lzo_init() == LZO_E_OK;
  if (!lzo_ready) return nullptr;
  const int64_t packed = int64_t(e.stored_size);
  if (packed < 4 || e.offset < 0 || e.offset > s.size || packed > s.size - e.offset)
    return nullptr;
  unsigned char head[4];
  if (!read_at(s, e.offset, head, 4)) return nullptr;
  const uint32_t unpacked = archive_get_le32(head);
  const int64_t body = packed - 4;
  if (unpacked > uint32_t(INT32_MAX - 1) || int64_t(unpacked) > body * kMaxExpansion + 64)
    return nullptr;
  std::vector<unsigned char> input;
  try {
    input.resize(size_t(body));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (body > 0 && !read_at(s, e.offset + 4, input.data(), body)) return nullptr;
  MemoryBlock* block = memory_block_new(int32_t(unpacked));
  if (!block) return nullptr;
  lzo_uint out_len = unpacked;
  int rc = lzo1x_decompress_safe(input.data(), lzo_uint(body),
                                 reinterpret_cast<unsigned char*>(block->bytes), &out_len,
                                 nullptr);
  if (rc != LZO_E_OK || out_len != unpacked) {
    memory_block_release(block);
    return nullptr;
  }
  return block;
}

// "sbx" + two letters from the stored offset and size + the entry name.
std::string temp_name_for(const FoundEntry& e) {
  std::string path = platform_temp_dir();
  path += "sbx";
  path += char('A' + (uint32_t(e.stored_offset) & 0xff) % 26);
  path += char('A' + (e.stored_size & 0xff) % 26);
  path += e.name.c_str();  // an embedded zero byte ends the name
  return path;
}

bool write_temp_file(const std::string& path, const MemoryBlock* block) {
  // a stale or planted file of that name (or a link) is never written through
  platform_file_delete(path.c_str());
  PlatformFile f = platform_file_create_exclusive(path.c_str());
  if (f == kNoPlatformFile) return false;
  bool ok = platform_file_write_at(f, 0, block->bytes, block->size);
  platform_file_close(f);
  if (!ok) platform_file_delete(path.c_str());
  return ok;
}

void release_all_resolvers() {
  resolver_release(general_resolver);
  resolver_release(program_resolver);
}

}  // namespace

void resolver_release(PackResolver& r) {
  if (r.block) memory_block_release(r.block);
  r.block = nullptr;
  if (!r.temp_file.empty()) platform_file_delete(r.temp_file.c_str());
  string_free(r.temp_file);
}

bool resolve_file(PackResolver& r, const char* name, TvString& destination, bool to_memory) {
  static bool exit_hook = (io_at_exit(release_all_resolvers), true);
  (void)exit_hook;
  if (!name || !*name) {
    resolver_release(r);
    return false;
  }
  TvString requested(name);  // `name` may live inside `destination`
  // Opening the resolver's own last result (a file_open on the "mem://" name
  // it handed out) keeps that result alive instead of freeing it under the
  // caller.
  int32_t ignored;
  bool own_block = r.block && memory_block_find(requested.c_str(), ignored) == r.block;
  bool own_temp = !r.temp_file.empty() && string_equal(r.temp_file, requested);
  if (!own_block && !own_temp) resolver_release(r);
  string_assign(destination, requested);

  FileStream s;
  if (stream_open_read(s, requested.c_str())) {
    stream_close(s);
    return true;
  }
  if (!r.enabled || r.archive.empty()) return false;
  if (!stream_open_read(s, r.archive.c_str())) return false;

  const char* base = requested.c_str();
  for (const char* p = base; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;

  FoundEntry entry;
  Lookup found = find_entry(s, base, std::strlen(base), entry);
  if (found == Lookup::not_an_archive) r.enabled = false;
  if (found != Lookup::found) {
    stream_close(s);
    return false;
  }
  MemoryBlock* block = unpack_entry(s, entry);
  stream_close(s);
  if (!block) return false;
  if (to_memory) {
    r.block = block;
    destination = memory_file_name(block);
    return true;
  }
  std::string path = temp_name_for(entry);
  bool ok = write_temp_file(path, block);
  memory_block_release(block);
  if (!ok) return false;
  r.temp_file = path.c_str();
  destination = path.c_str();
  return true;
}

bool resolve_file(PackResolver& r, const TvString& name, TvString& destination, bool to_memory) {
  return resolve_file(r, name.c_str(), destination, to_memory);
}

void set_archive(const TvString& general_archive, const TvString& program_archive) {
  // names are kept whole: a cut path could name a different file
  general_resolver.archive = general_archive;
  general_resolver.enabled = true;
  program_resolver.archive = program_archive;
  program_resolver.enabled = true;
}
