// ini.h - the INI table: one INI file at a time held in memory as sections
// of key = value entries, read with ini_get, changed with ini_put, and
// written back whole when the next file is opened or the program ends.
//
// File form: "[name]" headers, "key=value" lines, ";" comment lines, CR LF
// line ends when written, no escaping (a value always ends at its line end).
// Names of sections and keys ignore ASCII case; the first section of a name
// and the first key of a name in it are the ones looked up.
//
// The loaded file's bytes stay in one block that keys and values point into,
// so loading costs no allocation per line, and each section keeps a hash
// index of its keys (built when the section is first used) so look-ups and
// changes cost the same whatever the section's size.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/values/tv_string.h"

constexpr uint32_t kIniNone = UINT32_MAX;

// Open-addressing hash index from a name to the list position of the first
// record of that name (linear probing, no tombstones). Each slot holds the
// name's hash in its upper half and position + 1 in its lower half; 0 is free.
struct IniIndex {
  std::vector<uint64_t> slots;
  uint32_t used = 0;
};

// A plain record, so lists of them move as bytes. Keys and values of loaded
// lines point into the table's file block; those given by ini_put point at
// blocks of their own (flagged in `owned`, freed with the entry).
struct IniEntry {
  const char* key;
  const char* value;
  uint32_t key_length;
  uint32_t value_length;
  uint32_t next_same;   // next entry of the same key name
  uint8_t owned;        // kIniOwnsKey | kIniOwnsValue
};
constexpr uint8_t kIniOwnsKey = 1;
constexpr uint8_t kIniOwnsValue = 2;

struct IniSection {
  TvString name;                   // the form first seen
  std::vector<IniEntry> entries;   // file order, then order of creation
  IniIndex index;                  // key name -> first entry; built on first use
  bool indexed = false;
  uint32_t owned_entries = 0;      // entries holding blocks of their own
  uint32_t hash = 0;
  uint32_t next_same = kIniNone;   // next section of the same name

  IniSection() = default;
  IniSection(IniSection&& other) noexcept;
  IniSection& operator=(IniSection&& other) noexcept;  // frees what it held
  ~IniSection();
};

// How the last load went; a file that exists but could not be read is never
// overwritten, since the empty table would replace every entry in it.
enum class IniSource { none, loaded, missing, unreadable };

struct IniTable {
  TvString file_name;              // as passed to ini_open; empty when closed
  bool changed = false;
  std::vector<IniSection> sections;
  IniIndex index;                  // section name -> first section
  std::unique_ptr<char[]> bytes;   // the loaded file
  size_t byte_count = 0;
  IniSource source = IniSource::none;
};

extern IniTable ini_table;

// Writes back a changed table, then loads `name`; an empty name only closes.
void ini_open(const TvString& name);
TvString ini_get(const TvString& section, const TvString& key, const TvString& fallback);
// Empty value: deletes an existing key (or adds key with an empty value);
// empty key: deletes the section.
void ini_put(const TvString& section, const TvString& key, const TvString& value);

// The program's end: a changed table is written back once, then freed.
void ini_shut_down();

// Writes a changed table back now and says whether it landed: true when the
// file holds the table (or nothing had changed), else false with `reason`
// and the table still changed. A file that could not be read is never
// overwritten (false). Unlike the write-back of ini_open, a failure is told.
bool ini_write_back(TvString& reason);
// Closes the table without writing it back: changes are dropped.
void ini_discard();

// The text a write-back puts into the file.
TvString ini_format(const IniTable& table);
// Replaces the table with the one read from `bytes` (the loader's own parser).
void ini_parse(IniTable& table, std::unique_ptr<char[]> bytes, size_t n);
