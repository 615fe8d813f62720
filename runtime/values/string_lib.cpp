// string_lib.cpp - the string function library over TvString bytes.
#include "runtime/values/string_lib.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "runtime/values/blowfish.h"
#include "runtime/values/ascii_case.h"

namespace {

// Bytes up to the first zero: what the searches see of a text.
uint32_t text_length(const TvString& s) {
  const void* z = std::memchr(s.data, 0, s.length);
  return z ? uint32_t(static_cast<const char*>(z) - s.data) : s.length;
}

// A new string of exactly n bytes whose contents the caller writes.
TvString string_of_size(uint32_t n) {
  TvString s;
  if (n == 0) return s;
  string_reserve(s, n, false);
  s.length = n;
  s.data[n] = 0;
  return s;
}

// Membership table for a set of bytes (taken up to its first zero).
struct ByteSet {
  bool has[256] = {};
  explicit ByteSet(const TvString& set) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(set.data); *p; ++p) has[*p] = true;
  }
};

}  // namespace

TvString string_mid(const TvString& text, int32_t start, int32_t count) {
  int64_t n = text.length;
  int64_t c = count < 0 ? n : count;
  if (int64_t(start) + c > n) c = n - start;
  if (c < 1 || start >= n || start < 0) return TvString();
  return TvString(text.data + start, uint32_t(c));
}

int32_t string_find(const TvString& text, const TvString& search, int32_t start) {
  if (start < 0 || uint32_t(start) > text_length(text)) return -1;
  const char* hit = std::strstr(text.data + start, search.data);
  return hit ? int32_t(hit - text.data) : -1;
}

TvString string_replace_all(const TvString& text, const TvString& search, const TvString& replacement) {
  uint32_t slen = text_length(search);
  if (slen == 0) return text;  // an empty search text would never advance
  uint32_t rlen = replacement.length;
  if (rlen == slen) {
    // same length: overwrite in place, continuing after each replacement
    TvString result(text);
    char* from = result.data;
    while (char* hit = std::strstr(from, search.data)) {
      std::memcpy(hit, replacement.data, rlen);
      from = hit + rlen;
    }
    return result;
  }
  // different length: the result is assembled in one pass; searching resumes
  // right after each found text, so a replacement holding the search text
  // is never searched again
  TvString result;
  const char* from = text.data;
  while (const char* hit = std::strstr(from, search.data)) {
    string_append_bytes(result, from, uint32_t(hit - from));
    string_append_bytes(result, replacement.data, rlen);
    from = hit + slen;
  }
  string_append_bytes(result, from, uint32_t(text.data + text.length - from));
  return result;
}

void string_lower_in_place(TvString& text) {
  ascii_lower_in_place(text.data, text.length);
}

void string_upper_in_place(TvString& text) {
  ascii_upper_in_place(text.data, text.length);
}

TvString string_lower(const TvString& text) {
  TvString s(text);
  string_lower_in_place(s);
  return s;
}

TvString string_upper(const TvString& text) {
  TvString s(text);
  string_upper_in_place(s);
  return s;
}

TvString string_char(int32_t code) {
  char byte = char(code & 0xff);
  return TvString(&byte, 1);
}

int32_t string_code(const TvString& text) {
  return text.length == 0 ? 0 : int32_t(static_cast<unsigned char>(text.data[0]));
}

int32_t string_split(const TvString& text, const TvString& delimiters, TvStringArray& destination) {
  array_redim(destination, 0);
  ByteSet delim(delimiters);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data);
  int32_t parts = 0;
  for (;;) {
    while (*p && delim.has[*p]) ++p;
    if (!*p) break;
    const unsigned char* begin = p;
    while (*p && !delim.has[*p]) ++p;
    array_push(destination, TvString());
    string_assign_bytes(array_at(destination, parts), reinterpret_cast<const char*>(begin),
                        uint32_t(p - begin));
    ++parts;
  }
  return parts;
}

TvString string_format_number(double width, double decimals, double value) {
  // A width or precision beyond any sensible column is clamped so a wild
  // argument cannot demand gigabytes; a negative decimals count means none.
  auto clamp = [](double v, double lo, double hi) {
    if (!(v == v)) return 0;
    v = std::trunc(v);
    return int(v < lo ? lo : (v > hi ? hi : v));
  };
  int w = clamp(width, -1024, 1024);
  int d = clamp(decimals, 0, 1024);
  TvString s;
  string_reserve(s, 128, false);
  int n = std::snprintf(s.data, s.capacity, "%*.*f", w, d, value);
  if (n < 0) n = 0;
  if (uint32_t(n) >= s.capacity) {
    string_reserve(s, uint32_t(n), false);
    std::snprintf(s.data, s.capacity, "%*.*f", w, d, value);
  }
  s.length = uint32_t(n);
  return s;
}

TvString string_hex(const void* bytes, int32_t count, bool upper) {
  if (count <= 0 || !bytes) return TvString();
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  TvString s = string_of_size(uint32_t(count) * 2);
  const unsigned char* b = static_cast<const unsigned char*>(bytes);
  for (int32_t i = 0; i < count; ++i) {
    s.data[2 * i] = digits[b[i] >> 4];
    s.data[2 * i + 1] = digits[b[i] & 15];
  }
  return s;
}

TvString string_hex(const TvString& bytes, bool upper) {
  return string_hex(bytes.data, int32_t(bytes.length), upper);
}

// --- enciphered text -----------------------------------------------------------

namespace {

uint32_t load_le(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void store_le(unsigned char* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = char(c | 0x20);  // the text is read in lower case
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

TvString string_encrypt(const TvString& data, const TvString& key) {
  if (key.length == 0 || data.length == 0) return TvString();
  BlowfishContext ctx;
  blowfish_init(ctx, reinterpret_cast<const uint8_t*>(key.data), key.length);
  uint32_t padded = (data.length + 7) & ~7u;
  TvString bytes = string_of_size(padded);  // zero-filled past the data
  std::memcpy(bytes.data, data.data, data.length);
  std::memset(bytes.data + data.length, 0, padded - data.length);
  unsigned char* b = reinterpret_cast<unsigned char*>(bytes.data);
  for (uint32_t i = 0; i < padded; i += 8) {
    uint32_t l = load_le(b + i), r = load_le(b + i + 4);
    blowfish_encipher(ctx, l, r);
    store_le(b + i, l);
    store_le(b + i + 4, r);
  }
  return string_hex(bytes, false);
}

TvString string_decrypt(const TvString& hex, const TvString& key) {
  if (key.length == 0 || hex.length == 0 || hex.length % 2 != 0) return TvString();
  uint32_t count = hex.length / 2;
  uint32_t padded = (count + 7) & ~7u;
  TvString bytes = string_of_size(padded);
  unsigned char* b = reinterpret_cast<unsigned char*>(bytes.data);
  for (uint32_t i = 0; i < count; ++i) {
    int hi = hex_value(hex.data[2 * i]), lo = hex_value(hex.data[2 * i + 1]);
    if (hi < 0 || lo < 0) return TvString();
    b[i] = uint8_t(hi << 4 | lo);
  }
  std::memset(b + count, 0, padded - count);
  BlowfishContext ctx;
  blowfish_init(ctx, reinterpret_cast<const uint8_t*>(key.data), key.length);
  for (uint32_t i = 0; i < padded; i += 8) {
    uint32_t l = load_le(b + i), r = load_le(b + i + 4);
    blowfish_decipher(ctx, l, r);
    store_le(b + i, l);
    store_le(b + i + 4, r);
  }
  // the text ends at the first zero byte; what follows is wiped so no later
  // truncate can bring it back
  string_recount(bytes);
  std::memset(bytes.data + bytes.length, 0, bytes.capacity - bytes.length);
  return bytes;
}

int32_t string_find_any(const TvString& text, const TvString& set) {
  size_t n = std::strcspn(text.data, set.data);
  return text.data[n] ? int32_t(n) : -1;
}

int32_t string_find_not_in(const TvString& text, const TvString& set) {
  size_t n = std::strspn(text.data, set.data);
  return text.data[n] ? int32_t(n) : -1;
}
