// ini.cpp - the INI table: loading, look-up, changes and write-back.
//
// Loading reads the whole file into one block and parses it in place: keys
// and values of loaded lines point into that block, so a line costs no
// allocation of its own and lines of any length are read whole. Bytes are
// unsigned throughout; only trailing control bytes (below 32) are cut from a
// value, Latin-1 letters stay.
//
// Sections and the keys of each section sit in lists in file order with a
// hash index beside each list. Records of the same name are chained, and a
// look-up takes the chain member at the lowest list position, so "first one
// wins" holds however deletions (the last record moved into the gap) have
// reordered the list.
#include "runtime/io/ini.h"

#include <cstring>
#include <string>
#include <utility>

#include "runtime/platform/log.h"
#include "runtime/io/archive.h"
#include "runtime/io/file_stream.h"
#include "runtime/io/io_exit.h"
#include "runtime/io/safe_write.h"
#include "runtime/platform/platform_files.h"
#include "runtime/values/ascii_case.h"

IniTable ini_table;

namespace {

// --- names -------------------------------------------------------------------

struct Name {
  const char* data;
  uint32_t length;
};

uint32_t name_hash(Name n) {
  uint32_t h = 2166136261u;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(n.data);
  for (uint32_t i = 0; i < n.length; ++i) h = (h ^ ascii_lower(p[i])) * 16777619u;
  // spread the low bits, which pick the slot
  h ^= h >> 16;
  h *= 0x7feb352du;
  h ^= h >> 15;
  return h;
}

bool name_equal(Name a, Name b) {
  if (a.length != b.length) return false;
  return ascii_equal_blind(a.data, b.data, a.length);
}

Name name_of(const IniEntry& e) { return {e.key, e.key_length}; }
Name name_of(const IniSection& s) { return {s.name.data, s.name.length}; }
Name name_of(const TvString& s) { return {s.data, s.length}; }

// Sections keep their hash; an entry's is worked out again from its short
// key, which keeps entries small for loading.
uint32_t hash_of(const IniEntry& e) { return name_hash(name_of(e)); }
uint32_t hash_of(const IniSection& s) { return s.hash; }

// --- the hash index ----------------------------------------------------------

inline uint32_t slot_position(uint64_t slot) { return uint32_t(slot) - 1; }
inline uint32_t slot_hash(uint64_t slot) { return uint32_t(slot >> 32); }
inline uint64_t make_slot(uint32_t hash, uint32_t position) {
  return (uint64_t(hash) << 32) | (uint64_t(position) + 1);
}

// The slot holding the chain of `name`, or kIniNone.
template <class Rec>
uint32_t index_find(const IniIndex& ix, const std::vector<Rec>& list, uint32_t hash, Name name) {
  if (ix.slots.empty()) return kIniNone;
  uint32_t mask = uint32_t(ix.slots.size() - 1);
  for (uint32_t i = hash & mask;; i = (i + 1) & mask) {
    uint64_t s = ix.slots[i];
    if (s == 0) return kIniNone;
    if (slot_hash(s) == hash && name_equal(name_of(list[slot_position(s)]), name)) return i;
  }
}

void index_place(IniIndex& ix, uint64_t slot) {
  uint32_t mask = uint32_t(ix.slots.size() - 1);
  uint32_t i = slot_hash(slot) & mask;
  while (ix.slots[i] != 0) i = (i + 1) & mask;
  ix.slots[i] = slot;
}

void index_grow(IniIndex& ix, size_t size) {
  std::vector<uint64_t> old;
  old.swap(ix.slots);
  ix.slots.assign(size, 0);
  for (uint64_t s : old)
    if (s != 0) index_place(ix, s);
}

// Frees slot i and shifts later members of its probe run back into the gap.
void index_erase(IniIndex& ix, uint32_t i) {
  uint32_t mask = uint32_t(ix.slots.size() - 1);
  uint32_t gap = i;
  for (uint32_t j = (i + 1) & mask; ix.slots[j] != 0; j = (j + 1) & mask) {
    uint32_t home = slot_hash(ix.slots[j]) & mask;
    // the member at j may move to the gap if its home is not inside (gap, j]
    bool home_in_between = gap <= j ? (home > gap && home <= j) : (home > gap || home <= j);
    if (!home_in_between) {
      ix.slots[gap] = ix.slots[j];
      gap = j;
    }
  }
  ix.slots[gap] = 0;
  --ix.used;
}

template <class Rec>
uint32_t list_first(const IniIndex& ix, const std::vector<Rec>& list, Name name) {
  uint32_t h = name_hash(name);
  uint32_t s = index_find(ix, list, h, name);
  if (s == kIniNone) return kIniNone;
  uint32_t best = slot_position(ix.slots[s]);
  for (uint32_t p = list[best].next_same; p != kIniNone; p = list[p].next_same)
    if (p < best) best = p;
  return best;
}

// Enters the record at `position` into the index: as the head of
// a new chain, or linked behind the head of its name's chain.
template <class Rec>
void index_link(IniIndex& ix, std::vector<Rec>& list, uint32_t position) {
  if ((uint64_t(ix.used) + 1) * 2 > ix.slots.size()) index_grow(ix, ix.slots.empty() ? 16 : ix.slots.size() * 2);
  Rec& rec = list[position];
  Name name = name_of(rec);
  uint32_t hash = hash_of(rec);
  uint32_t mask = uint32_t(ix.slots.size() - 1);
  for (uint32_t i = hash & mask;; i = (i + 1) & mask) {
    uint64_t s = ix.slots[i];
    if (s == 0) {
      ix.slots[i] = make_slot(hash, position);
      ++ix.used;
      rec.next_same = kIniNone;
      return;
    }
    uint32_t head = slot_position(s);
    if (slot_hash(s) == hash && name_equal(name_of(list[head]), name)) {
      rec.next_same = list[head].next_same;
      list[head].next_same = position;
      return;
    }
  }
}

template <class Rec>
void list_add(IniIndex& ix, std::vector<Rec>& list, Rec&& rec) {
  list.push_back(std::move(rec));
  index_link(ix, list, uint32_t(list.size() - 1));
}

// Takes position p out of its name's chain (the slot goes when p was alone).
template <class Rec>
void list_unlink(IniIndex& ix, std::vector<Rec>& list, uint32_t p) {
  const Rec& r = list[p];
  uint32_t hash = hash_of(r);
  uint32_t s = index_find(ix, list, hash, name_of(r));
  uint32_t head = slot_position(ix.slots[s]);
  if (head == p) {
    if (r.next_same == kIniNone) index_erase(ix, s);
    else ix.slots[s] = make_slot(hash, r.next_same);
    return;
  }
  uint32_t q = head;
  while (list[q].next_same != p) q = list[q].next_same;
  list[q].next_same = r.next_same;
}

// Points whatever refers to position `from` (its slot or a chain link) at `to`.
template <class Rec>
void list_retarget(IniIndex& ix, std::vector<Rec>& list, uint32_t from, uint32_t to) {
  const Rec& r = list[from];
  uint32_t hash = hash_of(r);
  uint32_t s = index_find(ix, list, hash, name_of(r));
  uint32_t head = slot_position(ix.slots[s]);
  if (head == from) {
    ix.slots[s] = make_slot(hash, to);
    return;
  }
  uint32_t q = head;
  while (list[q].next_same != from) q = list[q].next_same;
  list[q].next_same = to;
}

// Deletes the record at p: the last record moves into its place.
template <class Rec>
void list_remove(IniIndex& ix, std::vector<Rec>& list, uint32_t p) {
  list_unlink(ix, list, p);
  uint32_t last = uint32_t(list.size() - 1);
  if (p != last) {
    list_retarget(ix, list, last, p);
    list[p] = std::move(list[last]);
  }
  list.pop_back();
}

// --- records ---------------------------------------------------------------------

const char* copy_bytes(const TvString& s) {
  char* block = new char[size_t(s.length) + 1];
  std::memcpy(block, s.data, s.length);
  block[s.length] = 0;
  return block;
}

void entry_release(IniSection& sec, IniEntry& e) {
  if (e.owned & kIniOwnsKey) delete[] e.key;
  if (e.owned & kIniOwnsValue) delete[] e.value;
  if (e.owned) --sec.owned_entries;
  e.owned = 0;
}

void section_release(IniSection& sec) {
  for (size_t i = 0; sec.owned_entries > 0 && i < sec.entries.size(); ++i) entry_release(sec, sec.entries[i]);
}

void entry_set_value(IniSection& sec, IniEntry& e, const TvString& value) {
  if (e.owned & kIniOwnsValue) delete[] e.value;
  if (!e.owned) ++sec.owned_entries;
  e.value = "";
  e.value_length = 0;
  e.owned = uint8_t(e.owned & ~kIniOwnsValue);
  if (!value.empty()) {
    e.value = copy_bytes(value);
    e.value_length = value.length;
    e.owned |= kIniOwnsValue;
  }
  if (!e.owned) --sec.owned_entries;
}

// The key index of a section is built the first time the section is used:
// a program reading one category of a catalogue indexes only that one.
IniSection& indexed(IniSection& sec) {
  if (sec.indexed) return sec;
  size_t size = 16;
  while (size < (sec.entries.size() + 1) * 2) size *= 2;
  sec.index.slots.assign(size, 0);
  sec.index.used = 0;
  for (uint32_t i = 0; i < sec.entries.size(); ++i) index_link(sec.index, sec.entries, i);
  sec.indexed = true;
  return sec;
}

uint32_t add_section(IniTable& t, Name name) {
  IniSection sec;
  string_assign_bytes(sec.name, name.data, name.length);
  sec.hash = name_hash(name);
  list_add(t.index, t.sections, std::move(sec));
  return uint32_t(t.sections.size() - 1);
}

void clear_table(IniTable& t) {
  t.sections.clear();
  t.sections.shrink_to_fit();
  t.index = IniIndex();
  t.bytes.reset();
  t.byte_count = 0;
}

// --- loading -------------------------------------------------------------------

inline bool is_blank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

enum class ReadResult { loaded, shadowed, missing, unreadable };

// The whole file in one block, found the way every loader finds names: a
// disk file, or an entry of the program's packed archive unpacked into a
// memory file. A name that exists but cannot be read is told apart from a
// missing one, so the write-back never replaces a file it could not read.
ReadResult read_source(const TvString& name, std::unique_ptr<char[]>& out, size_t& n) {
  TvString resolved;
  FileStream s;
  if (!resolve_file(general_resolver, name, resolved, true) || !stream_open_read(s, resolved.c_str()))
    return platform_file_exists(name.c_str()) ? ReadResult::unreadable : ReadResult::missing;
  n = size_t(s.size);
  out.reset(new char[n + 1]);
  bool ok = n == 0 || stream_read(s, out.get(), int32_t(n));
  if (ok && s.handle == kNoPlatformFile) ok = s.position == int32_t(n);  // a memory file gives what it has
  stream_close(s);
  if (!ok) out.reset();
  if (!ok) return ReadResult::unreadable;
  // read from the archive while a disk file of that name exists but could
  // not be opened: readable, but the disk file must not be replaced
  if (!string_equal(resolved, name) && platform_file_exists(name.c_str())) return ReadResult::shadowed;
  return ReadResult::loaded;
}

// --- write-back ----------------------------------------------------------------

bool starts_with_mem(const TvString& name) {
  return name.length >= 6 && std::memcmp(name.data, "mem://", 6) == 0;
}

template <class Sink>
void emit_section(const IniSection& s, Sink& out) {
  out("[", 1);
  out(s.name.data, s.name.length);
  out("]\r\n", 3);
  for (const IniEntry& e : s.entries) {
    out(e.key, e.key_length);
    out("=", 1);
    out(e.value, e.value_length);
    out("\r\n", 2);
  }
}

// A section without a name can only be read back from the top of a file (a
// "[]" header further down keeps the name above it), so the first one is
// written first; all else in list order.
template <class Sink>
void emit_table(const IniTable& t, Sink& out) {
  uint32_t unnamed = list_first(t.index, t.sections, Name{"", 0});
  if (unnamed != kIniNone) emit_section(t.sections[unnamed], out);
  for (uint32_t i = 0; i < t.sections.size(); ++i)
    if (i != unnamed) emit_section(t.sections[i], out);
}

// True when the file holds the table afterwards (or needs no writing);
// otherwise `why` says what went wrong and the failure is logged.
bool write_back(IniTable& t, std::string* why = nullptr) {
  if (!t.changed || t.file_name.empty()) return true;
  if (starts_with_mem(t.file_name)) return true;
  if (t.source == IniSource::unreadable) {
    std::string line = "INI file not written back, it could not be read: ";
    line.append(t.file_name.data, t.file_name.length);
    log_line(line.c_str());
    if (why) *why = "the file exists but could not be read";
    return false;
  }
  SafeWrite w;
  bool ok = safe_write_begin(w, t.file_name.c_str());
  if (ok) {
    auto sink = [&w](const char* p, size_t n) { safe_write_append(w, p, n); };
    emit_table(t, sink);
    ok = safe_write_commit(w);
  }
  if (!ok) {
    std::string line = "INI file could not be written, it stays as it was: ";
    line.append(t.file_name.data, t.file_name.length);
    log_line(line.c_str());
    if (why) *why = w.error;
  }
  return ok;
}

}  // namespace

IniSection::IniSection(IniSection&& o) noexcept
    : name(std::move(o.name)),
      entries(std::move(o.entries)),
      index(std::move(o.index)),
      indexed(o.indexed),
      owned_entries(o.owned_entries),
      hash(o.hash),
      next_same(o.next_same) {
  o.entries.clear();
  o.owned_entries = 0;
}

IniSection& IniSection::operator=(IniSection&& o) noexcept {
  if (this == &o) return *this;
  section_release(*this);
  string_swap(name, o.name);
  entries = std::move(o.entries);
  index = std::move(o.index);
  indexed = o.indexed;
  owned_entries = o.owned_entries;
  hash = o.hash;
  next_same = o.next_same;
  o.entries.clear();
  o.owned_entries = 0;
  return *this;
}

IniSection::~IniSection() { section_release(*this); }

// --- public operations -----------------------------------------------------------

void ini_parse(IniTable& t, std::unique_ptr<char[]> bytes, size_t n) {
  clear_table(t);
  t.bytes = std::move(bytes);
  t.byte_count = n;
  t.changed = false;
  const char* p = t.bytes.get();
  const char* end = p + n;
  // Lines end at LF (a CR before it goes with the trailing control bytes); a
  // file without any LF but with CRs has CR line ends.
  char line_end = '\n';
  if (n > 0 && !std::memchr(p, '\n', n) && std::memchr(p, '\r', n)) line_end = '\r';

  Name current{"", 0};
  uint32_t section = kIniNone;  // created when the first key arrives
  while (p < end) {
    const char* eol = static_cast<const char*>(std::memchr(p, line_end, size_t(end - p)));
    if (!eol) eol = end;
    const char* s = p;
    p = eol < end ? eol + 1 : end;
    while (s < eol && is_blank(uint8_t(*s))) ++s;
    if (s == eol || *s == ';') continue;
    if (*s == '[') {
      // the name runs to the first blank or "="; one closing "]" is dropped
      ++s;
      while (s < eol && is_blank(uint8_t(*s))) ++s;
      const char* a = s;
      while (s < eol && !is_blank(uint8_t(*s)) && *s != '=') ++s;
      uint32_t len = uint32_t(s - a);
      if (len > 0 && a[len - 1] == ']') --len;
      if (len > 0) current = Name{a, len};
      section = kIniNone;
      continue;
    }
    const char* key = s;
    while (s < eol && !is_blank(uint8_t(*s)) && *s != '=') ++s;
    uint32_t key_length = uint32_t(s - key);
    if (s == eol) continue;
    if (*s != '=') {
      while (s < eol && is_blank(uint8_t(*s))) ++s;
      if (s == eol || *s != '=') continue;
    }
    ++s;
    while (s < eol && is_blank(uint8_t(*s))) ++s;
    const char* value_end = eol;
    while (value_end > s && uint8_t(value_end[-1]) < 32) --value_end;
    if (value_end == s) continue;  // a key with an empty value is not kept

    if (section == kIniNone) section = add_section(t, current);
    // entries are indexed when their section is first used
    t.sections[section].entries.push_back(
        IniEntry{key, s, key_length, uint32_t(value_end - s), kIniNone, 0});
  }
}

void ini_open(const TvString& name_in) {
  TvString name(name_in);  // the argument may be the table's own name
  static bool hooked = (io_at_exit(ini_shut_down), true);  // the end path writes back
  (void)hooked;
  write_back(ini_table);
  clear_table(ini_table);
  ini_table.changed = false;
  ini_table.source = IniSource::none;
  string_assign(ini_table.file_name, name);
  if (name.empty()) return;

  std::unique_ptr<char[]> bytes;
  size_t n = 0;
  ReadResult r = read_source(name, bytes, n);
  if (r == ReadResult::loaded || r == ReadResult::shadowed) ini_parse(ini_table, std::move(bytes), n);
  ini_table.source = r == ReadResult::loaded    ? IniSource::loaded
                     : r == ReadResult::missing ? IniSource::missing
                                                : IniSource::unreadable;
}

TvString ini_get(const TvString& section, const TvString& key, const TvString& fallback) {
  IniTable& t = ini_table;
  uint32_t si = list_first(t.index, t.sections, name_of(section));
  if (si == kIniNone) return fallback;
  const IniSection& sec = indexed(t.sections[si]);
  uint32_t ki = list_first(sec.index, sec.entries, name_of(key));
  if (ki == kIniNone) return fallback;
  const IniEntry& e = sec.entries[ki];
  return TvString(e.value, e.value_length);
}

void ini_put(const TvString& section, const TvString& key, const TvString& value) {
  IniTable& t = ini_table;
  uint32_t si = list_first(t.index, t.sections, name_of(section));
  if (key.empty()) {
    if (si == kIniNone) return;
    list_remove(t.index, t.sections, si);
    t.changed = true;
    return;
  }
  if (si == kIniNone) si = add_section(t, name_of(section));
  IniSection& sec = indexed(t.sections[si]);
  uint32_t ki = list_first(sec.index, sec.entries, name_of(key));
  if (ki == kIniNone) {
    IniEntry e{copy_bytes(key), "", key.length, 0, kIniNone, kIniOwnsKey};
    ++sec.owned_entries;
    list_add(sec.index, sec.entries, std::move(e));
    entry_set_value(sec, sec.entries.back(), value);
  } else if (!value.empty()) {
    entry_set_value(sec, sec.entries[ki], value);
  } else {
    IniEntry gone = sec.entries[ki];  // its key is needed to unlink it
    list_remove(sec.index, sec.entries, ki);
    entry_release(sec, gone);
  }
  t.changed = true;
}

void ini_shut_down() {
  write_back(ini_table);
  clear_table(ini_table);
  ini_table.changed = false;
  ini_table.source = IniSource::none;
  string_free(ini_table.file_name);
}

bool ini_write_back(TvString& reason) {
  std::string why;
  bool ok = write_back(ini_table, &why);
  if (ok) ini_table.changed = false;  // written: the close need not write it again
  reason = why.c_str();
  return ok;
}

void ini_discard() {
  ini_table.changed = false;
  ini_open("");
}

TvString ini_format(const IniTable& table) {
  TvString text;
  auto sink = [&text](const char* p, size_t n) { string_append_bytes(text, p, uint32_t(n)); };
  emit_table(table, sink);
  return text;
}
