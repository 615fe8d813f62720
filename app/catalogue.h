// catalogue.h - the snippet catalogue in CODE.INI: six fixed categories,
// one INI section each, snippet n stored under NAMEn, DESCRIPTIONn, AUTHORn
// and CODEn. One category at a time is loaded into an array of Snippet
// records sorted by name; the list text (names joined by "|") is what the
// viewer's combo box shows, item i being snippet i.
//
// An INI value cannot hold a line break, so code is stored with "|" for each
// line break (and tabs as four blanks); see the three text transforms below.
#pragma once
#include "runtime/values/tv_array.h"
#include "runtime/values/tv_string.h"

struct Snippet {
  TvString name;
  TvString author;
  TvString description;
  TvString code;  // real line breaks ("\n") in memory
};
using SnippetArray = TvArray<Snippet>;

constexpr int32_t kCategoryCount = 6;
// The six category names in tab order.
void categories(TvStringArray& out);
// The INI section of a category: blanks become "_".
TvString section_name(const TvString& category);

// Where the catalogue lives; "CODE.INI" (in the current folder) unless the
// start-up chose another place (see catalogue_place.h).
extern TvString catalogue_path;

// --- the three text transforms ------------------------------------------------
// Storing: a tab becomes four blanks, every LF and every CR becomes "|".
TvString encode_code(const TvString& code);
// Loading: every "|" becomes a line break.
TvString decode_code(const TvString& stored);
// Pasting desktop text: CR LF, a lone CR and a lone LF each become one line
// break; a tab becomes four blanks.
TvString paste_text(const TvString& clip);

// --- loading and saving --------------------------------------------------------
// Byte-wise, upper case before lower case, a prefix before the longer text.
int32_t compare_names(const Snippet& a, const Snippet& b);
// Sorts the array by name and gives the names joined by "|".
TvString snippet_list_text(SnippetArray& snippets);
// Loads a category from the catalogue file into `snippets`; gives its list text.
TvString load_category(const TvString& category, SnippetArray& snippets);

struct SaveOutcome {
  bool saved = false;
  TvString list_text;  // the category as it is in the file now (when saved)
  TvString reason;     // why it could not be saved
};
// Adds a snippet to the category in the catalogue file under the first
// number free in the file at this moment, holding the catalogue's lock file
// from the read to the rename. On success `snippets` holds the category as
// stored, the new snippet included; on failure the file and `snippets` are
// as they were.
SaveOutcome save_snippet(const TvString& category, SnippetArray& snippets, const Snippet& snippet,
                         const TvString& encoded_code);

// How long a save waits for another program holding the catalogue's lock.
extern int32_t catalogue_lock_wait_ms;
