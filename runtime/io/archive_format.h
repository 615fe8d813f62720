// archive_format.h - the packed archive's layout, written once for the
// reader (archive.cpp, resolve_file) and the writer (archive_pack.cpp,
// tvpack).
//
// Layout (all integers little-endian):
//   ... entry data: 4 bytes unpacked size, then LZO1X data ...
//   directory: entries of {name length (1 byte, 0 ends), name,
//              data offset (int32, negative counts from the end),
//              data size (uint32)}
//   trailer (last 7 bytes): "sbX", int32 directory offset (negative counts
//              from the end)
// Entry names match without regard to ASCII case; the first match wins.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr char kArchiveMagic[3] = {'s', 'b', 'X'};
constexpr int64_t kArchiveTrailerBytes = 7;  // magic and directory offset
constexpr int64_t kArchiveFieldBytes = 8;    // data offset and size after each name
constexpr size_t kArchiveNameMax = 255;

uint32_t archive_get_le32(const void* bytes);
void archive_put_le32(std::string& out, uint32_t value);

// Where a stored offset points: negative values count from the end.
int64_t archive_place(int32_t stored, int64_t file_size);

// The directory's start from the file's last kArchiveTrailerBytes bytes;
// false when they do not begin with the magic (no archive at all). The
// start is not checked against the file.
bool archive_read_trailer(const void* trailer, int64_t file_size, int64_t& dir_at);

// The two fields behind an entry's name.
struct ArchiveFields {
  int32_t stored_offset = 0;
  uint32_t size = 0;
};
ArchiveFields archive_read_fields(const void* fields);

bool archive_same_name(std::string_view a, std::string_view b);

// Appends one directory entry, its offset stored relative to the end of a
// file of final_size bytes; then the end mark and trailer likewise.
void archive_put_entry(std::string& out, const std::string& name, int64_t offset, uint32_t size,
                       int64_t final_size);
void archive_put_end(std::string& out, int64_t dir_at, int64_t final_size);
// Bytes a directory of entries with these name lengths adds, end mark and
// trailer included.
int64_t archive_directory_bytes(size_t entries, size_t name_bytes);
