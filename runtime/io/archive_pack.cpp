// archive_pack.cpp - LZO1X-1 compression and the archive layout writer.
#include "runtime/io/archive_pack.h"

#include <cstdint>
#include <cstring>

#include <lzo/lzo1x.h>

#include "runtime/io/file_stream.h"
#include "runtime/io/safe_write.h"

namespace {

struct DirEntry {
  std::string name;
  int64_t offset;  // from the start of the carrier
  uint32_t size;
};

void put_le32(std::string& out, uint32_t v) {
  char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  out.append(b, 4);
}

uint32_t get_le32(const std::string& s, size_t at) {
  auto b = [&](size_t i) { return uint32_t((unsigned char)s[at + i]); };
  return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
}

bool same_name(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
    if (x >= 'A' && x <= 'Z') x = (unsigned char)(x + 32);
    if (y >= 'A' && y <= 'Z') y = (unsigned char)(y + 32);
    if (x != y) return false;
  }
  return true;
}

// Reads an archive at the end of `carrier` whose directory runs right up to
// the trailer; on success the carrier can be cut at `dir_start`.
bool read_existing(const std::string& carrier, std::vector<DirEntry>& out, size_t& dir_start) {
  const int64_t size = int64_t(carrier.size());
  if (size < 7 || std::memcmp(carrier.data() + size - 7, "sbX", 3) != 0) return false;
  int32_t stored = int32_t(get_le32(carrier, size_t(size - 4)));
  int64_t at = stored < 0 ? size + stored : stored;
  const int64_t end = size - 7;
  if (at < 0 || at > end) return false;
  dir_start = size_t(at);
  for (;;) {
    if (at + 1 > end) return false;
    unsigned len = (unsigned char)carrier[size_t(at++)];
    if (len == 0) break;
    if (at + len + 8 > end) return false;
    DirEntry e;
    e.name.assign(carrier, size_t(at), len);
    at += len;
    int32_t off = int32_t(get_le32(carrier, size_t(at)));
    e.offset = off < 0 ? size + off : off;
    e.size = get_le32(carrier, size_t(at + 4));
    at += 8;
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
    if (in.name.empty() || in.name.size() > 255 ||
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
    put_le32(carrier, uint32_t(in.bytes.size()));
    carrier += packed;
    // the first of two equal names wins on lookup: keep only the newest
    bool dup = false;
    for (DirEntry& d : dir)
      if (same_name(d.name, e.name)) d = e, dup = true;
    if (!dup) dir.push_back(e);
  }
  for (const DirEntry& o : old) {
    bool shadowed = false;
    for (const DirEntry& d : dir) shadowed = shadowed || same_name(d.name, o.name);
    if (!shadowed) dir.push_back(o);
  }

  // every offset is stored relative to the final end of the file
  int64_t final_size = int64_t(carrier.size()) + 1 + 7;
  for (const DirEntry& d : dir) final_size += 1 + int64_t(d.name.size()) + 8;
  if (final_size > INT32_MAX) {
    error = "archive too large";
    return false;
  }
  const int64_t dir_at = int64_t(carrier.size());
  for (const DirEntry& d : dir) {
    carrier += char(d.name.size());
    carrier += d.name;
    put_le32(carrier, uint32_t(int32_t(d.offset - final_size)));
    put_le32(carrier, d.size);
  }
  carrier += char(0);
  carrier += "sbX";
  put_le32(carrier, uint32_t(int32_t(dir_at - final_size)));
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
