// tv_string.h - TvString, the runtime's one text type.
//
// Three fields in a fixed order (data, capacity, length). Text is bytes in
// the 8-bit code page (Latin-1); no conversion happens here. Empty strings
// share `empty_string_buffer` and never allocate. Each string owns its
// buffer; temporaries move into place by swapping the three fields.
//
// Growth: string_reserve rounds (n + 1) down to a multiple of 16 and adds 16;
// the plain setter from zero-terminated text allocates exactly length + 1.
// Buffers are grown with realloc so long appends can stay in place, and every
// newly allocated byte is zeroed, so truncate/recount never expose stale
// memory.
#pragma once
#include <cstdint>
#include <cstddef>
#include <compare>
#include <cstring>

extern char empty_string_buffer[1];

struct TvString {
  char* data;
  uint32_t capacity;
  uint32_t length;

  TvString() noexcept : data(empty_string_buffer), capacity(0), length(0) {}
  TvString(const char* text);                       // stops at the first zero
  TvString(const char* bytes, uint32_t n);          // exactly n bytes
  TvString(const TvString& other);                  // copies `length` bytes
  TvString(TvString&& other) noexcept;              // swap
  ~TvString();
  TvString& operator=(const TvString& other);
  TvString& operator=(TvString&& other) noexcept;   // swap
  TvString& operator=(const char* text);

  const char* c_str() const { return data; }
  bool empty() const { return length == 0; }
  char operator[](uint32_t i) const { return data[i]; }
};

// --- core operations ---------------------------------------------------------
void string_assign(TvString& s, const char* text);
void string_assign(TvString& s, const TvString& other);
void string_assign_bytes(TvString& s, const char* bytes, uint32_t n);
void string_reserve(TvString& s, uint32_t n, bool keep);
// Appends that fit the current buffer stay inline; growth goes out of line.
TvString& string_append_grow(TvString& s, const char* bytes, uint32_t n);
inline TvString& string_append_bytes(TvString& s, const char* bytes, uint32_t n) {
  uint64_t total = uint64_t(s.length) + n;
  if (n == 0) return s;
  if (total >= s.capacity) return string_append_grow(s, bytes, n);
  std::memmove(s.data + s.length, bytes, n);  // the operand may lie inside s
  s.length = uint32_t(total);
  s.data[total] = 0;
  return s;
}
inline TvString& string_append(TvString& s, const char* text) {
  if (!text) return s;
  return string_append_bytes(s, text, uint32_t(std::strlen(text)));
}
inline TvString& string_append(TvString& s, const TvString& other) {
  return string_append_bytes(s, other.data, other.length);
}
// One byte; the common case (room left) stays inline so byte-by-byte
// building costs little more than a store.
inline TvString& string_append_char(TvString& s, char c) {
  if (s.length + 1 < s.capacity) {
    s.data[s.length++] = c;
    s.data[s.length] = 0;
    return s;
  }
  return string_append_bytes(s, &c, 1);
}
void string_recount(TvString& s);
void string_truncate(TvString& s, int64_t n);
void string_swap(TvString& a, TvString& b) noexcept;
void string_free(TvString& s);  // back to empty, buffer released
bool string_equal(const TvString& a, const TvString& b);
int string_compare(const char* a, const char* b);

// number/text conversion and the operator family live in tv_convert.h
#include "runtime/values/tv_convert.h"
