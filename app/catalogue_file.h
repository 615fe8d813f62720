// catalogue_file.h - CODE.INI as the lines it is made of, so that a change
// rewrites only the lines of the keys it writes: comments, blank lines,
// unknown lines, empty sections, other keys, a byte-order mark and each
// line's own line end stay byte for byte.
//
// Lines end at CR LF, a lone CR or a lone LF, mixed as they come. Each line
// is read the way the INI reader reads one (blanks skipped, ";" comments,
// "[name]" headers, key=value lines with empty values dropped; names ignore
// ASCII case; the first section of a name and the first key of a name in it
// count), so what this file finds is what the catalogue shows.
//
// Encoding: a file that starts with a byte-order mark, or is valid UTF-8 and
// holds bytes above 127, is UTF-8; any other is Latin-1. Text handed in and
// out of here is Latin-1 (the program's own); a UTF-8 file's characters
// beyond Latin-1 read as "?" but stay untouched on lines not written.
//
// Everything here works on bytes in memory (no file access), so the fuzzer
// and the property test drive it directly; catalogue.cpp adds the file,
// the lock and the crash-safe write.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The four keys of an entry, in the order they are written.
enum CatalogueField : int32_t { kFieldName, kFieldDescription, kFieldAuthor, kFieldCode, kFieldCount };

struct CatalogueLine {
  uint32_t start = 0;   // offset of the first byte in CatalogueDoc::bytes
  uint32_t length = 0;  // without the line end
  uint8_t end = 0;      // bytes of its line end: 0 (last line only), 1 (LF or CR), 2 (CR LF)
};

struct CatalogueDoc {
  std::string bytes;
  uint32_t body = 0;      // where the first line starts: 3 after a byte-order mark
  bool utf8 = false;      // read and written as UTF-8
  bool not_text = false;  // holds NUL bytes (or is too large): never written over
  std::vector<CatalogueLine> lines;
  std::string_view line(int32_t i) const { return {bytes.data() + lines[i].start, lines[i].length}; }
};

void catalogue_doc_parse(CatalogueDoc& doc, std::string bytes);

// A NAME/DESCRIPTION/AUTHOR/CODE n key line of a section.
struct CatalogueKey {
  int32_t line = 0;
  int32_t field = 0;
  int32_t number = 0;
  uint32_t digits_at = 0;  // the number's digits within the line
  uint32_t digits_length = 0;
  uint32_t value_at = 0;  // the value's file bytes, in CatalogueDoc::bytes
  uint32_t value_length = 0;
};

// One section as the loader sees it.
struct CatalogueSection {
  bool found = false;         // a section of that name has keys
  int32_t empty_header = -1;  // otherwise the first header of that name, if any
  int32_t last_key = -1;      // the section's last key line
  // entries 0 .. size-1 have a name; the loader stops at the first absent
  // one. Each holds the line of its fields' first keys, -1 when missing.
  std::vector<std::array<int32_t, kFieldCount>> entries;
  std::vector<CatalogueKey> keys;  // every entry key of the section, file order
  // where each field's value lies in CatalogueDoc::bytes (file bytes; length
  // 0 when the key is missing), per entry
  struct Span {
    uint32_t at = 0, length = 0;
  };
  std::vector<std::array<Span, kFieldCount>> values;
};
CatalogueSection catalogue_section(const CatalogueDoc& doc, std::string_view section);
// The same straight from a file's bytes, without the line model (what
// loading one category needs); lines are counted as catalogue_doc_parse
// splits them.
CatalogueSection catalogue_section(std::string_view bytes, std::string_view section);
// Whether a file's bytes are read as UTF-8 (CatalogueDoc::utf8).
bool catalogue_bytes_utf8(std::string_view bytes);

// The value of a key line as the reader takes it (file bytes), and as Latin-1.
std::string_view catalogue_raw_value(const CatalogueDoc& doc, int32_t line);
std::string catalogue_value(const CatalogueDoc& doc, int32_t line);
// File bytes as Latin-1: from UTF-8 when `utf8` (characters beyond Latin-1
// and bytes that are not UTF-8 become "?"), else as they are.
std::string catalogue_latin1(std::string_view raw, bool utf8);
// The same for UTF-8 bytes, written to `out` (room for utf8.size() bytes);
// gives the length written.
size_t catalogue_latin1_into(std::string_view utf8, char* out);

// An entry's four values in Latin-1, the code in its stored form ("|" for
// line breaks); missing description and author read "-----", missing code "".
struct CatalogueValues {
  std::string field[kFieldCount];
};
CatalogueValues catalogue_entry(const CatalogueDoc& doc, const CatalogueSection& s, int32_t number);

// --- changes: collected as line edits, then rendered in one pass ---------------
struct CatalogueEdits {
  std::map<int32_t, std::string> replace;                    // a line's new content, its line end kept
  std::map<int32_t, bool> remove;                            // lines dropped with their line ends
  std::map<int32_t, std::vector<std::string>> insert_after;  // new lines; -1: before the first line
  // By line: the new number of an entry key line (-1: as it is) and where
  // its digits are. A delete near the top of a big section renumbers
  // thousands of keys, so these are not strings in `replace`. The
  // operations below keep a line in at most one of `replace` and `renumber`
  // (the later edit wins).
  struct Renumber {
    int32_t number = -1;
    uint32_t digits_at = 0, digits_length = 0;
  };
  std::vector<Renumber> renumber;
};
std::string catalogue_render(const CatalogueDoc& doc, const CatalogueEdits& edits);
// The same bytes handed to `sink` in pieces of at most 32 KB, in order, so
// a big file is written without a second copy of it in memory.
void catalogue_render(const CatalogueDoc& doc, const CatalogueEdits& edits,
                      const std::function<void(std::string_view)>& sink);

// Adds an entry to `section` (made at the end of the file, or under an empty
// header of that name, when it has no keys yet). `at` < 0 gives it the first
// absent number; otherwise it takes number `at` (at most that first absent
// one) and the entries from there on move up by one. Keys of the number that
// becomes used which belong to no entry are turned into comment lines just
// above the new entry. Gives the new entry's number.
int32_t catalogue_add(const CatalogueDoc& doc, CatalogueEdits& edits, std::string_view section,
                      const CatalogueValues& values, int32_t at = -1);
// Rewrites the lines of the fields of entry `number` whose value differs
// (missing keys are added after the entry's last key).
void catalogue_replace(const CatalogueDoc& doc, CatalogueEdits& edits, std::string_view section, int32_t number,
                       const CatalogueValues& values);
// Removes entry `number`; the entries after it move down by one, so the
// numbering stays contiguous. Other keys of that number become comments.
void catalogue_remove(const CatalogueDoc& doc, CatalogueEdits& edits, std::string_view section, int32_t number);
// The same with the section already found (catalogue_section of `doc`).
void catalogue_remove(const CatalogueDoc& doc, CatalogueEdits& edits, const CatalogueSection& sec, int32_t number);
// Removes entry `number` of `from` and adds it, bytes unchanged, to `to`
// under its first absent number (given back).
int32_t catalogue_move(const CatalogueDoc& doc, CatalogueEdits& edits, std::string_view from, int32_t number,
                       std::string_view to);

// --- text -------------------------------------------------------------------------
// A Latin-1 value in the file's encoding; a NUL byte, which would make the
// file unreadable as text, is written as "?".
std::string catalogue_file_text(const CatalogueDoc& doc, std::string_view latin1);
// Whether the bytes are valid UTF-8.
bool utf8_valid(std::string_view bytes);
// Whether any byte is above 127.
bool catalogue_any_high(std::string_view bytes);
// How many characters of a UTF-8 text the catalogue cannot hold and stores
// as "?": those beyond Latin-1, and each byte that is not UTF-8.
int32_t unstorable_characters(std::string_view utf8);
