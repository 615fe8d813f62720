// tv_string.cpp - storage of TvString: growth, assignment, append, moves.
#include "runtime/values/tv_string.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

char empty_string_buffer[1] = {0};

namespace {

// Allocates or grows a buffer to `cap` bytes; bytes past `keep_bytes` are
// zeroed so no stale memory can ever become text.
char* grow_block(char* old, uint32_t old_cap, uint32_t cap, uint32_t keep_bytes) {
  char* block;
  if (old_cap != 0 && keep_bytes > 0) {
    block = static_cast<char*>(std::realloc(old, cap));
    if (!block) throw std::bad_alloc();
    std::memset(block + keep_bytes, 0, cap - keep_bytes);
    return block;
  }
  block = static_cast<char*>(std::calloc(cap, 1));
  if (!block) throw std::bad_alloc();
  if (old_cap != 0) std::free(old);
  return block;
}

}  // namespace

TvString::TvString(const char* text) : TvString() { string_assign(*this, text); }
TvString::TvString(const char* bytes, uint32_t n) : TvString() { string_assign_bytes(*this, bytes, n); }
TvString::TvString(const TvString& other) : TvString() { string_assign(*this, other); }
TvString::TvString(TvString&& other) noexcept : TvString() { string_swap(*this, other); }
TvString::~TvString() {
  if (capacity != 0) std::free(data);
  data = nullptr;
  capacity = 0;
  length = 0;
}
TvString& TvString::operator=(const TvString& other) {
  if (this != &other) string_assign(*this, other);
  return *this;
}
TvString& TvString::operator=(TvString&& other) noexcept {
  string_swap(*this, other);
  return *this;
}
TvString& TvString::operator=(const char* text) {
  string_assign(*this, text);
  return *this;
}

void string_free(TvString& s) {
  if (s.capacity != 0) std::free(s.data);
  s.data = empty_string_buffer;
  s.capacity = 0;
  s.length = 0;
}

void string_reserve(TvString& s, uint32_t n, bool keep) {
  if (n == 0) return;
  uint64_t needed = uint64_t(n) + 1;
  if (s.capacity >= needed) return;
  uint64_t cap = (needed & ~uint64_t(15)) + 16;
  if (cap > UINT32_MAX) throw std::bad_alloc();
  uint32_t kept = (keep && s.length > 0) ? s.length : 0;
  s.data = grow_block(s.data, s.capacity, uint32_t(cap), kept);
  s.capacity = uint32_t(cap);
  s.data[kept] = 0;
}

void string_assign_bytes(TvString& s, const char* bytes, uint32_t n) {
  if (n == 0) {
    if (s.capacity != 0) s.data[0] = 0;
    s.length = 0;
    return;
  }
  if (s.capacity < n + 1) {
    // exactly length + 1 bytes, like the plain setter
    char* block = static_cast<char*>(std::calloc(size_t(n) + 1, 1));
    if (!block) throw std::bad_alloc();
    if (s.capacity != 0) std::free(s.data);
    s.data = block;
    s.capacity = n + 1;
  }
  std::memmove(s.data, bytes, n);
  s.data[n] = 0;
  s.length = n;
}

void string_assign(TvString& s, const char* text) {
  if (!text) text = "";
  size_t n = std::strlen(text);
  if (n >= UINT32_MAX) throw std::bad_alloc();
  string_assign_bytes(s, text, uint32_t(n));
}

void string_assign(TvString& s, const TvString& other) {
  if (&s == &other) return;
  string_assign_bytes(s, other.data, other.length);
}

TvString& string_append_grow(TvString& s, const char* bytes, uint32_t n) {
  if (n == 0) return s;
  uint64_t total = uint64_t(s.length) + n;
  if (total >= UINT32_MAX - 16) throw std::bad_alloc();
  // the operand may live inside s itself
  if (bytes >= s.data && bytes < s.data + s.capacity && s.capacity < total + 1) {
    TvString copy(bytes, n);
    string_reserve(s, uint32_t(total), true);
    std::memcpy(s.data + s.length, copy.data, n);
  } else {
    string_reserve(s, uint32_t(total), true);
    std::memmove(s.data + s.length, bytes, n);
  }
  s.length = uint32_t(total);
  s.data[s.length] = 0;
  return s;
}

void string_recount(TvString& s) {
  if (s.capacity == 0) {
    s.length = 0;
    return;
  }
  const void* z = std::memchr(s.data, 0, s.capacity);
  if (z) {
    s.length = uint32_t(static_cast<const char*>(z) - s.data);
  } else {
    s.length = s.capacity - 1;
    s.data[s.length] = 0;
  }
}

void string_truncate(TvString& s, int64_t n) {
  if (n < 0 || n >= int64_t(s.capacity)) return;
  s.data[n] = 0;
  s.length = uint32_t(n);
}

void string_swap(TvString& a, TvString& b) noexcept {
  std::swap(a.data, b.data);
  std::swap(a.capacity, b.capacity);
  std::swap(a.length, b.length);
}

bool string_equal(const TvString& a, const TvString& b) {
  return a.length == b.length && std::memcmp(a.data, b.data, a.length) == 0;
}

int string_compare(const char* a, const char* b) {
  if (!a) a = "";
  if (!b) b = "";
  return std::strcmp(a, b);  // strcmp compares as unsigned char
}
