// archive_pack.cpp - LZO1X-1 compression and the archive layout writer.
#include "runtime/io/archive_pack.h"

#include <cstdint>
#include <cstring>

#include <lzo/lzo1x.h>

#include "runtime/io/archive_format.h"
#include "runtime/io/file_stream.h"
#include "runtime/io/safe_write.h"

namespace {

struct DirEntry {
  std::string name;
  int64_t offset;  // from the start of the carrier
  uint32_t size;
};

// Reads an archive at the end of `carrier` whose directory runs right up to
// the trailer; on success the carrier can be cut at `dir_start`.
bool read_existing(const std::string& carrier, std::vector<DirEntry>& out, size_t& dir_start) {
  const int64_t size = int64_t(carrier.size());
  int64_t at = 0;
  if (size < kArchiveTrailerBytes ||
      !archive_read_trailer(carrier.data() + size - kArchiveTrailerBytes, size, at))
    return false;
  const int64_t end = size - kArchiveTrailerBytes;
  if (at < 0 || at > end) return false;
  dir_start = size_t(at);
  for (;;) {
    if (at + 1 > end) return false;
    unsigned len = (unsigned char)carrier[size_t(at++)];
    if (len == 0) break;
    if (at + len + kArchiveFieldBytes > end) return false;
    DirEntry e;
    e.name.assign(carrier, size_t(at), len);
    at += len;
    ArchiveFields f = archive_read_fields(carrier.data() + at);
    e.offset = archive_place(f.stored_offset, size);
    e.size = f.size;
    at += kArchiveFieldBytes;
    if (e.offset < 0 || e.offset + int64_t(e.size) > int64_t(dir_start)) return false;
    out.push_back(e);
  }
  return at == end;
}

bool compress(const std::string& in, std::string& out, std::string& error) {
  static bool ready = lzo_init() == LZO_E_OK;
  if (!ready) {
    error = "the LZO library failed to start";
    return false;
  }
  std::vector<unsigned char> work(LZO1X_1_MEM_COMPRESS);
  std::vector<unsigned char> buf(in.size() + in.size() / 16 + 64 + 3);
  lzo_uint out_len = buf.size();
  int rc = lzo1x_1_compress(reinterpret_cast<const unsigned char*>(in.data()), in.size(),
                            buf.data(), &out_len, work.data());
  if (rc != LZO_E_OK) {
    error = "compression failed";
    return false;
  }
  out.assign(reinterpret_cast<const char*>(buf.data()), out_len);
  return true;
}

}  // namespace

bool archive_pack(std::string& carrier, const std::vector<PackInput>& entries,
                  std::string& error) {
  std::vector<DirEntry> dir;
  std::vector<DirEntry> old;
  size_t dir_start = 0;
  if (read_existing(carrier, old, dir_start)) carrier.resize(dir_start);
  else old.clear();

  for (const PackInput& in : entries) {
    if (in.name.empty() || in.name.size() > kArchiveNameMax ||
        in.name.find_first_of("/\\") != std::string::npos) {
      error = "bad entry name: " + in.name;
      return false;
    }
    if (in.bytes.size() > size_t(INT32_MAX - 1)) {
      error = "entry too large: " + in.name;
      return false;
    }
    std::string packed;
    if (!compress(in.bytes, packed, error)) return false;
    DirEntry e{in.name, int64_t(carrier.size()), uint32_t(packed.size() + 4)};
    archive_put_le32(carrier, uint32_t(in.bytes.size()));
    carrier += packed;
    // the first of two equal names wins on lookup: keep only the newest
    bool dup = false;
    for (DirEntry& d : dir)
      if (archive_same_name(d.name, e.name)) d = e, dup = true;
    if (!dup) dir.push_back(e);
  }
  for (const DirEntry& o : old) {
    bool shadowed = false;
    for (const DirEntry& d : dir) shadowed = shadowed || archive_same_name(d.name, o.name);
    if (!shadowed) dir.push_back(o);
  }

  // every offset is stored relative to the final end of the file
  size_t name_bytes = 0;
  for (const DirEntry& d : dir) name_bytes += d.name.size();
  const int64_t final_size = int64_t(carrier.size()) + archive_directory_bytes(dir.size(), name_bytes);
  if (final_size > INT32_MAX) {
    error = "archive too large";
    return false;
  }
  const int64_t dir_at = int64_t(carrier.size());
  for (const DirEntry& d : dir) archive_put_entry(carrier, d.name, d.offset, d.size, final_size);
  archive_put_end(carrier, dir_at, final_size);
  return true;
}

bool archive_pack_files(const char* carrier_path, const std::vector<std::string>& files,
                        std::string& error) {
  auto slurp = [](const char* path, std::string& out) {
    FileStream s;
    if (!stream_open_read(s, path)) return false;
    out.resize(size_t(s.size));
    bool ok = s.size == 0 || stream_read(s, out.data(), s.size);
    stream_close(s);
    return ok;
  };
  std::string carrier;
  if (platform_file_exists(carrier_path) && !slurp(carrier_path, carrier)) {
    error = std::string("cannot read ") + carrier_path;
    return false;
  }
  std::vector<PackInput> inputs;
  for (const std::string& f : files) {
    PackInput in;
    size_t slash = f.find_last_of("/\\");
    in.name = slash == std::string::npos ? f : f.substr(slash + 1);
    if (!slurp(f.c_str(), in.bytes)) {
      error = "cannot read " + f;
      return false;
    }
    inputs.push_back(std::move(in));
  }
  if (!archive_pack(carrier, inputs, error)) return false;
  if (!safe_write_file(carrier_path, carrier.data(), carrier.size())) {
    error = std::string("cannot write ") + carrier_path;
    return false;
  }
  return true;
}
