// fuzz_ini.cpp - the INI reader on arbitrary bytes, then a few puts.
//
// Input: first byte = number of puts, the next 3 bytes per put choose
// section, key and value; the rest is the file. Checked invariants:
//   - every look-up agrees with a plain scan of the lists (first section of
//     the name, first key of the name in it, ASCII case ignored);
//   - a put of a non-empty value is read back by ini_get;
//   - written text, read again and written again, is unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "runtime/io/ini.h"

namespace {

bool same_name(const char* a, uint32_t an, const char* b, uint32_t bn) {
  if (an != bn) return false;
  for (uint32_t i = 0; i < an; ++i) {
    unsigned char x = uint8_t(a[i]), y = uint8_t(b[i]);
    if (x >= 'A' && x <= 'Z') x = uint8_t(x + 32);
    if (y >= 'A' && y <= 'Z') y = uint8_t(y + 32);
    if (x != y) return false;
  }
  return true;
}

// The plain-scan answer to ini_get.
std::string scan_get(const TvString& sec, const TvString& key, const char* fallback) {
  for (const IniSection& s : ini_table.sections) {
    if (!same_name(s.name.data, s.name.length, sec.data, sec.length)) continue;
    for (const IniEntry& e : s.entries)
      if (same_name(e.key, e.key_length, key.data, key.length)) return std::string(e.value, e.value_length);
    return fallback;
  }
  return fallback;
}

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

void check_get(const TvString& sec, const TvString& key) {
  TvString got = ini_get(sec, key, TvString("\x01missing"));
  check(std::string(got.data, got.length) == scan_get(sec, key, "\x01missing"), "get agrees with a scan");
}

void parse(const char* p, size_t n) {
  std::unique_ptr<char[]> bytes(new char[n + 1]);
  if (n) std::memcpy(bytes.get(), p, n);
  ini_parse(ini_table, std::move(bytes), n);
}

std::string written() {
  TvString t = ini_format(ini_table);
  return std::string(t.data, t.length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t puts = data[0] % 16;
  size_t op_bytes = 1 + 3 * puts;
  if (size < op_bytes) return 0;
  const uint8_t* ops = data + 1;
  parse(reinterpret_cast<const char*>(data + op_bytes), size - op_bytes);

  // every name in the table finds the right record
  uint32_t sections_seen = 0;
  for (const IniSection& s : ini_table.sections) {
    if (++sections_seen > 32) break;
    uint32_t entries_seen = 0;
    for (const IniEntry& e : s.entries) {
      if (++entries_seen > 32) break;
      check_get(s.name, TvString(e.key, e.key_length));
    }
  }

  for (size_t i = 0; i < puts; ++i) {
    const uint8_t* op = ops + 3 * i;
    // names from the table (so repeats and deletions are hit) or fresh ones
    TvString sec, key, value;
    size_t ns = ini_table.sections.size();
    if (ns && op[0] < 192) {
      const IniSection& s = ini_table.sections[op[0] % ns];
      sec = s.name;
      if (!s.entries.empty() && op[1] < 160) {
        const IniEntry& e = s.entries[op[1] % s.entries.size()];
        key = TvString(e.key, e.key_length);
      }
    } else {
      char buf[16];
      std::snprintf(buf, sizeof buf, "S%u", op[0] % 4u);
      sec = buf;
    }
    if (key.empty() && op[1] >= 8) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "k%u", op[1] % 8u);
      key = buf;
    }
    if (op[2] >= 96) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "v%u", op[2]);
      value = buf;
    }
    ini_put(sec, key, value);
    if (!key.empty()) {
      check(ini_table.changed, "a put with a key marks the table changed");
      check_get(sec, key);
      if (!value.empty()) {
        TvString got = ini_get(sec, key, TvString());
        check(string_equal(got, value), "a put value reads back");
      }
    }
  }

  // writing is stable once read back
  std::string first = written();
  parse(first.data(), first.size());
  std::string second = written();
  parse(second.data(), second.size());
  std::string third = written();
  check(second == third, "written text reads back unchanged");

  ini_table.changed = false;
  ini_open(TvString());
  return 0;
}
