// archive_format.cpp - reading and writing the archive's fixed parts.
#include "runtime/io/archive_format.h"

#include <cstring>

#include "runtime/values/ascii_case.h"

uint32_t archive_get_le32(const void* bytes) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void archive_put_le32(std::string& out, uint32_t v) {
  char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  out.append(b, 4);
}

int64_t archive_place(int32_t stored, int64_t file_size) {
  return stored < 0 ? file_size + stored : int64_t(stored);
}

bool archive_read_trailer(const void* trailer, int64_t file_size, int64_t& dir_at) {
  if (file_size < kArchiveTrailerBytes || std::memcmp(trailer, kArchiveMagic, 3) != 0) return false;
  const unsigned char* p = static_cast<const unsigned char*>(trailer);
  dir_at = archive_place(int32_t(archive_get_le32(p + 3)), file_size);
  return true;
}

ArchiveFields archive_read_fields(const void* fields) {
  const unsigned char* p = static_cast<const unsigned char*>(fields);
  return {int32_t(archive_get_le32(p)), archive_get_le32(p + 4)};
}

bool archive_same_name(std::string_view a, std::string_view b) { return ascii_equal_blind(a, b); }

void archive_put_entry(std::string& out, const std::string& name, int64_t offset, uint32_t size,
                       int64_t final_size) {
  out += char(name.size());
  out += name;
  archive_put_le32(out, uint32_t(int32_t(offset - final_size)));
  archive_put_le32(out, size);
}

void archive_put_end(std::string& out, int64_t dir_at, int64_t final_size) {
  out += char(0);
  out.append(kArchiveMagic, 3);
  archive_put_le32(out, uint32_t(int32_t(dir_at - final_size)));
}

int64_t archive_directory_bytes(size_t entries, size_t name_bytes) {
  return int64_t(entries) * (1 + kArchiveFieldBytes) + int64_t(name_bytes) + 1 + kArchiveTrailerBytes;
}
