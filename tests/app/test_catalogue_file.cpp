// The line-preserving catalogue writer over random catalogues: after any
// sequence of adds, inserts, replaces, deletes and moves, loading gives
// what a plain numbered model of the file says, and every line the change
// did not write is still there byte for byte, in order.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/catalogue_file.h"
#include "tests/support/scratch_dir.h"

namespace {

const char* const kSections[kCategoryCount] = {"Extend_Types", "Types", "Functions", "Subroutines", "Constants", "INLINE"};

// The file as numbered keys: the first key of each field and number in
// the section the loader reads ("" = no such key).
struct ModelEntry {
  std::string f[kFieldCount];
};
using ModelSection = std::map<int32_t, ModelEntry>;
struct Model {
  ModelSection sec[kCategoryCount];
};

int32_t first_absent(const ModelSection& s) {
  int32_t n = 0;
  while (s.count(n) && !s.at(n).f[kFieldName].empty()) ++n;
  return n;
}

// What loading shows: numbered entries with a name up to the first gap,
// those without code skipped.
std::vector<std::string> expected(const ModelSection& s) {
  std::vector<std::string> out;
  for (int32_t n = 0; n < first_absent(s); ++n) {
    const ModelEntry& e = s.at(n);
    if (e.f[kFieldCode].empty()) continue;
    out.push_back(std::to_string(n) + ":" + e.f[0] + "/" + (e.f[1].empty() ? "-----" : e.f[1]) + "/" +
                  (e.f[2].empty() ? "-----" : e.f[2]) + "/" + e.f[3]);
  }
  return out;
}

std::vector<std::string> loaded(const CatalogueDoc& doc, const char* section) {
  CatalogueSection s = catalogue_section(doc, section);
  std::vector<std::string> out;
  for (int32_t n = 0; n < int32_t(s.entries.size()); ++n) {
    if (s.entries[size_t(n)][kFieldCode] < 0) continue;
    CatalogueValues v = catalogue_entry(doc, s, n);
    out.push_back(std::to_string(n) + ":" + v.field[0] + "/" + v.field[1] + "/" + v.field[2] + "/" + v.field[3]);
  }
  return out;
}

// A file's bytes with its line ends spelt out, for failure messages.
std::string visible(const std::string& bytes) {
  std::string out;
  for (char c : bytes) out += c == '\r' ? std::string("<CR>\n") : c == '\n' ? std::string("<LF>\n") : std::string(1, c);
  return out;
}

struct Generator {
  std::mt19937 rng;
  explicit Generator(uint32_t seed) : rng(seed) {}
  int pick(int n) { return int(rng() % uint32_t(n)); }
  bool chance(int percent) { return pick(100) < percent; }

  // A value as the file gives it back in Latin-1, and its bytes in the file.
  // Latin-1 files only get letters from 0xC0 up, which never form UTF-8.
  void value(bool utf8, std::string& latin1, std::string& file) {
    static const char kPlain[] = "abcXYZ019 _-=;[]#|\"'.";
    latin1.clear();
    file.clear();
    int len = 1 + pick(10);
    for (int i = 0; i < len; ++i) {
      int kind = pick(20);
      if (kind == 0) {
        unsigned char c = uint8_t(0xC0 + pick(64));
        latin1 += char(c);
        file += utf8 ? std::string{char(0xC0 | (c >> 6)), char(0x80 | (c & 0x3F))} : std::string(1, char(c));
      } else if (kind == 1 && utf8) {
        latin1 += '?';
        file += pick(2) ? "\xF0\x9F\x98\x80" : "\xD0\x96";  // beyond Latin-1
      } else {
        char c = kPlain[pick(int(sizeof kPlain) - 1)];
        if (i == 0 && c == ' ') c = 'q';  // blanks after "=" are not read
        latin1 += c;
        file += c;
      }
    }
  }
  std::string key(const char* stem, int32_t n) {
    std::string k = stem;
    if (chance(15))
      for (char& c : k) c = char(std::tolower(uint8_t(c)));
    return k + std::to_string(n);
  }
  std::string noise() {
    static const char* const kNoise[] = {"; a comment", "", "   ", "Version=2", "FOO=", "  ; indented",
                                         "#hash=1",     "junk line", "NAME=nonumber", "CODE07=leading zero"};
    return kNoise[pick(10)];
  }

  // A random catalogue and its model.
  std::string catalogue(Model& m, bool& utf8) {
    int style = pick(4);  // 0 ASCII, 1 Latin-1, 2 UTF-8, 3 UTF-8 with a byte-order mark
    utf8 = style >= 2;
    std::vector<std::string> lines;
    if (style == 1) lines.push_back("; caf\xE9");  // Latin-1 for good
    if (style == 2) lines.push_back("; caf\xC3\xA9");
    if (chance(30)) lines.push_back("Top=before any header");
    bool emitted[kCategoryCount] = {};
    int sections = pick(8);
    for (int k = 0; k < sections; ++k) {
      int c = pick(kCategoryCount);
      if (chance(15)) {
        lines.push_back("[Other" + std::to_string(k) + "]");
        lines.push_back("NAME0=other");
        continue;
      }
      std::string header = kSections[c];
      if (chance(15)) header = std::string(" [") + header;  // blanks before "[" are skipped
      else header = "[" + header + (chance(10) ? "" : "]");
      lines.push_back(header);
      if (chance(15)) continue;  // an empty section
      // a section seen before with keys: its keys here are never read (as
      // long as the first keeps a key: emptied, it lets this one show)
      bool ghost = emitted[c];
      emitted[c] = true;
      if (!ghost) lines.push_back("Kept=so a later section of the name stays hidden");
      std::vector<std::string> body;
      bool seconds = false;
      int count = pick(6);
      ModelSection made;
      for (int32_t n = 0; n < count + 3; ++n) {
        bool orphan = n == count, hidden = n > count;
        if ((orphan && chance(50)) || (hidden && chance(50))) continue;
        for (int32_t f = 0; f < kFieldCount; ++f) {
          if (f == kFieldName && orphan) continue;
          if (f != kFieldName && chance(15)) continue;
          std::string v, bytes;
          value(utf8, v, bytes);
          const char* stems[] = {"NAME", "DESCRIPTION", "AUTHOR", "CODE"};
          std::string sep = chance(10) ? " = " : "=";
          body.push_back(key(stems[f], n) + sep + bytes);
          if (made[n].f[f].empty()) made[n].f[f] = v;
          if (chance(5)) {
            body.push_back(key(stems[f], n) + "=second of the name");
            seconds = true;
          }
        }
      }
      if (!seconds && chance(20)) std::shuffle(body.begin(), body.end(), rng);
      for (std::string& l : body) {
        if (chance(10)) lines.push_back(noise());
        lines.push_back(l);
      }
      if (!ghost) m.sec[c] = made;
    }
    std::string text = style == 3 ? "\xEF\xBB\xBF" : "";
    static const char* const kEnds[] = {"\r\n", "\n", "\r"};
    int usual = pick(3);
    for (size_t i = 0; i < lines.size(); ++i) {
      text += lines[i];
      if (i + 1 < lines.size() || chance(70)) text += kEnds[chance(80) ? usual : pick(3)];
    }
    return text;
  }
};

// Every line of `before` that is not a key line of `touched` sections is in
// `after`, same bytes, same order (a lone CR may gain an LF where a removed
// line had kept it from an empty line ending in LF).
void expect_untouched_lines_kept(const CatalogueDoc& before, const CatalogueDoc& after,
                                 const std::vector<const char*>& touched) {
  std::vector<bool> writable(before.lines.size(), false);
  for (const char* s : touched)
    for (const CatalogueKey& k : catalogue_section(before, s).keys) writable[size_t(k.line)] = true;
  size_t j = 0;
  for (size_t i = 0; i < before.lines.size(); ++i) {
    if (writable[i]) continue;
    auto end_of = [](const CatalogueDoc& d, size_t k) {
      return d.bytes.substr(d.lines[k].start + d.lines[k].length, d.lines[k].end);
    };
    std::string want = end_of(before, i);
    auto same_end = [&](size_t k) {
      std::string got = end_of(after, k);
      return want.empty() || got == want || (want == "\r" && got == "\r\n");
    };
    while (j < after.lines.size() && !(after.line(int32_t(j)) == before.line(int32_t(i)) && same_end(j))) ++j;
    ASSERT_LT(j, after.lines.size()) << "line " << i << " lost: " << before.line(int32_t(i));
    ++j;
  }
  EXPECT_EQ(after.bytes.compare(0, before.body, before.bytes, 0, before.body), 0) << "byte-order mark";
}

TEST(CatalogueWriter, RandomChangesOverRandomCataloguesKeepEverythingElse) {
  int ops = 0;
  for (uint32_t seed = 1; seed <= 2000; ++seed) {
    Generator g(seed);
    Model m;
    bool utf8 = false;
    CatalogueDoc doc;
    catalogue_doc_parse(doc, g.catalogue(m, utf8));
    ASSERT_EQ(doc.utf8, utf8) << "seed " << seed;
    for (int c = 0; c < kCategoryCount; ++c) ASSERT_EQ(loaded(doc, kSections[c]), expected(m.sec[c])) << "seed " << seed;

    for (int step = 0; step < 8; ++step, ++ops) {
      int c = g.pick(kCategoryCount);
      ModelSection& s = m.sec[c];
      int32_t count = first_absent(s);
      std::vector<int32_t> shown;
      for (int32_t n = 0; n < count; ++n)
        if (!s.at(n).f[kFieldCode].empty()) shown.push_back(n);
      CatalogueEdits edits;
      std::vector<const char*> touched = {kSections[c]};
      int op = shown.empty() ? 0 : g.pick(4);
      if (op == 0) {  // add, at the end or in between
        CatalogueValues v;
        std::string bytes;
        for (int32_t f = 0; f < kFieldCount; ++f) g.value(false, v.field[f], bytes);
        int32_t at = g.chance(70) ? -1 : g.pick(count + 2);
        int32_t n = catalogue_add(doc, edits, kSections[c], v, at);
        int32_t want = at < 0 || at > count ? count : at;
        ASSERT_EQ(n, want);
        s.erase(count);  // keys of that number become comments
        for (int32_t k = count; k > want; --k) s[k] = s[k - 1];
        for (int32_t f = 0; f < kFieldCount; ++f) s[want].f[f] = v.field[f];
      } else if (op == 1) {  // replace some fields
        int32_t n = shown[size_t(g.pick(int(shown.size())))];
        CatalogueValues v;
        std::string bytes;
        for (int32_t f = 0; f < kFieldCount; ++f) {
          const std::string& old = s[n].f[f];
          v.field[f] = old.empty() && f != kFieldName && f != kFieldCode ? "-----" : old;
          if (g.chance(50)) g.value(false, v.field[f], bytes);
          s[n].f[f] = v.field[f] == "-----" && old.empty() ? "" : v.field[f];
        }
        catalogue_replace(doc, edits, kSections[c], n, v);
      } else if (op == 2) {  // delete
        int32_t n = shown[size_t(g.pick(int(shown.size())))];
        catalogue_remove(doc, edits, kSections[c], n);
        for (int32_t k = n; k + 1 < count; ++k) s[k] = s[k + 1];
        s.erase(count - 1);
      } else {  // move to another category
        int32_t n = shown[size_t(g.pick(int(shown.size())))];
        int to = (c + 1 + g.pick(kCategoryCount - 1)) % kCategoryCount;
        touched.push_back(kSections[to]);
        ModelEntry moved = s[n];
        for (int32_t k = n; k + 1 < count; ++k) s[k] = s[k + 1];
        s.erase(count - 1);
        ModelSection& t = m.sec[to];
        int32_t tn = first_absent(t);
        ASSERT_EQ(catalogue_move(doc, edits, kSections[c], n, kSections[to]), tn);
        t[tn] = moved;
      }
      CatalogueDoc after;
      catalogue_doc_parse(after, catalogue_render(doc, edits));
      ASSERT_EQ(after.utf8, doc.utf8) << "seed " << seed;
      for (int k = 0; k < kCategoryCount; ++k)
        ASSERT_EQ(loaded(after, kSections[k]), expected(m.sec[k])) << "seed " << seed << " step " << step << " op " << op
                                                                   << "\n" << visible(doc.bytes) << "\n--\n" << visible(after.bytes);
      expect_untouched_lines_kept(doc, after, touched);
      if (HasFatalFailure()) FAIL() << "seed " << seed << " step " << step << "\n" << visible(doc.bytes) << "\n--\n" << visible(after.bytes);
      doc = std::move(after);
    }
  }
  EXPECT_EQ(ops, 16000);
}

}  // namespace
