// search.h - finding snippets of all six categories by typed words, for the
// search dialog, pick mode and the command line's search.
//
// A SearchIndex holds the whole catalogue as the viewer would show it: every
// category's entries that load (an entry without code is skipped, the walk
// of a category stops at the first missing number), missing descriptions and
// authors as "-----". It is read in one pass over the file's bytes
// (catalogue_scan.h), the texts staying where they were read, and loaded
// again only when the file changed on disk since (size, modification time
// or identity).
//
// Matching: the query is split at blanks (space, tab, line breaks) into
// words; a snippet matches when every word occurs in its name, description,
// author or code, letters compared without regard to case (Latin-1 letters,
// accented ones included). A word in double quotes ("for each") is compared
// exactly, blanks included; an opening quote without its closing one quotes
// the rest of the query. Empty words ("") are ignored.
//
// Order: by rank of the first word (SearchRank), within a rank by name in
// the catalogue's own order (compare_names), then by category order, then
// by the entry's number in the file. A query without words lists every
// snippet by category, then name.
//
// Use:
//   SearchIndex ix;
//   search_refresh(ix, catalogue_path);     // before showing results
//   std::vector<SearchRow> rows;
//   search_run(ix, query, rows);            // after every change of the query
//   Snippet s = search_snippet(ix, rows[0].entry);
// An empty `rows` is for the caller to show as "No snippet matches".
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/catalogue_scan.h"
#include "runtime/platform/file_stamp.h"

// Where the first word was found; lower is better.
enum SearchRank : int32_t {
  kRankNameStart = 0,   // the name starts with it
  kRankWordStart = 1,   // a word of the name starts with it
  kRankInName = 2,      // the name holds it elsewhere
  kRankDescription = 3, // only the description or the author holds it
  kRankCode = 4,        // only the code holds it
};

struct SearchRow {
  uint32_t entry;    // SearchIndex::entries index
  int32_t category;  // index into categories()
  int32_t rank;      // SearchRank; 0 for a query without words
};

// One loaded snippet; its texts are views into the file's bytes
// (SearchIndex::scan), the code in its stored form ("|" for a line break;
// search_snippet gives it decoded).
struct SearchEntry {
  const char* name;
  const char* description;
  const char* author;
  const char* code;
  uint32_t name_length, description_length, author_length, code_length;
  int32_t category;  // index into categories()
  int32_t number;    // n of NAMEn in the category's section
  size_t start;      // the name's first byte in SearchIndex::folded
};

struct SearchWord {
  std::string folded;  // letters folded; what the folded texts are scanned for
  std::string exact;   // as typed; checked when quoted
  bool quoted = false;
};

struct SearchIndex {
  TvString path;                 // the file last loaded
  PlatformFileStamp stamp;       // that file as it was when loaded
  bool loaded = false;
  TvString error;                // why the file could not be read ("" when it could)
  CatalogueScan scan;            // the file's text the entries point into
  ScanVector<SearchEntry> entries;   // category order, then number
  // the orders below are worked out by search_load unless the depth asked
  // leaves them out (then `ordered` is false)
  bool ordered = false;
  ScanVector<uint32_t> by_name;      // entry indices by name, then category, then the viewer's order
  ScanVector<uint32_t> name_position;  // an entry's place in by_name
  ScanVector<uint32_t> by_category;  // entry indices in the viewer's order: by category, then name
  // every entry's name, description, author and code, folded and with code
  // line breaks decoded, each followed by a NUL byte, in `entries` order
  ScanBlock folded;
  bool folded_whole = false;  // false: only a piece at a time, while searching (SearchDepth::matching)
  size_t folded_size = 0;
  size_t folded_capacity = 0;
  // the last query's words and matching entries, so typing one more
  // character only looks at what matched before
  std::vector<SearchWord> last_words;
  std::vector<uint32_t> last_matches;
  bool last_valid = false;
};

// Loads the catalogue at `path` whatever its state; false (with `error` set
// and no entries) when the file exists but cannot be read. A missing file is
// an empty catalogue.
// The command line loads only as much as a command needs: the entries
// (looking up a name), also their order (listing), the entries for one
// search (their text folded a piece at a time while searching, only the
// matches put in order), or all.
enum class SearchDepth { entries, ordered, matching, full };
bool search_load(SearchIndex& ix, const TvString& path, SearchDepth depth = SearchDepth::full);
// Loads when never loaded, when `path` is another file, or when the file
// changed on disk since it was loaded. True when it (re)loaded.
bool search_refresh(SearchIndex& ix, const TvString& path);

// The matching entries of the query, best first.
void search_run(SearchIndex& ix, const TvString& query, std::vector<SearchRow>& rows);

// The query's words as matched (exposed for tests and the command line).
std::vector<SearchWord> search_words(const TvString& query);

// Letter folding of one Latin-1 byte.
uint8_t search_fold(uint8_t c);

// The entry as the viewer shows it, with its number in the file.
Snippet search_snippet(const SearchIndex& ix, uint32_t entry);
TvString search_name(const SearchIndex& ix, uint32_t entry);
TvString search_description(const SearchIndex& ix, uint32_t entry);
