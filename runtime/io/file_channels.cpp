// file_channels.cpp - the channel table and its typed reads and writes.
#include "runtime/io/file_channels.h"

#include <cstring>

#include "runtime/io/archive.h"
#include "runtime/io/safe_write.h"
#include "runtime/values/errors.h"

FileStream file_channels[kChannelCount];

namespace {

constexpr int32_t kBadChannel = 7;

FileStream& channel_or_fail(int32_t channel) {
  if (channel < 0 || channel >= kChannelCount) fail(kBadChannel);
  return file_channels[channel];
}

void read_or_fail(int32_t channel, void* dst, int32_t n) {
  FileStream& s = channel_or_fail(channel);
  // checked before reading: a memory read never leaves its block
  if (!stream_is_open(s) || s.position < 0 || s.position > s.size || n > s.size - s.position)
    fail(ERR_NO_SUCH_FILE);
  if (!stream_read(s, dst, n)) fail(ERR_NO_SUCH_FILE);
}

void write_or_fail(int32_t channel, const void* src, int32_t n) {
  FileStream& s = channel_or_fail(channel);
  if (!stream_write(s, src, n)) fail(ERR_NO_SUCH_FILE);
}

uint32_t read_le(int32_t channel, int32_t n) {
  unsigned char b[4] = {0, 0, 0, 0};
  read_or_fail(channel, b, n);
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

void write_le(int32_t channel, uint32_t v, int32_t n) {
  unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  write_or_fail(channel, b, n);
}

}  // namespace

bool file_open(int32_t channel, const char* name, int32_t mode) {
  FileStream& s = channel_or_fail(channel);
  set_error(ERR_SUCCESS);
  stream_close(s);
  bool ok;
  if (mode > 0) {
    TvString resolved;
    if (!resolve_file(general_resolver, name, resolved, true)) {
      set_error(ERR_NO_SUCH_FILE);
      resolved = name ? name : "";
    }
    ok = stream_open_read(s, resolved.c_str());
  } else if (mode == 0) {
    ok = stream_open_write(s, name);
  } else {
    ok = stream_open_append(s, name);
  }
  if (!ok) set_error(ERR_NO_SUCH_FILE);
  return ok;
}

bool file_open(int32_t channel, const TvString& name, int32_t mode) {
  return file_open(channel, name.c_str(), mode);
}

void file_close(int32_t channel) { stream_close(channel_or_fail(channel)); }

int32_t free_channel() {
  for (int32_t c = 0; c < kChannelCount; ++c)
    if (!stream_is_open(file_channels[c])) return c;
  return -1;
}

int32_t file_read_int8(int32_t channel) { return int8_t(read_le(channel, 1)); }
int32_t file_read_uint8(int32_t channel) { return int32_t(read_le(channel, 1)); }
int32_t file_read_int16(int32_t channel) { return int16_t(read_le(channel, 2)); }
int32_t file_read_uint16(int32_t channel) { return int32_t(read_le(channel, 2)); }
int32_t file_read_int32(int32_t channel) { return int32_t(read_le(channel, 4)); }

double file_read_single(int32_t channel) {
  uint32_t bits = read_le(channel, 4);
  float f;
  std::memcpy(&f, &bits, 4);
  return double(f);
}

double file_read_double(int32_t channel) {
  uint64_t lo = read_le(channel, 4);
  uint64_t hi = read_le(channel, 4);
  uint64_t bits = lo | hi << 32;
  double d;
  std::memcpy(&d, &bits, 8);
  return d;
}

TvString file_read_bytes(int32_t channel, int32_t n) {
  FileStream& s = channel_or_fail(channel);
  TvString out;
  if (n <= 0) return out;
  if (!stream_is_open(s) || s.position < 0 || s.position > s.size || n > s.size - s.position)
    fail(ERR_NO_SUCH_FILE);
  string_reserve(out, uint32_t(n), false);
  read_or_fail(channel, out.data, n);
  out.data[n] = 0;
  out.length = uint32_t(n);
  return out;
}

TvString file_read_line(int32_t channel) {
  FileStream& s = channel_or_fail(channel);
  TvString line;
  if (!stream_read_line(s, line)) fail(ERR_NO_SUCH_FILE);
  return line;
}

void file_write_int8(int32_t channel, int32_t value) { write_le(channel, uint32_t(value), 1); }
void file_write_uint8(int32_t channel, int32_t value) { write_le(channel, uint32_t(value), 1); }
void file_write_int16(int32_t channel, int32_t value) { write_le(channel, uint32_t(value), 2); }
void file_write_uint16(int32_t channel, int32_t value) { write_le(channel, uint32_t(value), 2); }
void file_write_int32(int32_t channel, int32_t value) { write_le(channel, uint32_t(value), 4); }

void file_write_single(int32_t channel, double value) {
  float f = float(value);
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  write_le(channel, bits, 4);
}

void file_write_double(int32_t channel, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  unsigned char b[8];
  for (int i = 0; i < 8; ++i) b[i] = uint8_t(bits >> (8 * i));
  write_or_fail(channel, b, 8);
}

void file_write_bytes(int32_t channel, const TvString& text) {
  write_or_fail(channel, text.data, int32_t(text.length));
}

void file_write_line(int32_t channel, const TvString& text) {
  write_or_fail(channel, text.data, int32_t(text.length));
  write_or_fail(channel, "\r\n", 2);
}

int32_t file_position(int32_t channel) { return channel_or_fail(channel).position; }

void file_seek(int32_t channel, int32_t offset, int32_t origin) {
  FileStream& s = channel_or_fail(channel);
  int64_t base = origin < 0 ? s.size : origin > 0 ? s.position : 0;
  int64_t to = base + offset;
  // out of range is allowed here; the next read or write fails on it
  if (to > INT32_MAX) to = INT32_MAX;
  if (to < INT32_MIN) to = INT32_MIN;
  s.position = int32_t(to);
}

bool file_at_end(int32_t channel) {
  FileStream& s = channel_or_fail(channel);
  return s.position >= s.size;
}

int32_t file_size(const TvString& name) {
  FileStream s;
  if (!stream_open_read(s, name.c_str())) {
    set_error(ERR_NO_SUCH_FILE);
    return 0;
  }
  int32_t size = s.size;
  stream_close(s);
  return size;
}

bool file_copy(const TvString& source, const TvString& destination) {
  FileStream in;
  if (!stream_open_read(in, source.c_str())) {
    set_error(ERR_NO_SUCH_FILE);
    return false;
  }
  if (destination.empty() || is_memory_file_name(destination.c_str())) {
    stream_close(in);
    set_error(ERR_NO_SUCH_FILE);
    return false;
  }
  SafeWrite out;
  bool ok = safe_write_begin(out, destination.c_str());
  char piece[1 << 16];
  while (ok && in.position < in.size) {
    int32_t n = in.size - in.position < int32_t(sizeof piece) ? in.size - in.position
                                                              : int32_t(sizeof piece);
    if (!stream_read(in, piece, n)) ok = false;
    else safe_write_append(out, piece, size_t(n));
  }
  stream_close(in);
  ok = ok ? safe_write_commit(out) : (safe_write_abort(out), false);
  if (!ok) set_error(ERR_NO_SUCH_FILE);
  return ok;
}
