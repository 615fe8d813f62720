// search.cpp - the whole catalogue loaded for search, and the matching.
//
// Loading is one scan of the file's bytes (catalogue_scan.h), finding
// exactly the entries the viewer shows; entries point into those bytes. One
// block of folded text, entries in file order and code with its line breaks
// back, is what every word is looked for in with memmem.
#include "app/search.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif


namespace {



// --- reading ----------------------------------------------------------------

void add_entries(SearchIndex& ix) {
  ix.entries.resize(ix.scan.entries.size());
  for (size_t i = 0; i < ix.scan.entries.size(); ++i) {
    const ScanEntry& s = ix.scan.entries[i];
    SearchEntry& e = ix.entries[i];
    e.name = s.field[kScanName].data;
    e.name_length = s.field[kScanName].length;
    e.description = s.field[kScanDescription].data;
    e.description_length = s.field[kScanDescription].length;
    e.author = s.field[kScanAuthor].data;
    e.author_length = s.field[kScanAuthor].length;
    e.code = s.field[kScanCode].data;
    e.code_length = s.field[kScanCode].length;
    e.category = s.category;
    e.number = s.number;
    e.start = 0;
  }
}

// A name with its first 32 bytes at hand as four numbers that sort like
// the bytes, so a comparison seldom needs the name itself (generated and
// real names often share their first words).
constexpr uint32_t kKeyWords = 4;
struct NameItem {
  uint64_t key[kKeyWords];
  const char* name;
  uint32_t length;
  uint32_t entry;
};

// Eight bytes from p (n of them there, the rest zeros) as a number that
// sorts like the bytes.
inline uint64_t big_endian(const char* p, uint32_t n) {
  uint64_t k = 0;
  if (n >= 8) {
    std::memcpy(&k, p, 8);
  } else {
    unsigned char b[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    std::memcpy(b, p, n);
    std::memcpy(&k, b, 8);
  }
  return __builtin_bswap64(k);
}

NameItem name_item(const SearchEntry& e, uint32_t entry) {
  NameItem it{{0, 0, 0, 0}, e.name, e.name_length, entry};
  for (uint32_t w = 0; w < kKeyWords && w * 8 < e.name_length; ++w)
    it.key[w] = big_endian(e.name + w * 8, e.name_length - w * 8);
  return it;
}

// The order of compare_names: bytes, then the shorter first.
inline int compare_items(const NameItem& a, const NameItem& b) {
  for (uint32_t w = 0; w < kKeyWords; ++w)
    if (a.key[w] != b.key[w]) return a.key[w] < b.key[w] ? -1 : 1;
  // equal so far: a shorter name's missing bytes read as zeros there
  uint32_t m = std::min(a.length, b.length);
  if (m > kKeyWords * 8) {
    int c = std::memcmp(a.name + kKeyWords * 8, b.name + kKeyWords * 8, m - kKeyWords * 8);
    if (c != 0) return c;
  }
  return a.length == b.length ? 0 : a.length < b.length ? -1 : 1;
}

// by_category: each category sorted as the viewer sorts its list (the same
// sort on the same sequence, so even equal names come in the viewer's
// order); by_name: those merged, equal names by category; name_position.
void order_entries(SearchIndex& ix) {
  size_t n = ix.entries.size();
  ScanVector<NameItem> items(n);
  for (uint32_t i = 0; i < n; ++i) {
    // the names lie far apart in the file's text: ask for them ahead
    if (i + 16 < n) __builtin_prefetch(ix.entries[i + 16].name);
    items[i] = name_item(ix.entries[i], i);
  }
  size_t bounds[kCategoryCount + 1];
  for (int32_t c = 0, i = 0; c <= kCategoryCount; ++c) {
    while (size_t(i) < n && ix.entries[size_t(i)].category < c) ++i;
    bounds[c] = size_t(i);
  }
  auto before = [](const NameItem& a, const NameItem& b) { return compare_items(a, b) < 0; };
  for (int32_t c = 0; c < kCategoryCount; ++c)
    if (bounds[c + 1] - bounds[c] >= 2)
      array_detail::quicksort(items.data(), int32_t(bounds[c]), int32_t(bounds[c + 1] - 1), before);
  ix.by_category.resize(n);
  for (size_t i = 0; i < n; ++i) ix.by_category[i] = items[i].entry;
  ix.by_name.resize(n);
  ix.name_position.resize(n);
  size_t head[kCategoryCount];
  for (int32_t c = 0; c < kCategoryCount; ++c) head[c] = bounds[c];
  for (uint32_t k = 0; k < n; ++k) {
    int32_t best = -1;
    for (int32_t c = 0; c < kCategoryCount; ++c)
      if (head[c] < bounds[c + 1] && (best < 0 || compare_items(items[head[c]], items[head[best]]) < 0)) best = c;
    uint32_t e = items[head[best]++].entry;
    ix.by_name[k] = e;
    ix.name_position[e] = k;
  }
  ix.ordered = true;
}

// Written without a table so that the compiler can do many bytes at once.
inline uint8_t fold_byte(uint8_t c) {
  bool upper = uint8_t(c - 'A') < 26 || (uint8_t(c - 0xC0) < 31 && c != 0xD7);
  return uint8_t(c + (upper ? 32 : 0));
}

// Folds n bytes, sixteen at a time where the processor has SSE2; code (in
// its stored form) gets its line breaks back for "|".
template <bool kCode>
char* fold_run(char* out, const char* in, uint32_t n) {
  uint32_t i = 0;
#ifdef __SSE2__
  const __m128i flip = _mm_set1_epi8(char(0x80));
  const __m128i ascii_lo = _mm_set1_epi8(char('A' ^ 0x80)), ascii_span = _mm_set1_epi8(char(('A' ^ 0x80) + 26));
  const __m128i latin_lo = _mm_set1_epi8(char(0xC0 ^ 0x80)), latin_span = _mm_set1_epi8(char((0xC0 ^ 0x80) + 31));
  const __m128i times = _mm_set1_epi8(char(0xD7)), bit = _mm_set1_epi8(32);
  const __m128i bar = _mm_set1_epi8('|'), line_break = _mm_set1_epi8('\n');
  for (; i < n && n >= 16; i += 16) {
    if (i + 16 > n) i = n - 16;  // the last block overlaps the one before
    __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    __m128i s = _mm_xor_si128(c, flip);  // unsigned order as signed
    __m128i upper = _mm_and_si128(_mm_cmpgt_epi8(s, _mm_sub_epi8(ascii_lo, _mm_set1_epi8(1))),
                                  _mm_cmplt_epi8(s, ascii_span));
    __m128i latin = _mm_and_si128(_mm_cmpgt_epi8(s, _mm_sub_epi8(latin_lo, _mm_set1_epi8(1))),
                                  _mm_cmplt_epi8(s, latin_span));
    latin = _mm_andnot_si128(_mm_cmpeq_epi8(c, times), latin);
    __m128i f = _mm_add_epi8(c, _mm_and_si128(_mm_or_si128(upper, latin), bit));
    if (kCode) {
      __m128i is_bar = _mm_cmpeq_epi8(c, bar);
      f = _mm_or_si128(_mm_andnot_si128(is_bar, f), _mm_and_si128(is_bar, line_break));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), f);
  }
  if (n >= 16) i = n;
#endif
  for (; i < n; ++i) out[i] = kCode && in[i] == '|' ? '\n' : char(fold_byte(uint8_t(in[i])));
  out[n] = 0;
  return out + n + 1;
}

size_t entry_bytes(const SearchEntry& e) {
  return size_t(e.name_length) + e.description_length + e.author_length + e.code_length + 4;
}

// Folds entries [a, b) into the block from its start.
void fold_entries(SearchIndex& ix, size_t a, size_t b) {
  char* base = ix.folded.get();
  char* out = base;
  for (size_t i = a; i < b; ++i) {
    SearchEntry& e = ix.entries[i];
    e.start = size_t(out - base);
    out = fold_run<false>(out, e.name, e.name_length);
    out = fold_run<false>(out, e.description, e.description_length);
    out = fold_run<false>(out, e.author, e.author_length);
    out = fold_run<true>(out, e.code, e.code_length);
  }
  ix.folded_size = size_t(out - base);
}

void reserve_folded(SearchIndex& ix, size_t bytes) {
  // a reload keeps the block when the new text fits
  if (!ix.folded || ix.folded_capacity < bytes + 1) {
    ix.folded = scan_block(bytes + bytes / 8 + 1);
    ix.folded_capacity = bytes + bytes / 8 + 1;
  }
}

void build_folded(SearchIndex& ix) {
  size_t total = 0;
  for (const SearchEntry& e : ix.entries) total += entry_bytes(e);
  reserve_folded(ix, total);
  fold_entries(ix, 0, ix.entries.size());
  ix.folded_whole = true;
}

void clear(SearchIndex& ix) {
  ix.entries.clear();
  ix.folded_whole = false;
  ix.ordered = false;
  ix.by_name.clear();
  ix.name_position.clear();
  ix.by_category.clear();
  ix.folded_size = 0;
  ix.error = "";
  ix.last_valid = false;
  ix.last_words.clear();
  ix.last_matches.clear();
}

// --- matching -----------------------------------------------------------------

bool is_blank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A letter or digit of folded text: what a word of a name is made of.
bool is_word_byte(uint8_t c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == 0xAA || c == 0xB5 || c == 0xBA ||
         (c >= 0xDF && c != 0xF7);
}

size_t entry_end(const SearchEntry& e) { return e.start + entry_bytes(e); }

bool exact_at(const char* raw, const std::string& word) { return std::memcmp(raw, word.data(), word.size()) == 0; }

// The same for stored code, whose "|" reads as a line break.
bool exact_in_code(const char* stored, const std::string& word) {
  for (size_t i = 0; i < word.size(); ++i)
    if ((stored[i] == '|' ? '\n' : stored[i]) != word[i]) return false;
  return true;
}

// A folded hit at `pos` counts when it lies inside one field (and, for a
// quoted word, the field's own bytes there are the word's).
bool valid_hit(const SearchEntry& e, const SearchWord& w, size_t pos) {
  size_t off = pos - e.start;
  size_t n = w.folded.size();
  const uint32_t lengths[4] = {e.name_length, e.description_length, e.author_length, e.code_length};
  const char* const raws[4] = {e.name, e.description, e.author, e.code};
  for (int f = 0; f < 4; ++f) {
    if (off < lengths[f]) {
      if (off + n > lengths[f]) return false;
      if (!w.quoted) return true;
      return f == 3 ? exact_in_code(raws[f] + off, w.exact) : exact_at(raws[f] + off, w.exact);
    }
    if (off == lengths[f]) return false;  // on the NUL after the field
    off -= size_t(lengths[f]) + 1;
  }
  return false;
}

// The first valid hit of `w` in folded[from, to), or kNoHit.
constexpr size_t kNoHit = SIZE_MAX;

// The first place of `needle` in hay[0, n). Sixteen places are tried at
// once by the needle's first and last bytes, and only where both fit are the
// bytes between compared: far fewer steps than a general search for the
// short words typed.
const char* find_bytes(const char* hay, size_t n, const std::string& needle) {
  size_t m = needle.size();
  if (m == 1) return static_cast<const char*>(std::memchr(hay, needle[0], n));
  if (m == 0 || m > n) return m == 0 ? hay : nullptr;
  size_t i = 0;
#ifdef __SSE2__
  const __m128i first = _mm_set1_epi8(needle[0]), last = _mm_set1_epi8(needle[m - 1]);
  for (; i + m - 1 + 16 <= n; i += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(hay + i + m - 1));
    unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    for (; mask != 0; mask &= mask - 1) {
      size_t at = i + size_t(__builtin_ctz(mask));
      if (std::memcmp(hay + at + 1, needle.data() + 1, m - 2) == 0) return hay + at;
    }
  }
#endif
  return static_cast<const char*>(memmem(hay + i, n - i, needle.data(), m));
}

// The same for the short texts of one field (a name): a plain loop costs
// less than setting up a search.
inline const char* find_short(const char* hay, size_t n, const std::string& needle) {
  size_t m = needle.size();
  char c = needle[0];
  for (size_t i = 0; i + m <= n; ++i)
    if (hay[i] == c && std::memcmp(hay + i + 1, needle.data() + 1, m - 1) == 0) return hay + i;
  return nullptr;
}

size_t find_in(const SearchIndex& ix, const SearchEntry& e, const SearchWord& w, size_t from, size_t to) {
  const char* base = ix.folded.get();
  const std::string& needle = w.folded;
  while (from + needle.size() <= to) {
    const char* p = to - from < 64 ? find_short(base + from, to - from, needle) : find_bytes(base + from, to - from, needle);
    if (!p) return kNoHit;
    size_t pos = size_t(p - base);
    if (valid_hit(e, w, pos)) return pos;
    from = pos + 1;
  }
  return kNoHit;
}

bool entry_holds(const SearchIndex& ix, uint32_t i, const SearchWord& w) {
  const SearchEntry& e = ix.entries[i];
  return find_in(ix, e, w, e.start, entry_end(e)) != kNoHit;
}

int32_t rank_of(const SearchIndex& ix, const SearchEntry& e, const SearchWord& w) {
  size_t name_end = e.start + e.name_length;
  const uint8_t* folded = reinterpret_cast<const uint8_t*>(ix.folded.get());
  size_t hit = find_in(ix, e, w, e.start, name_end);
  if (hit == e.start) return kRankNameStart;
  if (hit != kNoHit) {
    for (; hit != kNoHit; hit = find_in(ix, e, w, hit + 1, name_end))
      if (!is_word_byte(folded[hit - 1])) return kRankWordStart;
    return kRankInName;
  }
  size_t code_start = name_end + 1 + e.description_length + 1 + e.author_length + 1;
  return find_in(ix, e, w, name_end + 1, code_start) != kNoHit ? kRankDescription : kRankCode;
}

// Every entry holding `w`, in entries order: one pass of memmem over the
// whole folded block, jumping to the next entry after each hit. With
// `ranks`, each found entry's rank for `w` is set there too, while its text
// is still in the cache.
// Entries [first, last) are the ones folded in the block.
void scan_all(const SearchIndex& ix, const SearchWord& w, std::vector<uint32_t>& out, int8_t* ranks, size_t first,
              size_t last) {
  const char* base = ix.folded.get();
  size_t size = ix.folded_size, pos = 0;
  const std::string& needle = w.folded;
  auto it = ix.entries.begin() + long(first), end = ix.entries.begin() + long(last);
  while (pos + needle.size() <= size) {
    const char* p = find_bytes(base + pos, size - pos, needle);
    if (!p) break;
    size_t hit = size_t(p - base);
    // hits only move forward: the entry is most often this one or the next few
    auto next = it + 1;
    for (int steps = 0; steps < 8 && next != end && next->start <= hit; ++steps) it = next++;
    if (next != end && next->start <= hit)
      it = std::upper_bound(next, end, hit, [](size_t h, const SearchEntry& e) { return h < e.start; }) - 1;
    if (valid_hit(*it, w, hit)) {
      out.push_back(uint32_t(it - ix.entries.begin()));
      if (ranks) ranks[out.back()] = int8_t(rank_of(ix, *it, w));
      pos = entry_end(*it);
    } else {
      pos = hit + 1;
    }
  }
}


// For an index loaded without its folded text (one search of the command
// line): the entries folded a piece at a time into a block that stays in
// the cache, every word looked for there and the first word's rank worked
// out, so that no folded copy of the whole file is ever made.
void match_in_pieces(SearchIndex& ix, const std::vector<SearchWord>& words, const std::vector<const SearchWord*>& filter,
                     std::vector<uint32_t>& matches, std::vector<int8_t>& rank) {
  constexpr size_t kPiece = size_t(256) << 10;
  size_t n = ix.entries.size();
  for (size_t a = 0; a < n;) {
    size_t b = a, bytes = 0;
    while (b < n && (b == a || bytes < kPiece)) bytes += entry_bytes(ix.entries[b++]);
    reserve_folded(ix, std::max(bytes, kPiece * 2));
    fold_entries(ix, a, b);
    size_t from = matches.size(), kept = from;
    scan_all(ix, *filter[0], matches, filter[0] == &words[0] ? rank.data() : nullptr, a, b);
    for (size_t k = from; k < matches.size(); ++k) {
      uint32_t i = matches[k];
      bool all = true;
      for (size_t f = 1; f < filter.size() && all; ++f) all = entry_holds(ix, i, *filter[f]);
      if (!all) {
        rank[i] = -1;
        continue;
      }
      if (rank[i] < 0) rank[i] = int8_t(rank_of(ix, ix.entries[i], words[0]));
      matches[kept++] = i;
    }
    matches.resize(kept);
    a = b;
  }
  ix.folded_size = 0;
}

// Without the whole order worked out (one search of the command line): the
// matches sorted by name, category and number, which is the viewer's order
// unless a category holds a name twice; then false and nothing is done.
bool tiers_of_matches(const SearchIndex& ix, const std::vector<uint32_t>& matches, const std::vector<int8_t>& rank,
                      std::vector<uint32_t> (&tiers)[5]) {
  std::vector<uint32_t> sorted(matches);
  auto same_name = [&ix](uint32_t a, uint32_t b) {
    const SearchEntry& x = ix.entries[a];
    const SearchEntry& y = ix.entries[b];
    return x.name_length == y.name_length && std::memcmp(x.name, y.name, x.name_length) == 0;
  };
  std::sort(sorted.begin(), sorted.end(), [&ix](uint32_t a, uint32_t b) {
    const SearchEntry& x = ix.entries[a];
    const SearchEntry& y = ix.entries[b];
    int c = std::memcmp(x.name, y.name, std::min(x.name_length, y.name_length));
    if (c != 0) return c < 0;
    if (x.name_length != y.name_length) return x.name_length < y.name_length;
    return a < b;  // entries are by category, then number
  });
  for (size_t k = 1; k < sorted.size(); ++k)
    if (ix.entries[sorted[k - 1]].category == ix.entries[sorted[k]].category && same_name(sorted[k - 1], sorted[k]))
      return false;
  for (uint32_t i : sorted) tiers[rank[i]].push_back(i);
  return true;
}

bool contains(const std::string& big, const std::string& small) { return big.find(small) != std::string::npos; }

// Every snippet matching `now` matched `before` too.
bool narrows(const std::vector<SearchWord>& before, const std::vector<SearchWord>& now) {
  if (now.size() < before.size()) return false;
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i].quoted != now[i].quoted) return false;
    if (before[i].quoted ? !contains(now[i].exact, before[i].exact) : !contains(now[i].folded, before[i].folded))
      return false;
  }
  return true;
}

}  // namespace

uint8_t search_fold(uint8_t c) { return fold_byte(c); }

std::vector<SearchWord> search_words(const TvString& query) {
  std::vector<SearchWord> words;
  const char* q = query.data;
  uint32_t n = query.length, i = 0;
  while (i < n) {
    while (i < n && is_blank(uint8_t(q[i]))) ++i;
    if (i >= n) break;
    SearchWord w;
    uint32_t j;
    if (q[i] == '"') {
      const void* close = std::memchr(q + i + 1, '"', n - i - 1);
      j = close ? uint32_t(static_cast<const char*>(close) - q) : n;
      w.exact.assign(q + i + 1, j - i - 1);
      w.quoted = true;
      i = j < n ? j + 1 : n;
    } else {
      j = i;
      while (j < n && !is_blank(uint8_t(q[j]))) ++j;
      w.exact.assign(q + i, j - i);
      i = j;
    }
    if (w.exact.empty()) continue;
    w.folded = w.exact;
    for (char& c : w.folded) c = char(fold_byte(uint8_t(c)));
    words.push_back(std::move(w));
  }
  return words;
}

bool search_load(SearchIndex& ix, const TvString& path, SearchDepth depth) {
  clear(ix);
  ix.path = path;
  ix.loaded = true;
  // taken before reading: a change during the read shows at the next refresh
  ix.stamp = platform_file_stamp(path.c_str());
  if (!catalogue_scan_file(ix.scan, path, ix.error)) return false;
  add_entries(ix);
  if (depth == SearchDepth::full) build_folded(ix);
  if (depth == SearchDepth::full || depth == SearchDepth::ordered) order_entries(ix);
  return true;
}

bool search_refresh(SearchIndex& ix, const TvString& path) {
  if (ix.loaded && string_equal(ix.path, path) && ix.stamp == platform_file_stamp(path.c_str())) return false;
  search_load(ix, path);
  return true;
}

void search_run(SearchIndex& ix, const TvString& query, std::vector<SearchRow>& rows) {
  rows.clear();
  std::vector<SearchWord> words = search_words(query);
  if (words.empty()) {
    ix.last_valid = false;
    if (!ix.ordered) order_entries(ix);
    rows.reserve(ix.by_category.size());
    for (uint32_t i : ix.by_category) rows.push_back({i, ix.entries[i].category, 0});
    return;
  }
  // the words to filter by: each once, the longest (likely rarest) first
  std::vector<const SearchWord*> filter;
  for (const SearchWord& w : words) {
    bool seen = false;
    for (const SearchWord* f : filter) seen = seen || (f->quoted == w.quoted && f->exact == w.exact);
    if (!seen) filter.push_back(&w);
  }
  std::stable_sort(filter.begin(), filter.end(),
                   [](const SearchWord* a, const SearchWord* b) { return a->folded.size() > b->folded.size(); });

  std::vector<uint32_t> matches;
  std::vector<int8_t> rank(ix.entries.size(), -1);  // by entry, for words[0]
  size_t first_filter = 0;
  if (!ix.folded_whole) {
    match_in_pieces(ix, words, filter, matches, rank);
    first_filter = filter.size();
  } else if (ix.last_valid && narrows(ix.last_words, words)) {
    matches.swap(ix.last_matches);
  } else {
    scan_all(ix, *filter[0], matches, filter[0] == &words[0] ? rank.data() : nullptr, 0, ix.entries.size());
    first_filter = 1;
  }
  for (size_t f = first_filter; f < filter.size() && !matches.empty(); ++f) {
    size_t kept = 0;
    for (uint32_t i : matches) {
      if (entry_holds(ix, i, *filter[f])) matches[kept++] = i;
      else rank[i] = -1;  // ranked while scanning, now out
    }
    matches.resize(kept);
  }
  for (uint32_t i : matches)
    if (rank[i] < 0) rank[i] = int8_t(rank_of(ix, ix.entries[i], words[0]));

  // ranked, then in name order within each rank
  std::vector<uint32_t> tiers[5];
  if (!ix.ordered && !tiers_of_matches(ix, matches, rank, tiers)) order_entries(ix);
  if (!ix.ordered) {
    // done: the tiers are filled
  } else if (matches.size() * 8 < ix.entries.size()) {
    std::vector<uint32_t> sorted(matches);
    std::sort(sorted.begin(), sorted.end(),
              [&ix](uint32_t a, uint32_t b) { return ix.name_position[a] < ix.name_position[b]; });
    for (uint32_t i : sorted) tiers[rank[i]].push_back(i);
  } else {
    for (int32_t r = 0; r < 5; ++r) tiers[r].reserve(matches.size());
    for (uint32_t i : ix.by_name)
      if (rank[i] >= 0) tiers[rank[i]].push_back(i);
  }
  rows.reserve(matches.size());
  for (int32_t r = 0; r < 5; ++r)
    for (uint32_t i : tiers[r]) rows.push_back({i, ix.entries[i].category, r});
  ix.last_words = std::move(words);
  ix.last_matches = std::move(matches);
  ix.last_valid = ix.folded_whole;  // narrowing looks at the folded text of the matches
}

Snippet search_snippet(const SearchIndex& ix, uint32_t entry) {
  const SearchEntry& e = ix.entries[entry];
  Snippet s;
  s.name = TvString(e.name, e.name_length);
  s.description = TvString(e.description, e.description_length);
  s.author = TvString(e.author, e.author_length);
  s.code = decode_code(TvString(e.code, e.code_length));
  s.number = e.number;
  return s;
}

TvString search_name(const SearchIndex& ix, uint32_t entry) {
  const SearchEntry& e = ix.entries[entry];
  return TvString(e.name, e.name_length);
}

TvString search_description(const SearchIndex& ix, uint32_t entry) {
  const SearchEntry& e = ix.entries[entry];
  return TvString(e.description, e.description_length);
}
