// catalogue_scan.cpp - reading CODE.INI's snippets in one pass: the file in
// one block, each line looked at once, the keys of the six categories'
// sections kept as spans and sorted into entries at each section's end.
#include "app/catalogue_scan.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "app/catalogue_file.h"
#include "runtime/platform/platform_files.h"
#include "runtime/platform/utf8_text.h"

namespace {

const char* const kSections[] = {"extend_types", "types", "functions", "subroutines", "constants", "inline"};
constexpr int32_t kCategories = int32_t(sizeof kSections / sizeof kSections[0]);

inline bool blank(uint8_t c) { return c == ' ' || c == '\t'; }
inline uint8_t lower(uint8_t c) { return c >= 'A' && c <= 'Z' ? uint8_t(c + 32) : c; }

bool lower_equal(const char* p, uint32_t n, const char* lower_name) {
  for (uint32_t i = 0; i < n; ++i)
    if (lower(uint8_t(p[i])) != uint8_t(lower_name[i]) || lower_name[i] == 0) return false;
  return lower_name[n] == 0;
}

int32_t category_of(const char* name, uint32_t n) {
  for (int32_t c = 0; c < kCategories; ++c)
    if (lower_equal(name, n, kSections[c])) return c;
  return -1;
}

// The first CR or LF in [p, end), or end: the C library's memchr (which
// uses the widest vectors the processor has) for the LF, then again for a
// CR before it.
const char* line_break(const char* p, const char* end) {
  const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
  if (!lf) lf = end;
  const char* cr = static_cast<const char*>(std::memchr(p, '\r', size_t(lf - p)));
  return cr ? cr : lf;
}

// --- keys --------------------------------------------------------------------------

// NAME/DESCRIPTION/AUTHOR/CODE and a number as the loader spells it
// (decimal, no leading zero), letters in any case.
bool entry_key(const char* k, uint32_t n, int32_t& field, int32_t& number) {
  static const char* const stems[kScanFieldCount] = {"name", "description", "author", "code"};
  static const uint32_t stem_lengths[kScanFieldCount] = {4, 11, 6, 4};
  if (n == 0) return false;
  uint8_t c = lower(uint8_t(k[0]));
  field = c == 'n' ? kScanName : c == 'd' ? kScanDescription : c == 'a' ? kScanAuthor : c == 'c' ? kScanCode : -1;
  if (field < 0) return false;
  uint32_t s = stem_lengths[field];
  if (n <= s) return false;
  for (uint32_t i = 1; i < s; ++i)
    if (lower(uint8_t(k[i])) != uint8_t(stems[field][i])) return false;
  uint32_t digits = n - s;
  if (digits > 10 || (digits > 1 && k[s] == '0')) return false;
  int64_t v = 0;
  for (uint32_t i = s; i < n; ++i) {
    if (k[i] < '0' || k[i] > '9') return false;
    v = v * 10 + (k[i] - '0');
  }
  if (v > std::numeric_limits<int32_t>::max()) return false;
  number = int32_t(v);
  return true;
}

const char kNoText[] = "-----";

// Appends the entries of one category from its section's keys (file order).
void add_entries(ScanVector<ScanEntry>& out, int32_t category, const ScanVector<ScanKey>& keys,
                 std::vector<uint8_t>& named, ScanVector<ScanEntry>& slots) {
  size_t names = 0;
  for (const ScanKey& k : keys) names += k.field == kScanName;
  // numbers at or above the count of names can never be reached
  named.assign(names + 1, 0);
  for (const ScanKey& k : keys)
    if (k.field == kScanName && size_t(k.number) < names) named[size_t(k.number)] = 1;
  size_t count = 0;
  while (named[count]) ++count;
  slots.assign(count, ScanEntry{{{nullptr, 0}, {nullptr, 0}, {nullptr, 0}, {nullptr, 0}}, category, 0});
  for (const ScanKey& k : keys)
    if (size_t(k.number) < count && !slots[size_t(k.number)].field[k.field].data)
      slots[size_t(k.number)].field[k.field] = ScanText{k.value, k.length};
  for (size_t n = 0; n < count; ++n) {
    ScanEntry& e = slots[n];
    if (!e.field[kScanCode].data) continue;  // an entry without code is skipped
    for (int32_t f : {kScanDescription, kScanAuthor})
      if (!e.field[f].data) e.field[f] = ScanText{kNoText, 5};
    e.number = int32_t(n);
    out.push_back(e);
  }
}

std::string shown_name(const std::string& path, bool last_part = true) {
  size_t slash = path.rfind('/');
  return platform_utf8_to_latin1_lossy(last_part && slash != std::string::npos ? path.substr(slash + 1) : path);
}

}  // namespace

ScanBlock scan_block(size_t bytes) {
  ScanBlock b(static_cast<char*>(platform_alloc_large(bytes)), PlatformLargeDeleter{bytes});
  if (!b) throw std::bad_alloc();
  return b;
}

void catalogue_scan_bytes(CatalogueScan& scan, ScanBlock bytes, size_t n) {
  scan.entries.clear();
  scan.block = std::move(bytes);
  scan.size = n;
  if (n >= std::numeric_limits<uint32_t>::max() / 2) return;  // never read as text
  char* text = scan.block.get();
  size_t body = n >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
  if (catalogue_bytes_utf8(std::string_view(text, n))) {
    ScanBlock latin1 = scan_block(n + 1);
    size_t m = catalogue_latin1_into(std::string_view(text + body, n - body), latin1.get());
    scan.block = std::move(latin1);
    scan.size = m;
    text = scan.block.get();
    body = 0;
  }

  ScanVector<ScanKey>& keys = scan.keys;
  ScanVector<ScanEntry>& slots = scan.slots;
  keys.clear();
  std::vector<uint8_t> named;
  ScanVector<ScanEntry>& out = scan.entries;
  out.reserve(scan.size / 256 + 16);  // a guess from the size: grown seldom, if ever
  if (scan.size >= (size_t(4) << 20)) {
    // a large file: a huge page of each from the start, not several grown
    keys.reserve(ScanAllocator<ScanKey>::kHugePage / sizeof(ScanKey));
    slots.reserve(ScanAllocator<ScanEntry>::kHugePage / sizeof(ScanEntry));
  }
  bool seen[kCategories] = {};
  bool in_order = true;  // the sections came in tab order
  int32_t current = -1;  // the category named by the last header, if any
  int32_t reading = -1;  // the category whose section the lines are in
  bool open = false;     // the section of the last header holds a kept key
  auto close = [&] {
    if (reading >= 0) {
      in_order = in_order && (out.empty() || out.back().category <= reading);
      add_entries(out, reading, keys, named, slots);
    }
    keys.clear();
    reading = -1;
  };

  const char* p = text + body;
  const char* end = text + scan.size;
  while (p < end) {
    const char* eol = line_break(p, end);
    const char* s = p;
    p = eol + (eol + 1 < end && eol[0] == '\r' && eol[1] == '\n' ? 2 : 1);
    while (s < eol && blank(uint8_t(*s))) ++s;
    if (s == eol || *s == ';') continue;
    if (*s == '[') {
      // the name runs to the first blank or "="; one closing "]" is dropped
      ++s;
      while (s < eol && blank(uint8_t(*s))) ++s;
      const char* a = s;
      while (s < eol && !blank(uint8_t(*s)) && *s != '=') ++s;
      uint32_t len = uint32_t(s - a);
      if (len > 0 && a[len - 1] == ']') --len;
      close();
      if (len > 0) current = category_of(a, len);
      open = false;
      continue;
    }
    if (open && reading < 0) continue;  // a section not read, until the next header
    const char* key = s;
    while (s < eol && !blank(uint8_t(*s)) && *s != '=') ++s;
    uint32_t key_length = uint32_t(s - key);
    while (s < eol && blank(uint8_t(*s))) ++s;
    if (s == eol || *s != '=') continue;
    ++s;
    while (s < eol && blank(uint8_t(*s))) ++s;
    const char* value_end = eol;
    while (value_end > s && uint8_t(value_end[-1]) < 32) --value_end;
    if (value_end == s) continue;  // a key with an empty value is not kept
    if (!open) {
      // a section comes into being with its first kept key; the first of a
      // category's name is the one read
      open = true;
      if (current >= 0 && !seen[current]) {
        seen[current] = true;
        reading = current;
      } else {
        continue;
      }
    }
    int32_t field = 0, number = 0;
    if (entry_key(key, key_length, field, number)) keys.push_back(ScanKey{s, uint32_t(value_end - s), field, number});
  }
  close();
  if (!in_order)
    std::stable_sort(out.begin(), out.end(),
                     [](const ScanEntry& a, const ScanEntry& b) { return a.category < b.category; });
}

bool catalogue_scan_file(CatalogueScan& scan, const TvString& path_in, TvString& reason) {
  scan.entries.clear();
  ScanBlock old = std::move(scan.block);
  scan.size = 0;
  reason = "";
  std::string path(path_in.data, path_in.length), target, name = shown_name(path);
  auto fail = [&reason](const std::string& why) {
    reason = why.c_str();
    return false;
  };
  if (platform_dangling_link(path.c_str(), target))
    return fail(name + " is a symbolic link to " + shown_name(target, false) + ", which does not exist");
  PlatformOpenStatus status;
  PlatformFile f = platform_file_open_regular(path.c_str(), false, false, status);
  if (status == PlatformOpenStatus::missing) return true;
  if (status == PlatformOpenStatus::not_regular)
    return fail(name + " is not a plain file (a pipe, a device or a folder)");
  if (f == kNoPlatformFile) return fail(name + " cannot be read (" + platform_last_error_text() + ")");
  // one read of the size the file has; a file growing meanwhile is read on
  int64_t size = platform_file_size(f);
  size_t capacity = size_t(size > 0 ? size : 0) + 1, n = 0;
  // the block of the last read is used again when the file fits: no new
  // memory to fault in for a reload
  ScanBlock bytes = std::move(old);
  if (!bytes || bytes.get_deleter().bytes < capacity) bytes = scan_block(capacity);
  capacity = bytes.get_deleter().bytes;
  for (;;) {
    if (n == capacity) {
      ScanBlock more = scan_block(capacity * 2);
      std::memcpy(more.get(), bytes.get(), n);
      bytes = std::move(more);
      capacity *= 2;
    }
    int64_t got = platform_file_read_at(f, int64_t(n), bytes.get() + n, int64_t(capacity - n));
    if (got < 0) {
      std::string why = platform_last_error_text();
      platform_file_close(f);
      return fail(name + " cannot be read (" + why + ")");
    }
    if (got == 0) break;
    n += size_t(got);
  }
  platform_file_close(f);
  catalogue_scan_bytes(scan, std::move(bytes), n);
  return true;
}
