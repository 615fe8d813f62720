// catalogue.h - the snippet catalogue in CODE.INI: six fixed categories,
// one INI section each, snippet n stored under NAMEn, DESCRIPTIONn, AUTHORn
// and CODEn. One category at a time is loaded into an array of Snippet
// records sorted by name; the list text (names joined by "|") is what the
// viewer's combo box shows, item i being snippet i. A loaded snippet's
// description, author and code are decoded when first read (SnippetText).
//
// An INI value cannot hold a line break, so code is stored with "|" for each
// line break (and tabs as four blanks); see the text transforms below.
//
// Every change (add, replace, delete, move) is one crash-safe write of the
// file made under the catalogue's lock file, and rewrites only the lines of
// the keys it writes (catalogue_file.h). A change that fails leaves the file
// and the caller's array as they were and says why.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/values/tv_array.h"
#include "runtime/values/tv_string.h"

// The bytes of a catalogue file as one load read them, shared by the
// snippets of that load and freed with the last of them. Snippets (and
// their texts) stay on the thread that loaded them: the count is plain.
struct SnippetSource {
  std::string bytes;
  std::unique_ptr<char[]> block;  // or these, when read straight from the file
  size_t block_size = 0;
  bool utf8 = false;  // the file's values are UTF-8 (else Latin-1)
  int32_t refs = 0;
  std::string_view text() const { return block ? std::string_view(block.get(), block_size) : std::string_view(bytes); }
};

// A snippet's description, author or code. Loading a category keeps only
// where each stored value lies in the file's bytes; the text is decoded on
// its first read, so a tab with thousands of snippets costs little more
// than their names. Reads as a TvString (Latin-1; code with real line
// breaks); assigning text replaces it.
class SnippetText {
 public:
  SnippetText() noexcept = default;
  // explicit, so that `flag ? name : code` reads as a TvString
  explicit SnippetText(const char* text) : value_(text) {}
  explicit SnippetText(const TvString& text) : value_(text) {}
  explicit SnippetText(TvString&& text) noexcept : value_(std::move(text)) {}
  SnippetText& operator=(const char* text) { return *this = SnippetText(text); }
  SnippetText& operator=(const TvString& text) { return *this = SnippetText(text); }
  SnippetText& operator=(TvString&& text) { return *this = SnippetText(std::move(text)); }
  SnippetText(const SnippetText& other);
  SnippetText(SnippetText&& other) noexcept;
  SnippetText& operator=(const SnippetText& other);
  SnippetText& operator=(SnippetText&& other) noexcept;
  ~SnippetText() { release(); }

  const TvString& text() const {
    if (source_) decode();
    return value_;
  }
  operator const TvString&() const { return text(); }
  // Decoded, for writing in place (an out-parameter).
  operator TvString&() {
    if (source_) decode();
    return value_;
  }
  const char* c_str() const { return text().c_str(); }
  bool empty() const { return text().empty(); }
  // A stored value: `length` bytes at `at` of the source's bytes, read as
  // Latin-1 (from UTF-8 when the source is) and, for code, "|" as a line break.
  void set_stored(SnippetSource* source, uint32_t at, uint32_t length, bool code);

 private:
  void decode() const;
  void release() const;
  mutable TvString value_;
  mutable SnippetSource* source_ = nullptr;
  uint32_t at_ = 0, length_ = 0;
  bool code_ = false;
};

struct Snippet {
  TvString name;
  SnippetText author;
  SnippetText description;
  SnippetText code;     // real line breaks ("\n") in memory
  int32_t number = -1;  // its n in the file when loaded from there; -1 otherwise
};
using SnippetArray = TvArray<Snippet>;

constexpr int32_t kCategoryCount = 6;
// The six category names in tab order.
void categories(TvStringArray& out);
// The starting code of a new snippet of the category at `category` in tab
// order; "" outside them. The add dialog and the command line share it.
TvString category_template(int32_t category);
// The INI section of a category: blanks become "_".
TvString section_name(const TvString& category);

// Which catalogue file a caller works on, and how its changes wait for
// another program holding the lock.
struct Catalogue {
  TvString path = "CODE.INI";
  // How long a change waits for the lock; below 0 it waits until `waiting`
  // gives up.
  int32_t lock_wait_ms = 10000;
  // Called about every 20 ms while another program holds the lock (a window
  // keeps drawing here); false gives the change up (error `cancelled`).
  std::function<bool()> waiting;
};

// --- the text transforms (pasting desktop text is the toolkit's one rule,
// vexui_paste_text) ---------------------------------------------------------
// Storing: a tab becomes four blanks, every LF and every CR becomes "|".
TvString encode_code(const TvString& code);
// Loading: every "|" becomes a line break.
TvString decode_code(const TvString& stored);

// --- loading -----------------------------------------------------------------------
// Byte-wise, upper case before lower case, a prefix before the longer text.
int32_t compare_names(const Snippet& a, const Snippet& b);
// Sorts the array by name and gives the names joined by "|".
TvString snippet_list_text(SnippetArray& snippets);
// Loads a category from the catalogue file into `snippets` (each with its
// number); gives its list text. A missing file is an empty catalogue; a file
// that cannot be read too, with `reason` (when given) saying why.
TvString load_category(const Catalogue& c, const TvString& category, SnippetArray& snippets,
                       TvString* reason = nullptr);
// Every category in one read, `out[i]` for category i in tab order, each
// sorted by name. False (and `reason`) when the file exists but cannot be read.
bool load_catalogue(const Catalogue& c, SnippetArray (&out)[kCategoryCount], TvString& reason);

// --- changes -----------------------------------------------------------------------
enum class CatalogueError {
  none,
  empty_name,       // no name left once trimmed ("A name MUST be given")
  empty_code,       // no code the file can hold ("Some code MUST be given")
  busy,             // another program held the lock for lock_wait_ms
  cancelled,        // `waiting` gave up
  lock_failed,      // the lock file cannot be opened or locked
  not_regular,      // CODE.INI (or its lock) is a pipe, device or folder
  unreadable,       // CODE.INI exists but cannot be read
  not_text,         // CODE.INI holds NUL bytes: never written over
  write_protected,  // CODE.INI's permission bits forbid writing it
  dangling_link,    // CODE.INI is a symbolic link to nothing
  changed,          // the entry in the file is no longer the one shown
  vanished,         // the entry is no longer in the file
  same_category,    // a move to the category it is in
  write_failed,     // the crash-safe write failed (full disk, read-only folder, ...)
};

struct SaveOutcome {
  bool saved = false;
  CatalogueError error = CatalogueError::none;
  TvString list_text;   // the shown category as it is in the file now (when saved)
  TvString reason;      // why it could not be saved, in words
  int32_t number = -1;  // the entry's number after an add, replace or move
};

// Makes a snippet what the file gives back: name, description and author
// lose leading and trailing blanks and line breaks (inner line breaks become
// blanks), an empty description or author becomes "-----". Gives empty_name
// or empty_code when nothing storable is left, else none.
CatalogueError prepare_snippet(Snippet& s);

// Each change below re-reads the file under its lock and on success leaves
// `snippets` and `list_text` of the outcome holding the shown category as
// stored, others' changes included.

// Adds a snippet to the category under the first absent number (or, with
// `at` >= 0, at number `at`, the entries from there moving up by one). The
// snippet is prepared first (prepare_snippet); `encoded_code` is its code in
// the stored form (encode_code).
SaveOutcome save_snippet(const Catalogue& c, const TvString& category, SnippetArray& snippets,
                         const Snippet& snippet, const TvString& encoded_code, int32_t at = -1);
// Replaces the entry `shown` (as loaded, with its number) by `edited`, in
// place and under the same number. When the file's entry is no longer the
// one shown (another program changed, removed or renumbered it) the outcome
// is `changed` or `vanished` and nothing is written; the caller may offer to
// save the edit as a new snippet. An entry only renumbered is found again.
SaveOutcome replace_snippet(const Catalogue& c, const TvString& category, SnippetArray& snippets,
                            const Snippet& shown, const Snippet& edited);
// Deletes the entry `shown`; the following entries of the category are
// renumbered so the numbering stays contiguous. Same checks as replace.
SaveOutcome delete_snippet(const Catalogue& c, const TvString& category, SnippetArray& snippets,
                           const Snippet& shown);
// Moves the entry `shown` from category `from` (the one in `snippets`) to the
// end of category `to`, in one write; `number` is its number in `to`.
SaveOutcome move_snippet(const Catalogue& c, const TvString& from, const TvString& to, SnippetArray& snippets,
                         const Snippet& shown);
