// catalogue.cpp - loading, listing and changing snippets of CODE.INI.
//
// A change runs as: take the lock (waiting with the caller's callback),
// read the file (regular files only), check it may be written, build the
// line edits, render, write crash-safe beside the file (a link's target),
// and load the shown category from the bytes just written (a delete: from
// the bytes read, less the entry).
//
// A load keeps the file's bytes (SnippetSource) and decodes only the names;
// each snippet's other texts are decoded from those bytes when first read.
#include "app/catalogue.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/catalogue_file.h"
#include "runtime/io/safe_write.h"
#include "runtime/platform/clipboard.h"
#include "runtime/platform/log.h"
#include "runtime/platform/platform_files.h"
#include "runtime/values/string_lib.h"

namespace {
const char* const kTemplates[kCategoryCount] = {
    "TYPE T<put type name here>\n    //Enter code here\nENDTYPE",
    "TYPE t<put type name here>\n    // Put variables here\nENDTYPE",
    "FUNCTION <put function name here>:\n    // Put code here\nENDFUNCTION",
    "SUB <put subroutine name here>:\n    // Put code here\nENDSUB",
    "CONSTANT <put variable here>    =    <put value here>",
    "INLINE\n  }\n\n  <put code here>\n\n  namespace __TOLVANE__ {\nENDINLINE",
};
}  // namespace

TvString category_template(int32_t category) {
  return category >= 0 && category < kCategoryCount ? TvString(kTemplates[category]) : TvString();
}

void categories(TvStringArray& out) {
  array_fill_list(out, {TvString("Extend Types"), TvString("Types"), TvString("Functions"),
                        TvString("Subroutines"), TvString("Constants"), TvString("INLINE")});
}

TvString section_name(const TvString& category) { return string_replace_all(category, " ", "_"); }

// --- text transforms -------------------------------------------------------------

TvString encode_code(const TvString& code) {
  TvString out;
  string_reserve(out, code.length + code.length / 8, false);
  for (uint32_t i = 0; i < code.length; ++i) {
    char c = code.data[i];
    if (c == '\t') string_append(out, "    ");
    else if (c == '\n' || c == '\r') string_append_char(out, '|');
    else string_append_char(out, c);
  }
  return out;
}

TvString decode_code(const TvString& stored) { return string_replace_all(stored, "|", "\n"); }

// --- snippet texts ----------------------------------------------------------------

SnippetText::SnippetText(const SnippetText& other)
    : value_(other.source_ ? TvString() : other.value_),
      source_(other.source_),
      at_(other.at_),
      length_(other.length_),
      code_(other.code_) {
  if (source_) ++source_->refs;
}

SnippetText::SnippetText(SnippetText&& other) noexcept
    : value_(std::move(other.value_)),
      source_(other.source_),
      at_(other.at_),
      length_(other.length_),
      code_(other.code_) {
  other.source_ = nullptr;
}

SnippetText& SnippetText::operator=(const SnippetText& other) {
  if (this != &other) *this = SnippetText(other);
  return *this;
}

SnippetText& SnippetText::operator=(SnippetText&& other) noexcept {
  if (this == &other) return *this;
  release();
  string_swap(value_, other.value_);
  source_ = other.source_;
  other.source_ = nullptr;
  at_ = other.at_;
  length_ = other.length_;
  code_ = other.code_;
  return *this;
}

void SnippetText::release() const {
  if (source_ && --source_->refs == 0) delete source_;
  source_ = nullptr;
}

void SnippetText::set_stored(SnippetSource* source, uint32_t at, uint32_t length, bool code) {
  release();
  value_ = TvString();
  source_ = source;
  ++source_->refs;
  at_ = at;
  length_ = length;
  code_ = code;
}

void SnippetText::decode() const {
  std::string_view raw(source_->text().data() + at_, length_);
  if (source_->utf8) {
    std::string text = catalogue_latin1(raw, true);
    string_assign_bytes(value_, text.data(), uint32_t(text.size()));
  } else {
    string_assign_bytes(value_, raw.data(), length_);
  }
  // decode_code in place: one byte for one
  if (code_)
    for (uint32_t i = 0; i < value_.length; ++i)
      if (value_.data[i] == '|') value_.data[i] = '\n';
  release();
}

// --- listing ----------------------------------------------------------------------

int32_t compare_names(const Snippet& a, const Snippet& b) {
  uint32_t n = a.name.length < b.name.length ? a.name.length : b.name.length;
  int c = std::memcmp(a.name.data, b.name.data, n);
  if (c != 0) return c < 0 ? -1 : 1;
  if (a.name.length != b.name.length) return a.name.length < b.name.length ? -1 : 1;
  return 0;
}

TvString snippet_list_text(SnippetArray& snippets) {
  array_sort(snippets, compare_names);
  TvString text;
  for (int32_t i = 0; i < snippets.size1; ++i) {
    if (i > 0) string_append_char(text, '|');
    // a "|" inside a name would split it into two items and item i would no
    // longer be snippet i
    string_append(text, string_replace_all(snippets(i).name, "|", "/"));
  }
  return text;
}

namespace {

constexpr size_t kWritePiece = size_t(1) << 15;

std::string bytes_of(const TvString& s) { return std::string(s.data, s.length); }
TvString tv(const std::string& s) { return TvString(s.data(), uint32_t(s.size())); }
std::string path_of(const Catalogue& c) { return bytes_of(c.path); }
// A file name for a message: its last part (or all of it), as Latin-1.
std::string shown_name(const std::string& path, bool last_part = true) {
  size_t slash = path.rfind('/');
  return platform_utf8_to_latin1_lossy(last_part && slash != std::string::npos ? path.substr(slash + 1) : path);
}

// The file's bytes handed to the snippets of one load; the last of them
// (or this, when none took them) frees them.
struct LoadedBytes {
  SnippetSource* source = new SnippetSource;
  explicit LoadedBytes(std::string bytes) {
    source->refs = 1;
    source->bytes = std::move(bytes);
    source->utf8 = catalogue_bytes_utf8(source->bytes);
  }
  LoadedBytes(std::unique_ptr<char[]> block, size_t size) {
    source->refs = 1;
    source->block = std::move(block);
    source->block_size = size;
    source->utf8 = catalogue_bytes_utf8(source->text());
  }
  LoadedBytes(const LoadedBytes&) = delete;
  LoadedBytes& operator=(const LoadedBytes&) = delete;
  ~LoadedBytes() {
    if (--source->refs == 0) delete source;
  }
};

// A name while sorting: its first bytes after the part all names share,
// as one number, settle most comparisons.
struct SortName {
  uint64_t key;
  const char* data;
  uint32_t length;
  int32_t entry;
  uint32_t place;  // in file order
};

// Sorts as the quicksort over `before` would, cheaply: by key a byte at a
// time (stable, no comparisons to mispredict), then runs of equal keys by
// `before`. That is the only order when no two names are equal. Equal
// names line up as the quicksort leaves them, so then it runs once more on
// each name's rank (equal names, equal ranks) in file order: the same
// comparisons come out the same, on numbers.
template <typename Before>
void sort_names(std::vector<SortName>& names, Before& before) {
  std::vector<SortName> original = names, other(names.size());
  for (int32_t shift = 0; shift < 64; shift += 8) {
    size_t counts[257] = {};
    for (const SortName& n : names) ++counts[((n.key >> shift) & 0xFF) + 1];
    if (counts[((names[0].key >> shift) & 0xFF) + 1] == names.size()) continue;  // one byte for all
    for (int b = 0; b < 256; ++b) counts[b + 1] += counts[b];
    for (const SortName& n : names) other[counts[(n.key >> shift) & 0xFF]++] = n;
    names.swap(other);
  }
  bool ties = false;
  for (size_t a = 0; a < names.size();) {
    size_t b = a + 1;
    while (b < names.size() && names[b].key == names[a].key) ++b;
    if (b - a > 1) std::sort(names.begin() + ptrdiff_t(a), names.begin() + ptrdiff_t(b), before);
    for (size_t k = a + 1; k < b && !ties; ++k) ties = !before(names[k - 1], names[k]);
    a = b;
  }
  if (!ties) return;
  std::vector<uint64_t> ranked(names.size());  // rank << 32 | place in file order
  uint64_t rank = 0;
  for (size_t k = 0; k < names.size(); ++k) {
    if (k > 0 && before(names[k - 1], names[k])) ++rank;
    ranked[names[k].place] = rank << 32 | names[k].place;
  }
  auto lower_rank = [](uint64_t a, uint64_t b) { return (a >> 32) < (b >> 32); };
  array_detail::quicksort(ranked.data(), 0, int32_t(ranked.size()) - 1, lower_rank);
  for (size_t k = 0; k < names.size(); ++k) names[k] = original[ranked[k] & 0xFFFFFFFFu];
}

// The category's snippets as the loader sees them, numbered and sorted by
// name as snippet_list_text sorts (names that tie too come in the order its
// quicksort gives them); gives the list text. Only the names are
// decoded; the other fields point into the loaded bytes.
// With `removed` >= 0, entry `removed` is left out and the ones after it
// move down a number, as a delete leaves them in the file.
TvString read_section(const LoadedBytes& loaded, const CatalogueSection& sec, SnippetArray& snippets,
                      int32_t removed = -1) {
  std::string_view bytes = loaded.source->text();
  bool utf8 = loaded.source->utf8;
  std::vector<int32_t> kept;  // entries with code, in number order
  kept.reserve(sec.entries.size());
  for (int32_t n = 0; n < int32_t(sec.entries.size()); ++n)
    if (sec.entries[size_t(n)][kFieldCode] >= 0 && n != removed) kept.push_back(n);  // an entry without code is skipped
  int32_t count = int32_t(kept.size());
  // the names side by side in file order, so sorting and copying them
  // never go back to the scattered lines
  std::string arena;
  std::vector<uint32_t> at(kept.size() + 1, 0);
  for (int32_t i = 0; i < count; ++i) {
    CatalogueSection::Span v = sec.values[size_t(kept[size_t(i)])][kFieldName];
    std::string_view raw(bytes.data() + v.at, v.length);
    if (utf8) arena += catalogue_latin1(raw, true);
    else arena += raw;
    at[size_t(i) + 1] = uint32_t(arena.size());
  }
  std::vector<SortName> names(kept.size());
  for (int32_t i = 0; i < count; ++i)
    names[size_t(i)] =
        SortName{0, arena.data() + at[size_t(i)], at[size_t(i) + 1] - at[size_t(i)], kept[size_t(i)], uint32_t(i)};
  uint32_t shared = count > 0 ? names[0].length : 0;
  for (const SortName& n : names) {
    uint32_t k = 0, limit = std::min(shared, n.length);
    while (k < limit && n.data[k] == names[0].data[k]) ++k;
    shared = k;
  }
  for (SortName& n : names) {
    uint64_t key = 0;
    for (uint32_t k = 0; k < 8; ++k)
      key = key << 8 | (shared + k < n.length ? uint8_t(n.data[shared + k]) : 0u);
    n.key = key;
  }
  // true exactly when compare_names would give a number below 0
  auto before = [shared](const SortName& a, const SortName& b) {
    if (a.key != b.key) return a.key < b.key;
    uint32_t n = std::min(a.length, b.length), from = std::min(shared + 8, n);
    int c = std::memcmp(a.data + from, b.data + from, n - from);
    if (c != 0) return c < 0;
    return a.length < b.length;
  };
  if (count > 1) sort_names(names, before);

  array_dim(snippets, count);
  uint32_t total = 0;
  for (const SortName& n : names) total += n.length + 1;
  TvString list;
  string_reserve(list, total, false);
  for (int32_t i = 0; i < count; ++i) {
    const SortName& n = names[size_t(i)];
    Snippet& s = snippets.elements[i];
    s.name = TvString(n.data, n.length);
    const auto& v = sec.values[size_t(n.entry)];
    for (int32_t f : {kFieldDescription, kFieldAuthor}) {
      SnippetText& t = f == kFieldDescription ? s.description : s.author;
      if (v[size_t(f)].length > 0) t.set_stored(loaded.source, v[size_t(f)].at, v[size_t(f)].length, false);
      else t = "-----";
    }
    s.code.set_stored(loaded.source, v[kFieldCode].at, v[kFieldCode].length, true);
    s.number = removed >= 0 && n.entry > removed ? n.entry - 1 : n.entry;
    if (i > 0) string_append_char(list, '|');
    uint32_t at = list.length;
    string_append_bytes(list, n.data, n.length);
    // a "|" inside a name would split it into two items and item i would no
    // longer be snippet i
    for (uint32_t k = at; k < list.length; ++k)
      if (list.data[k] == '|') list.data[k] = '/';
  }
  return list;
}

struct Failure {
  CatalogueError error = CatalogueError::none;
  TvString reason;
  bool set(CatalogueError e, const std::string& why) {
    error = e;
    reason = why.c_str();
    return false;
  }
};

// The same into a block left unfilled until read (no zeroing of a big file's worth).
struct Block {
  std::unique_ptr<char[]> data;
  size_t capacity = 0, size = 0;
};
bool read_whole(PlatformFile f, Block& out) {
  int64_t size = platform_file_size(f);
  out.capacity = size > 0 ? size_t(size) + 1 : size_t(1) << 16;
  out.data.reset(new char[out.capacity]);
  for (int64_t at = 0;;) {
    if (size_t(at) == out.capacity) {
      std::unique_ptr<char[]> more(new char[out.capacity * 2]);
      std::memcpy(more.get(), out.data.get(), out.capacity);
      out.data = std::move(more);
      out.capacity *= 2;
    }
    int64_t n = platform_file_read_at(f, at, out.data.get() + at, int64_t(out.capacity) - at);
    if (n < 0) return false;
    if (n == 0) {
      out.size = size_t(at);
      return true;
    }
    at += n;
  }
}

bool read_whole(PlatformFile f, std::string& out) {
  // straight into a buffer of the file's size (and on, should it grow)
  int64_t size = platform_file_size(f);
  out.resize(size > 0 ? size_t(size) + 1 : size_t(1) << 16);
  for (int64_t at = 0;;) {
    if (size_t(at) == out.size()) out.resize(out.size() * 2);
    int64_t n = platform_file_read_at(f, at, out.data() + at, int64_t(out.size()) - at);
    if (n < 0) return false;
    if (n == 0) {
      out.resize(size_t(at));
      return true;
    }
    at += n;
  }
}

// The file's bytes; a missing file reads as empty.
template <typename Bytes>
bool read_catalogue(const Catalogue& c, Bytes& bytes, Failure& fail) {
  bytes = Bytes();
  std::string path = path_of(c), target, name = shown_name(path);
  if (platform_dangling_link(path.c_str(), target))
    return fail.set(CatalogueError::dangling_link,
                    name + " is a symbolic link to " + shown_name(target, false) + ", which does not exist");
  PlatformOpenStatus status;
  PlatformFile f = platform_file_open_regular(path.c_str(), false, false, status);
  if (status == PlatformOpenStatus::missing) return true;
  if (status == PlatformOpenStatus::not_regular)
    return fail.set(CatalogueError::not_regular, name + " is not a plain file (a pipe, a device or a folder)");
  if (f == kNoPlatformFile)
    return fail.set(CatalogueError::unreadable, name + " cannot be read (" + platform_last_error_text() + ")");
  bool ok = read_whole(f, bytes);
  std::string why = ok ? "" : platform_last_error_text();
  platform_file_close(f);
  if (!ok) bytes = Bytes();  // what could not be read whole reads as nothing
  if (!ok) return fail.set(CatalogueError::unreadable, name + " cannot be read (" + why + ")");
  return true;
}

// The catalogue's lock file, held from reading the file to the rename of
// its new copy, so two programs changing it at once both land.
struct CatalogueLock {
  PlatformFile file = kNoPlatformFile;

  bool take(const Catalogue& c, Failure& fail) {
    std::string path = path_of(c) + ".lock";
    PlatformOpenStatus status;
    file = platform_file_open_regular(path.c_str(), true, true, status);
    // a lock file left by another user (one run with sudo) still locks
    // when opened for reading only
    if (file == kNoPlatformFile && status == PlatformOpenStatus::denied)
      file = platform_file_open_regular(path.c_str(), false, false, status);
    if (status == PlatformOpenStatus::not_regular)
      return fail.set(CatalogueError::not_regular, shown_name(path) + " is not a plain file (a pipe, a device or a folder)");
    if (file == kNoPlatformFile)
      return fail.set(CatalogueError::lock_failed,
                      "its lock file cannot be made (" + platform_last_error_text() + ")");
    for (int32_t waited = 0;;) {
      PlatformLock got = platform_file_lock_wait(file, 20);
      if (got == PlatformLock::taken) return true;
      if (got == PlatformLock::failed)
        return fail.set(CatalogueError::lock_failed, "its lock file cannot be locked (" + platform_last_error_text() + ")");
      if (waited == 0) log_line("The catalogue is being saved by another program; waiting for its lock: " + path);
      waited += 20;
      if (c.waiting && !c.waiting())
        return fail.set(CatalogueError::cancelled, "the save was cancelled while another program was saving");
      if (c.lock_wait_ms >= 0 && waited >= c.lock_wait_ms)
        return fail.set(CatalogueError::busy, "it is being saved by another program (the file is locked)");
    }
  }
  ~CatalogueLock() {
    if (file != kNoPlatformFile) platform_file_close(file);
  }
};

// An edit of the file: builds the line edits, or says why it cannot.
using Change = std::function<bool(const CatalogueDoc&, CatalogueEdits&, Failure&, int32_t& number)>;

// A change that only took entry `number` out of the shown section (the
// entries after it renumbered); set by the change when it builds its edits.
struct Removal {
  int32_t number = -1;
  CatalogueSection section;  // the shown section before the change
};

SaveOutcome change_file(const Catalogue& c, const TvString& shown_category, SnippetArray& snippets,
                        const Change& change, Removal* removal = nullptr) {
  SaveOutcome out;
  Failure fail;
  CatalogueLock lock;
  std::string bytes;
  if (!lock.take(c, fail) || !read_catalogue(c, bytes, fail)) {
    out.error = fail.error;
    out.reason = fail.reason;
    return out;
  }
  std::string path = path_of(c);
  CatalogueDoc doc;
  catalogue_doc_parse(doc, std::move(bytes));
  CatalogueEdits edits;
  int32_t number = -1;
  bool ok = true;
  if (doc.not_text)
    ok = fail.set(CatalogueError::not_text, shown_name(path) + " holds bytes that are not text, so it is not written over");
  else if (platform_file_write_protected(path.c_str()))
    ok = fail.set(CatalogueError::write_protected, shown_name(path) + " is write-protected");
  else
    ok = change(doc, edits, fail, number);
  // A removal from a file that needs no new encoding (UTF-8 already, or no
  // byte above 127 anywhere) is written as it renders, and its list comes
  // from the bytes read: the file now is those less the entry, its other
  // values the same bytes read the same way.
  bool removed_only = ok && removal && removal->number >= 0 && (doc.utf8 || !catalogue_any_high(doc.bytes));
  std::string text;
  if (ok && !removed_only) {
    text = catalogue_render(doc, edits);
    // Latin-1 text that happens to be valid UTF-8 would be read back as
    // UTF-8 next time: such a file gets the new text in UTF-8 instead
    if (!doc.utf8) {
      if (catalogue_any_high(text) && utf8_valid(text)) {
        CatalogueDoc as_utf8 = doc;
        as_utf8.utf8 = true;
        CatalogueEdits again;
        ok = change(as_utf8, again, fail, number);
        text = catalogue_render(as_utf8, again);
      }
    }
  }
  if (ok) {
    SafeWrite w;
    if (safe_write_begin(w, path.c_str())) {
      // in pieces the writer passes on as they come, never one more copy
      // of the whole text in its buffer
      if (removed_only)
        catalogue_render(doc, edits, [&w](std::string_view piece) { safe_write_append(w, piece.data(), piece.size()); });
      for (size_t at = 0; at < text.size(); at += kWritePiece)
        safe_write_append(w, text.data() + at, std::min(kWritePiece, text.size() - at));
      if (!safe_write_commit(w)) ok = fail.set(CatalogueError::write_failed, w.error);
    } else {
      ok = fail.set(CatalogueError::write_failed, w.error);
    }
  }
  if (!ok) {
    out.error = fail.error;
    out.reason = fail.reason;
    return out;
  }
  out.saved = true;
  if (removed_only) {
    LoadedBytes loaded(std::move(doc.bytes));
    out.list_text = read_section(loaded, removal->section, snippets, removal->number);
  } else {
    doc = CatalogueDoc();  // the old bytes go before the new ones are indexed
    LoadedBytes loaded(std::move(text));
    // what the file holds now, others' changes included
    out.list_text = read_section(
        loaded, catalogue_section(loaded.source->text(), bytes_of(section_name(shown_category))), snippets);
  }
  out.number = number;
  return out;
}

// A value as the file will give it back: one line, no blanks at its ends.
TvString trimmed_field(const TvString& text) {
  TvString s = string_replace_all(string_replace_all(text, "\r", " "), "\n", " ");
  uint32_t a = 0, b = s.length;
  while (a < b && (s.data[a] == ' ' || s.data[a] == '\t')) ++a;
  while (b > a && (uint8_t(s.data[b - 1]) < 32 || s.data[b - 1] == ' ')) --b;
  return TvString(s.data + a, b - a);
}

// Whether stored code reads back as something: blanks after "=" and
// control bytes at the end of a line are not read.
bool storable_code(const TvString& stored) {
  uint32_t a = 0, b = stored.length;
  while (a < b && (stored.data[a] == ' ' || stored.data[a] == '\t')) ++a;
  while (b > a && uint8_t(stored.data[b - 1]) < 32) --b;
  return b > a;
}

CatalogueValues values_of(const Snippet& s, const TvString& stored_code) {
  CatalogueValues v;
  v.field[kFieldName] = bytes_of(s.name);
  v.field[kFieldDescription] = bytes_of(s.description);
  v.field[kFieldAuthor] = bytes_of(s.author);
  v.field[kFieldCode] = bytes_of(stored_code);
  return v;
}

bool same_snippet(const CatalogueValues& v, const Snippet& s) {
  return v.field[kFieldName] == bytes_of(s.name) && v.field[kFieldDescription] == bytes_of(s.description) &&
         v.field[kFieldAuthor] == bytes_of(s.author) && bytes_of(decode_code(tv(v.field[kFieldCode]))) == bytes_of(s.code);
}

// The number of the file's entry that is `shown`: its own number when that
// entry is unchanged, else the one entry that reads the same (renumbered by
// another program's delete).
bool locate(const CatalogueDoc& doc, const CatalogueSection& sec, const Snippet& shown, int32_t& number, Failure& fail) {
  int32_t count = int32_t(sec.entries.size());
  auto matches = [&](int32_t n) {
    return sec.entries[size_t(n)][kFieldCode] >= 0 && same_snippet(catalogue_entry(doc, sec, n), shown);
  };
  if (shown.number >= 0 && shown.number < count && matches(shown.number)) {
    number = shown.number;
    return true;
  }
  int32_t found = -1, how_many = 0;
  for (int32_t n = 0; n < count; ++n)
    if (matches(n)) {
      found = n;
      ++how_many;
    }
  if (how_many == 1) {
    number = found;
    return true;
  }
  std::string name = bytes_of(shown.name);
  if (shown.number >= 0 && shown.number < count)
    return fail.set(CatalogueError::changed, "\"" + name + "\" was changed in the file by another program");
  return fail.set(CatalogueError::vanished, "\"" + name + "\" is no longer in the file");
}

}  // namespace

TvString load_category(const Catalogue& c, const TvString& category, SnippetArray& snippets, TvString* reason) {
  Block bytes;
  Failure fail;
  read_catalogue(c, bytes, fail);
  if (reason) *reason = fail.reason;
  LoadedBytes loaded(std::move(bytes.data), bytes.size);
  return read_section(loaded, catalogue_section(loaded.source->text(), bytes_of(section_name(category))), snippets);
}

bool load_catalogue(const Catalogue& c, SnippetArray (&out)[kCategoryCount], TvString& reason) {
  std::string bytes;
  Failure fail;
  bool ok = read_catalogue(c, bytes, fail);
  reason = fail.reason;
  LoadedBytes loaded(std::move(bytes));
  TvStringArray names;
  categories(names);
  for (int32_t i = 0; i < kCategoryCount; ++i)
    read_section(loaded, catalogue_section(loaded.source->text(), bytes_of(section_name(names(i)))), out[i]);
  return ok;
}

CatalogueError prepare_snippet(Snippet& s) {
  s.name = trimmed_field(s.name);
  s.description = trimmed_field(s.description);
  s.author = trimmed_field(s.author);
  if (s.description.empty()) s.description = "-----";
  if (s.author.empty()) s.author = "-----";
  if (s.name.empty()) return CatalogueError::empty_name;
  if (!storable_code(encode_code(s.code))) return CatalogueError::empty_code;
  return CatalogueError::none;
}

namespace {
SaveOutcome refused(CatalogueError e) {
  SaveOutcome out;
  out.error = e;
  out.reason = e == CatalogueError::empty_name ? "A name MUST be given" : "Some code MUST be given";
  return out;
}
}  // namespace

SaveOutcome save_snippet(const Catalogue& c, const TvString& category, SnippetArray& snippets,
                         const Snippet& snippet, const TvString& encoded_code, int32_t at) {
  Snippet s = snippet;
  CatalogueError e = prepare_snippet(s);
  if (e == CatalogueError::none && !storable_code(encoded_code)) e = CatalogueError::empty_code;
  if (e != CatalogueError::none) return refused(e);
  CatalogueValues v = values_of(s, encoded_code);
  std::string section = bytes_of(section_name(category));
  return change_file(c, category, snippets, [&](const CatalogueDoc& doc, CatalogueEdits& edits, Failure&, int32_t& n) {
    n = catalogue_add(doc, edits, section, v, at);
    return true;
  });
}

SaveOutcome replace_snippet(const Catalogue& c, const TvString& category, SnippetArray& snippets,
                            const Snippet& shown, const Snippet& edited) {
  Snippet s = edited;
  CatalogueError e = prepare_snippet(s);
  if (e != CatalogueError::none) return refused(e);
  CatalogueValues v = values_of(s, encode_code(s.code));
  std::string section = bytes_of(section_name(category));
  int32_t found = -1;  // located once: a second build (see change_file) must not look again
  return change_file(c, category, snippets, [&](const CatalogueDoc& doc, CatalogueEdits& edits, Failure& fail, int32_t& n) {
    if (found < 0 && !locate(doc, catalogue_section(doc, section), shown, found, fail)) return false;
    n = found;
    // a field the user left alone keeps its line, whatever the encoding did
    CatalogueSection sec = catalogue_section(doc, section);
    CatalogueValues old = catalogue_entry(doc, sec, n);
    if (bytes_of(decode_code(tv(old.field[kFieldCode]))) == bytes_of(s.code)) v.field[kFieldCode] = old.field[kFieldCode];
    catalogue_replace(doc, edits, section, n, v);
    return true;
  });
}

SaveOutcome delete_snippet(const Catalogue& c, const TvString& category, SnippetArray& snippets,
                           const Snippet& shown) {
  std::string section = bytes_of(section_name(category));
  int32_t found = -1;
  Removal removal;
  return change_file(
      c, category, snippets,
      [&](const CatalogueDoc& doc, CatalogueEdits& edits, Failure& fail, int32_t& n) {
        // the section found once serves the look-up, the renumbering and the new list
        removal.section = catalogue_section(doc, section);
        if (found < 0 && !locate(doc, removal.section, shown, found, fail)) return false;
        catalogue_remove(doc, edits, removal.section, found);
        removal.number = found;
        n = -1;
        return true;
      },
      &removal);
}

SaveOutcome move_snippet(const Catalogue& c, const TvString& from, const TvString& to, SnippetArray& snippets,
                         const Snippet& shown) {
  std::string source = bytes_of(section_name(from)), target = bytes_of(section_name(to));
  if (string_equal(string_lower(section_name(from)), string_lower(section_name(to)))) {
    SaveOutcome out;
    out.error = CatalogueError::same_category;
    out.reason = "the snippet is in that category already";
    return out;
  }
  int32_t found = -1;
  return change_file(c, from, snippets, [&](const CatalogueDoc& doc, CatalogueEdits& edits, Failure& fail, int32_t& n) {
    if (found < 0 && !locate(doc, catalogue_section(doc, source), shown, found, fail)) return false;
    n = catalogue_move(doc, edits, source, found, target);
    return true;
  });
}
