// catalogue_file.cpp - the line model of CODE.INI: splitting into lines,
// finding a section's entries the way the INI reader would, and rendering
// line edits back into bytes.
#include "app/catalogue_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>

namespace {

constexpr const char* kStems[kFieldCount] = {"NAME", "DESCRIPTION", "AUTHOR", "CODE"};

inline bool blank(uint8_t c) { return c == ' ' || c == '\t'; }
inline uint8_t lower(uint8_t c) { return c >= 'A' && c <= 'Z' ? uint8_t(c + 32) : c; }
// Bytes that end a key or a header name: blanks and "=".
struct KeyEnds {
  bool at[256] = {};
  KeyEnds() { at[uint8_t(' ')] = at[uint8_t('\t')] = at[uint8_t('=')] = true; }
};
const KeyEnds key_ends;

bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(uint8_t(a[i])) != lower(uint8_t(b[i]))) return false;
  return true;
}

// What the INI reader makes of one line.
enum class LineKind { ignored, header, key };
struct LineInfo {
  LineKind kind = LineKind::ignored;
  std::string_view name;       // header name (may be empty) or key
  uint32_t value_at = 0;       // key lines: where the value starts in the line
  uint32_t value_length = 0;   // 0: the key is not kept
};

LineInfo classify(std::string_view line) {
  LineInfo info;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(line.data());
  uint32_t n = uint32_t(line.size()), i = 0;
  while (i < n && blank(p[i])) ++i;
  if (i == n || p[i] == ';') return info;
  if (p[i] == '[') {
    // the name runs to the first blank or "="; one closing "]" is dropped
    ++i;
    while (i < n && blank(p[i])) ++i;
    uint32_t a = i;
    while (i < n && !key_ends.at[p[i]]) ++i;
    uint32_t len = i - a;
    if (len > 0 && p[a + len - 1] == ']') --len;
    info.kind = LineKind::header;
    info.name = line.substr(a, len);
    return info;
  }
  uint32_t key = i;
  while (i < n && !key_ends.at[p[i]]) ++i;
  uint32_t key_length = i - key;
  while (i < n && blank(p[i])) ++i;
  if (i == n || p[i] != '=') return info;
  ++i;
  while (i < n && blank(p[i])) ++i;
  uint32_t end = n;
  while (end > i && p[end - 1] < 32) --end;  // trailing control bytes are not part of a value
  info.kind = LineKind::key;
  info.name = line.substr(key, key_length);
  info.value_at = i;
  info.value_length = end - i;
  return info;
}

// NAME/DESCRIPTION/AUTHOR/CODE followed by a number as the loader spells it
// (decimal, no leading zero).
bool entry_key(std::string_view key, int32_t& field, int32_t& number, uint32_t& stem_length) {
  // the stems differ in their first letters: that letter picks the one
  if (key.empty()) return false;
  int32_t f = 0;
  switch (lower(uint8_t(key[0]))) {
    case 'n': f = kFieldName; break;
    case 'd': f = kFieldDescription; break;
    case 'a': f = kFieldAuthor; break;
    case 'c': f = kFieldCode; break;
    default: return false;
  }
  const char* stem = kStems[f];
  size_t s = std::strlen(stem);
  if (key.size() <= s) return false;
  for (size_t i = 1; i < s; ++i)
    if (lower(uint8_t(key[i])) != lower(uint8_t(stem[i]))) return false;
  std::string_view digits = key.substr(s);
  if (digits.size() > 10 || (digits.size() > 1 && digits[0] == '0')) return false;
  int64_t v = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v > std::numeric_limits<int32_t>::max()) return false;
  field = f;
  number = int32_t(v);
  stem_length = uint32_t(s);
  return true;
}

// --- UTF-8 ----------------------------------------------------------------------------

}  // namespace

// Whether any byte is above 127; eight at a time.
bool catalogue_any_high(std::string_view b) {
  uint64_t seen = 0;
  size_t i = 0;
  for (; i + 8 <= b.size(); i += 8) {
    uint64_t w;
    std::memcpy(&w, b.data() + i, 8);
    seen |= w;
  }
  for (; i < b.size(); ++i) seen |= uint8_t(b[i]);
  return (seen & 0x8080808080808080ull) != 0;
}

namespace {

// Length of the valid sequence at p (and its code point), 0 when invalid.
int utf8_sequence(const uint8_t* p, size_t left, uint32_t& cp) {
  uint8_t c = p[0];
  int len = c < 0x80 ? 1 : (c >= 0xC2 && c <= 0xDF) ? 2 : (c >= 0xE0 && c <= 0xEF) ? 3 : (c >= 0xF0 && c <= 0xF4) ? 4 : 0;
  if (len == 0 || size_t(len) > left) return 0;
  cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
  for (int k = 1; k < len; ++k) {
    if ((p[k] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[k] & 0x3F);
  }
  if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
    return 0;
  return len;
}

std::string to_latin1(std::string_view raw, bool utf8) {
  if (!utf8) return std::string(raw);
  std::string out(raw.size(), '\0');
  out.resize(catalogue_latin1_into(raw, out.data()));
  return out;
}

std::string_view line_end_of(const CatalogueDoc& doc, int32_t i) {
  const CatalogueLine& l = doc.lines[i];
  return std::string_view(doc.bytes).substr(l.start + l.length, l.end);
}

// What new lines end with: the line end of the file's first line, else CR LF.
std::string_view default_line_end(const CatalogueDoc& doc) {
  for (size_t i = 0; i < doc.lines.size(); ++i)
    if (doc.lines[i].end > 0) return line_end_of(doc, int32_t(i));
  return "\r\n";
}

std::string entry_line(int32_t field, int32_t number, std::string_view file_value) {
  std::string s = kStems[field];
  s += std::to_string(number);
  s += '=';
  s.append(file_value);
  return s;
}

// The later of a replace and a renumber of one line wins.
void set_replace(CatalogueEdits& edits, int32_t line, std::string text) {
  edits.replace[line] = std::move(text);
  if (size_t(line) < edits.renumber.size()) edits.renumber[size_t(line)].number = -1;
}

void set_renumber(const CatalogueDoc& doc, CatalogueEdits& edits, const CatalogueKey& k, int32_t number) {
  if (edits.renumber.size() < doc.lines.size()) edits.renumber.resize(doc.lines.size());
  edits.renumber[size_t(k.line)] = {number, k.digits_at, k.digits_length};
  if (!edits.replace.empty()) edits.replace.erase(k.line);
}

// A key line with its number's digits replaced, into `out` (a RenderOut).
template <typename Out>
void append_renumbered(Out& out, std::string_view line, const CatalogueEdits::Renumber& r) {
  char digits[16];
  auto made = std::to_chars(digits, digits + sizeof digits, r.number);
  out.add(line.substr(0, r.digits_at));
  out.add(std::string_view(digits, size_t(made.ptr - digits)));
  out.add(line.substr(r.digits_at + r.digits_length));
}

std::string commented(const CatalogueDoc& doc, int32_t line) { return ";" + std::string(doc.line(line)); }

// Adds an entry given in file bytes (an empty value: no key).
int32_t add_raw(const CatalogueDoc& doc, CatalogueEdits& edits, std::string_view section,
                const std::string (&raw)[kFieldCount], int32_t at) {
  CatalogueSection sec = catalogue_section(doc, section);
  int32_t count = int32_t(sec.entries.size());
  int32_t n = at < 0 || at > count ? count : at;
  int32_t after = -1;
  for (const CatalogueKey& k : sec.keys) {
    if (k.number == count) {
      // keys of the number that comes into use, belonging to no entry
      set_replace(edits, k.line, commented(doc, k.line));
      after = std::max(after, k.line);
    } else if (k.number >= n && k.number < count) {
      set_renumber(doc, edits, k, k.number + 1);
    }
  }
  std::vector<std::string> lines;
  if (sec.found) {
    if (after < 0) after = sec.last_key;
  } else if (sec.empty_header >= 0) {
    after = sec.empty_header;
  } else {
    after = int32_t(doc.lines.size()) - 1;
    lines.push_back("[" + std::string(section) + "]");
  }
  for (int32_t f = 0; f < kFieldCount; ++f)
    if (!raw[f].empty()) lines.push_back(entry_line(f, n, raw[f]));
  std::vector<std::string>& slot = edits.insert_after[after];
  slot.insert(slot.end(), lines.begin(), lines.end());
  return n;
}

}  // namespace

// --- parsing ----------------------------------------------------------------------------

namespace {

// Calls `f(line)` for each line of `b` from `start`: lines end at LF, CR
// or CR LF. Both are searched with memchr, which skips the long code
// values many bytes at a time.
template <typename F>
void for_each_line(std::string_view b, uint32_t start, F&& f) {
  if (b.size() >= std::numeric_limits<uint32_t>::max() / 2) return;
  const char* p = b.data();
  uint32_t n = uint32_t(b.size());
  auto search = [&](char c) { return static_cast<const char*>(std::memchr(p + start, c, n - start)); };
  const char* lf = search('\n');
  const char* cr = search('\r');
  for (;;) {
    // once a search finds nothing, there is none further on either
    if (lf && lf < p + start) lf = search('\n');
    if (cr && cr < p + start) cr = search('\r');
    const char* at = !lf ? cr : !cr ? lf : std::min(lf, cr);
    if (!at) break;
    uint32_t i = uint32_t(at - p);
    uint8_t end = *at == '\r' && i + 1 < n && p[i + 1] == '\n' ? 2 : 1;
    if (!f(CatalogueLine{start, i - start, end})) return;
    start = i + end;
  }
  if (start < n) f(CatalogueLine{start, n - start, 0});
}

uint32_t body_of(std::string_view b) { return b.size() >= 3 && std::memcmp(b.data(), "\xEF\xBB\xBF", 3) == 0 ? 3 : 0; }

// Finds one section, fed line by line in file order.
struct SectionScan {
  std::string_view bytes, section;
  CatalogueSection sec;
  std::string_view current;
  bool open = false, inside = false;
  int32_t names = 0;

  // false once the section has ended
  bool line(int32_t i, const CatalogueLine& l) {
    std::string_view line(bytes.data() + l.start, l.length);
    LineInfo info = classify(line);
    if (info.kind == LineKind::header) {
      if (inside) return false;  // the first section of the name has ended
      if (!info.name.empty()) current = info.name;
      open = false;
      if (sec.empty_header < 0 && !info.name.empty() && same_name(info.name, section)) sec.empty_header = i;
      return true;
    }
    if (info.kind != LineKind::key || info.value_length == 0) return true;
    if (!open) {
      // a section comes into being with its first kept key
      open = true;
      inside = !sec.found && same_name(current, section);
      sec.found = sec.found || inside;
    }
    if (!inside) return true;
    sec.last_key = i;
    CatalogueKey k;
    uint32_t stem = 0;
    if (!entry_key(info.name, k.field, k.number, stem)) return true;
    k.line = i;
    k.value_at = l.start + info.value_at;
    k.value_length = info.value_length;
    k.digits_at = uint32_t(info.name.data() - line.data()) + stem;
    k.digits_length = uint32_t(info.name.size()) - stem;
    sec.keys.push_back(k);
    if (k.field == kFieldName) ++names;
    return true;
  }

  CatalogueSection finish() {
    if (sec.found) sec.empty_header = -1;
    // numbers at or above the count of names can never be reached
    std::vector<uint8_t> named(size_t(names) + 1, 0);
    for (const CatalogueKey& k : sec.keys)
      if (k.field == kFieldName && k.number < names) named[size_t(k.number)] = 1;
    int32_t count = 0;
    while (named[size_t(count)]) ++count;
    sec.entries.assign(size_t(count), {-1, -1, -1, -1});
    sec.values.assign(size_t(count), {});
    for (const CatalogueKey& k : sec.keys)
      if (k.number < count && sec.entries[size_t(k.number)][size_t(k.field)] < 0) {
        sec.entries[size_t(k.number)][size_t(k.field)] = k.line;
        sec.values[size_t(k.number)][size_t(k.field)] = {k.value_at, k.value_length};
      }
    return std::move(sec);
  }
};

}  // namespace

void catalogue_doc_parse(CatalogueDoc& doc, std::string bytes) {
  doc.bytes = std::move(bytes);
  doc.lines.clear();
  const std::string& b = doc.bytes;
  doc.body = body_of(b);
  doc.not_text = b.size() >= std::numeric_limits<uint32_t>::max() / 2 || std::memchr(b.data(), 0, b.size()) != nullptr;
  doc.utf8 = catalogue_bytes_utf8(b);
  doc.lines.reserve(b.size() / 64 + 16);
  for_each_line(b, doc.body, [&doc](const CatalogueLine& l) {
    doc.lines.push_back(l);
    return true;
  });
}

bool catalogue_bytes_utf8(std::string_view b) {
  uint32_t body = body_of(b);
  return body == 3 || (catalogue_any_high(b) && utf8_valid(b.substr(body)));
}

CatalogueSection catalogue_section(const CatalogueDoc& doc, std::string_view section) {
  SectionScan scan{doc.bytes, section, {}, {}};
  scan.sec.keys.reserve(doc.lines.size());
  for (int32_t i = 0; i < int32_t(doc.lines.size()); ++i)
    if (!scan.line(i, doc.lines[size_t(i)])) break;
  return scan.finish();
}

CatalogueSection catalogue_section(std::string_view bytes, std::string_view section) {
  SectionScan scan{bytes, section, {}, {}};
  scan.sec.keys.reserve(bytes.size() / 64 + 16);
  int32_t i = 0;
  for_each_line(bytes, body_of(bytes), [&](const CatalogueLine& l) { return scan.line(i++, l); });
  return scan.finish();
}

std::string_view catalogue_raw_value(const CatalogueDoc& doc, int32_t line) {
  LineInfo info = classify(doc.line(line));
  return doc.line(line).substr(info.value_at, info.value_length);
}

std::string catalogue_latin1(std::string_view raw, bool utf8) { return to_latin1(raw, utf8); }

// A sequence never holds a byte below 128, so line breaks, blanks, "=" and
// "[" stay where they were: a whole file converted reads as if each value
// had been converted on its own.
size_t catalogue_latin1_into(std::string_view utf8, char* out) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(utf8.data());
  size_t o = 0;
  for (size_t i = 0; i < utf8.size();) {
    if (p[i] < 0x80) {
      out[o++] = char(p[i++]);
      continue;
    }
    uint32_t cp = 0;
    int len = utf8_sequence(p + i, utf8.size() - i, cp);
    out[o++] = cp <= 0xFF && len > 0 ? char(cp) : '?';
    i += len > 0 ? size_t(len) : 1;
  }
  return o;
}

std::string catalogue_value(const CatalogueDoc& doc, int32_t line) {
  return to_latin1(catalogue_raw_value(doc, line), doc.utf8);
}

CatalogueValues catalogue_entry(const CatalogueDoc& doc, const CatalogueSection& s, int32_t number) {
  CatalogueValues v;
  const auto& e = s.entries[size_t(number)];
  for (int32_t f = 0; f < kFieldCount; ++f) {
    if (e[size_t(f)] >= 0) v.field[f] = catalogue_value(doc, e[size_t(f)]);
    else if (f == kFieldDescription || f == kFieldAuthor) v.field[f] = "-----";
  }
  return v;
}

// --- rendering --------------------------------------------------------------------------

namespace {

// Where rendered bytes go: one string, or a sink fed in pieces.
struct RenderOut {
  static constexpr size_t kPiece = size_t(1) << 15;
  std::string buf;
  const std::function<void(std::string_view)>* sink = nullptr;
  char last = 0;
  bool any = false;
  void add(std::string_view s) {
    if (s.empty()) return;
    last = s.back();
    any = true;
    if (sink && s.size() >= kPiece) {
      flush();
      for (size_t at = 0; at < s.size(); at += kPiece) (*sink)(s.substr(at, kPiece));
      return;
    }
    buf.append(s);
    if (sink && buf.size() >= kPiece) flush();
  }
  void flush() {
    if (sink && !buf.empty()) (*sink)(buf);
    if (sink) buf.clear();
  }
};

void render(const CatalogueDoc& doc, const CatalogueEdits& edits, RenderOut& out) {
  out.add(std::string_view(doc.bytes).substr(0, doc.body));
  std::string_view fallback_end = default_line_end(doc);
  // A lone CR line end meeting an empty line that ends in LF would read
  // back as one CR LF and the empty line would be gone: that CR gets its LF.
  auto keep_apart = [&out](std::string_view content, std::string_view end) {
    if (content.empty() && !end.empty() && end[0] == '\n' && out.any && out.last == '\r') out.add("\n");
  };
  auto inserted = [&](int32_t after, std::string_view end) {
    auto it = edits.insert_after.find(after);
    if (it == edits.insert_after.end()) return;
    for (const std::string& l : it->second) {
      out.add(l);
      out.add(end);
    }
  };
  int32_t count = int32_t(doc.lines.size());
  auto renumbered = [&](int32_t i) {
    return size_t(i) < edits.renumber.size() && edits.renumber[size_t(i)].number >= 0;
  };
  auto one_line = [&](int32_t i) {
    bool has_inserts = edits.insert_after.count(i) > 0;
    std::string_view end = doc.lines[i].end > 0 ? line_end_of(doc, i) : fallback_end;
    if (!edits.remove.count(i)) {
      auto r = edits.replace.find(i);
      std::string_view content = r != edits.replace.end() ? std::string_view(r->second) : doc.line(i);
      keep_apart(content, end);
      if (r == edits.replace.end() && renumbered(i)) append_renumbered(out, content, edits.renumber[size_t(i)]);
      else out.add(content);
      // the last line gets a line end only when something follows it
      if (doc.lines[i].end > 0 || has_inserts) out.add(end);
    }
    inserted(i, end);
  };
  // the lines a removal, replacement or insertion touches, in order
  std::vector<int32_t> touched;
  for (const auto& e : edits.remove) touched.push_back(e.first);
  for (const auto& e : edits.replace) touched.push_back(e.first);
  for (const auto& e : edits.insert_after) touched.push_back(e.first);
  std::sort(touched.begin(), touched.end());
  inserted(-1, fallback_end);
  // Lines no edit touches are copied a run at a time; inside such a run the
  // file's own bytes need no care, only its first line may meet an edit.
  int32_t run = -1;  // the run's first line to copy as bytes
  auto flush = [&](int32_t upto) {
    if (run >= 0 && run < upto) {
      const CatalogueLine& last = doc.lines[size_t(upto - 1)];
      uint32_t from = doc.lines[size_t(run)].start;
      out.add(std::string_view(doc.bytes).substr(from, last.start + last.length + last.end - from));
    }
    run = -1;
  };
  size_t t = 0;
  for (int32_t i = 0; i < count; ++i) {
    while (t < touched.size() && touched[t] < i) ++t;
    bool edited = (t < touched.size() && touched[t] == i) || renumbered(i);
    if (!edited && run >= 0) continue;
    flush(i);
    one_line(i);
    if (!edited) run = i + 1;
  }
  flush(count);
  out.flush();
}

}  // namespace

std::string catalogue_render(const CatalogueDoc& doc, const CatalogueEdits& edits) {
  RenderOut out;
  out.buf.reserve(doc.bytes.size() + 1024);
  render(doc, edits, out);
  return std::move(out.buf);
}

void catalogue_render(const CatalogueDoc& doc, const CatalogueEdits& edits,
                      const std::function<void(std::string_view)>& sink) {
  RenderOut out;
  out.sink = &sink;
  render(doc, edits, out);
}

// --- operations ---------------------------------------------------------------------------

int32_t catalogue_add(const CatalogueDoc& doc, CatalogueEdits& edits, std::string_view section,
                      const CatalogueValues& values, int32_t at) {
  std::string raw[kFieldCount];
  for (int32_t f = 0; f < kFieldCount; ++f) raw[f] = catalogue_file_text(doc, values.field[f]);
  return add_raw(doc, edits, section, raw, at);
}

void catalogue_replace(const CatalogueDoc& doc, CatalogueEdits& edits, std::string_view section, int32_t number,
                       const CatalogueValues& values) {
  CatalogueSection sec = catalogue_section(doc, section);
  if (number < 0 || number >= int32_t(sec.entries.size())) return;
  const auto& e = sec.entries[size_t(number)];
  CatalogueValues old = catalogue_entry(doc, sec, number);
  int32_t last = *std::max_element(e.begin(), e.end());
  for (int32_t f = 0; f < kFieldCount; ++f) {
    // a field that reads the same keeps its line (and any characters
    // beyond Latin-1 in it)
    if (old.field[f] == values.field[f]) continue;
    std::string value = catalogue_file_text(doc, values.field[f]);
    int32_t line = e[size_t(f)];
    if (line >= 0) {
      std::string_view l = doc.line(line);
      LineInfo info = classify(l);
      set_replace(edits, line, std::string(l.substr(0, info.value_at)) + value);
    } else if (!value.empty()) {
      edits.insert_after[last].push_back(entry_line(f, number, value));
    }
  }
}

void catalogue_remove(const CatalogueDoc& doc, CatalogueEdits& edits, std::string_view section, int32_t number) {
  catalogue_remove(doc, edits, catalogue_section(doc, section), number);
}

void catalogue_remove(const CatalogueDoc& doc, CatalogueEdits& edits, const CatalogueSection& sec, int32_t number) {
  int32_t count = int32_t(sec.entries.size());
  if (number < 0 || number >= count) return;
  const auto& e = sec.entries[size_t(number)];
  for (const CatalogueKey& k : sec.keys) {
    if (k.number == number) {
      if (std::find(e.begin(), e.end(), k.line) != e.end()) edits.remove[k.line] = true;
      else set_replace(edits, k.line, commented(doc, k.line));  // a second key of the number
    } else if (k.number > number && k.number < count) {
      set_renumber(doc, edits, k, k.number - 1);
    }
  }
}

int32_t catalogue_move(const CatalogueDoc& doc, CatalogueEdits& edits, std::string_view from, int32_t number,
                       std::string_view to) {
  CatalogueSection sec = catalogue_section(doc, from);
  if (number < 0 || number >= int32_t(sec.entries.size())) return -1;
  std::string raw[kFieldCount];
  for (int32_t f = 0; f < kFieldCount; ++f)
    if (sec.entries[size_t(number)][size_t(f)] >= 0)
      raw[f] = std::string(catalogue_raw_value(doc, sec.entries[size_t(number)][size_t(f)]));
  catalogue_remove(doc, edits, sec, number);
  return add_raw(doc, edits, to, raw, -1);
}

// --- text ---------------------------------------------------------------------------------

std::string catalogue_file_text(const CatalogueDoc& doc, std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (char ch : latin1) {
    uint8_t c = uint8_t(ch);
    if (c == 0) {
      out += '?';
    } else if (doc.utf8 && c >= 0x80) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += ch;
    }
  }
  return out;
}

bool utf8_valid(std::string_view bytes) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data());
  for (size_t i = 0; i < bytes.size();) {
    if (i + 8 <= bytes.size()) {  // a whole file is checked: plain ASCII eight bytes at a time
      uint64_t w;
      std::memcpy(&w, p + i, 8);
      if ((w & 0x8080808080808080ull) == 0) {
        i += 8;
        continue;
      }
    }
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    uint32_t cp = 0;
    int len = utf8_sequence(p + i, bytes.size() - i, cp);
    if (len == 0) return false;
    i += size_t(len);
  }
  return true;
}

int32_t unstorable_characters(std::string_view utf8) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(utf8.data());
  int32_t lost = 0;
  for (size_t i = 0; i < utf8.size();) {
    uint32_t cp = 0;
    int len = utf8_sequence(p + i, utf8.size() - i, cp);
    if (len == 0 || cp > 0xFF) ++lost;
    i += len > 0 ? size_t(len) : 1;
  }
  return lost;
}
