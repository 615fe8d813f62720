// fuzz_strings - the text operations on arbitrary bytes. The input is cut at
// the first two 0x01 bytes into text, a second operand and a key; every
// operation must stay inside its buffers, and a few properties are checked:
// printed numbers read back as their ten-digit rounding, replacement with an
// equal text changes nothing, split parts hold no delimiter, and deciphering
// an enciphered text gives it back up to its first zero byte.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/values/string_lib.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "property failed: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const char* bytes = reinterpret_cast<const char*>(data);
  const char* end = bytes + size;
  const char* cut1 = static_cast<const char*>(std::memchr(bytes, 1, size));
  const char* cut2 = cut1 ? static_cast<const char*>(std::memchr(cut1 + 1, 1, end - cut1 - 1)) : nullptr;
  TvString text(bytes, uint32_t((cut1 ? cut1 : end) - bytes));
  TvString other = cut1 ? TvString(cut1 + 1, uint32_t((cut2 ? cut2 : end) - cut1 - 1)) : TvString();
  TvString key = cut2 ? TvString(cut2 + 1, uint32_t(end - cut2 - 1)) : TvString("k");

  double v = string_to_number(text);
  int32_t iv = string_to_int(text);
  TvString printed = string_from_number(v);
  check(printed.length < printed.capacity && printed.data[printed.length] == 0, "number text terminated");
  if (std::isfinite(v)) {
    char ref[64];
    std::snprintf(ref, sizeof ref, "%.9e", v);
    check(string_to_number(printed) == std::strtod(ref, nullptr), "number text reads back");
  }
  check(string_to_int(string_from_int(iv)) == iv, "integer text reads back");

  int32_t start = size ? int32_t(data[0]) - 64 : 0;
  int32_t count = size > 1 ? int32_t(data[1]) - 64 : 0;
  TvString mid = string_mid(text, start, count);
  check(mid.length <= text.length, "mid within text");
  int32_t found = string_find(text, other, start);
  check(found == -1 || (found >= start && uint32_t(found) <= text.length), "find within text");
  string_find_any(text, other);
  string_find_not_in(text, other);

  TvString replaced = string_replace_all(text, other, key);
  // (a replacement is inserted whole, zero bytes included, while the search
  // text ends at its first zero byte)
  if (std::strlen(other.data) == other.length)
    check(string_equal(string_replace_all(text, other, other), text), "replacing with itself");
  (void)replaced;

  TvStringArray parts;
  int32_t n = string_split(text, other, parts);
  check(n == parts.size1, "split count");
  for (int32_t i = 0; i < n; ++i) {
    check(parts(i).length > 0, "no empty parts");
    if (other.data[0]) check(string_find_any(parts(i), other) == -1, "parts hold no delimiter");
  }

  string_lower(text);
  string_upper(text);
  string_format_number(count, start, v);

  TvString enc = string_encrypt(text, key);
  TvString dec = string_decrypt(enc, key);
  uint32_t plain = uint32_t(std::strlen(text.data));
  if (key.length) check(dec.length == plain && std::memcmp(dec.data, text.data, plain) == 0, "decipher gives the text back");
  string_decrypt(text, key);  // arbitrary "hex"
  return 0;
}
