// The search over real catalogue files: results checked against a plain
// reference matcher over what load_category gives, on generated catalogues
// with typed, pasted and hostile queries.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/search.h"
#include "tests/support/scratch_dir.h"
#include "tools/gen_catalogue.h"

namespace {

struct Ref {
  Snippet s;
  int32_t category;
};

std::string str(const TvString& t) { return std::string(t.data, t.length); }

std::string folded(std::string t) {
  for (char& c : t) c = char(search_fold(uint8_t(c)));
  return t;
}

bool holds(const std::string& text, const SearchWord& w) {
  return (w.quoted ? text : folded(text)).find(w.quoted ? w.exact : w.folded) != std::string::npos;
}

bool matches(const Ref& r, const SearchWord& w) {
  return holds(str(r.s.name), w) || holds(str(r.s.description), w) || holds(str(r.s.author), w) ||
         holds(str(r.s.code), w);
}

int32_t reference_rank(const Ref& r, const SearchWord& w) {
  std::string name = str(r.s.name), key = w.quoted ? w.exact : w.folded;
  std::string n = w.quoted ? name : folded(name);
  size_t at = n.find(key);
  if (at == 0) return kRankNameStart;
  if (at != std::string::npos) {
    for (; at != std::string::npos; at = n.find(key, at + 1)) {
      uint8_t c = uint8_t(folded(name.substr(at - 1, 1))[0]);
      bool letter = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == 0xAA || c == 0xB5 || c == 0xBA ||
                    (c >= 0xDF && c != 0xF7);
      if (!letter) return kRankWordStart;
    }
    return kRankInName;
  }
  return holds(str(r.s.description), w) || holds(str(r.s.author), w) ? kRankDescription : kRankCode;
}

struct SearchFolder : ::testing::Test {
  ScratchDir dir{"search"};
  std::string ini = dir / "CODE.INI";
  SearchIndex ix;
  std::vector<SearchRow> rows;
  std::vector<Ref> refs;

  Catalogue cat = [this] {
    Catalogue c;
    c.path = ini.c_str();
    return c;
  }();

  // What the viewer shows, category by category.
  void load_reference() {
    refs.clear();
    TvStringArray names;
    categories(names);
    for (int32_t c = 0; c < names.size1; ++c) {
      SnippetArray a;
      load_category(cat, names(c), a);
      for (int32_t i = 0; i < a.size1; ++i) refs.push_back({a(i), c});
    }
  }

  // The rows of `query` against the reference: each matches every word,
  // none is missing, ranks as the reference gives them and never fall back,
  // names in order within a rank, then categories.
  void check(const std::string& query) {
    SCOPED_TRACE("query: " + query);
    search_run(ix, TvString(query.data(), uint32_t(query.size())), rows);
    std::vector<SearchWord> words = search_words(TvString(query.data(), uint32_t(query.size())));
    size_t expected = 0;
    for (const Ref& r : refs) {
      bool all = true;
      for (const SearchWord& w : words) all = all && matches(r, w);
      expected += all;
    }
    ASSERT_EQ(rows.size(), expected);
    for (size_t i = 0; i < rows.size(); ++i) {
      Ref r{search_snippet(ix, rows[i].entry), rows[i].category};
      for (const SearchWord& w : words) ASSERT_TRUE(matches(r, w)) << str(r.s.name);
      ASSERT_EQ(rows[i].rank, words.empty() ? 0 : reference_rank(r, words[0])) << str(r.s.name);
      if (i == 0) continue;
      const SearchRow& p = rows[i - 1];
      Snippet ps = search_snippet(ix, p.entry);
      if (words.empty()) {
        ASSERT_LE(p.category, rows[i].category);
        if (p.category == rows[i].category) {
          ASSERT_LE(compare_names(ps, r.s), 0);
        }
        continue;
      }
      ASSERT_LE(p.rank, rows[i].rank);
      if (p.rank == rows[i].rank) {
        int c = compare_names(ps, r.s);
        ASSERT_LE(c, 0);
        if (c == 0) {
          ASSERT_LE(p.category, rows[i].category);
        }
      }
    }
  }
};

TEST_F(SearchFolder, GeneratedCataloguesMatchTheReferenceForTypedAndPastedQueries) {
  for (uint32_t seed : {1u, 2u}) {
    write_file(ini, gen_catalogue::generate(150, seed));
    ASSERT_TRUE(search_load(ix, ini.c_str()));
    load_reference();
    ASSERT_EQ(ix.entries.size(), refs.size());
    std::mt19937 rng(seed);
    std::vector<std::string> queries = {"", "vector", "VECTOR add", "jürgen", "JÜRGEN müller", "\"Vector\"",
                                        "\"the sprite\" draw", "endtype", "\"LOCAL \"", "|", "a", "e r"};
    for (int k = 0; k < 30; ++k) {
      // a piece of a real snippet's text, case changed at random, quoted or not
      const Ref& r = refs[rng() % refs.size()];
      std::string text = str(rng() % 2 ? r.s.name : r.s.code);
      size_t at = rng() % text.size(), len = 1 + rng() % 12;
      std::string piece = text.substr(at, len);
      if (rng() % 3 == 0) queries.push_back("\"" + piece + "\"");
      for (char& c : piece)
        if (rng() % 2) c = char(std::toupper(uint8_t(c)));
      queries.push_back(piece + " " + gen_catalogue::kWords[rng() % gen_catalogue::kWordCount]);
    }
    for (const std::string& q : queries) {
      // typed one key at a time (each result narrowing the one before), then at once
      for (size_t n = 1; n <= q.size(); ++n) check(q.substr(0, n));
      ix.last_valid = false;
      check(q);
    }
  }
}

TEST_F(SearchFolder, TheIndexHoldsWhatTheViewerShowsOfAnOddFile) {
  write_file(ini,
             "[types]\r\nname0=lower keys\r\ncode0=a|b\r\nNAME01=leading zero, never looked up\r\n"
             "NAME1=no code, skipped\r\nNAME2=NO_DATA\r\nCODE2=x\r\nNAME2=second of a name, ignored\r\n"
             "CODE2=ignored too\r\nNAME4=after a gap\r\nCODE4=y\r\n"
             "[Extend_Types]\r\nNAME0=bar|in name\r\nDESCRIPTION0=d\r\nAUTHOR0=\xc5sa\r\nCODE0=c\r\n"
             "[Types]\r\nNAME0=second section, invisible\r\nCODE0=z\r\n[Nowhere]\r\nNAME0=n\r\nCODE0=n\r\n");
  ASSERT_TRUE(search_load(ix, ini.c_str()));
  load_reference();
  ASSERT_EQ(ix.entries.size(), 3u);
  ASSERT_EQ(refs.size(), 3u);
  search_run(ix, "", rows);
  for (size_t i = 0; i < rows.size(); ++i) {
    Snippet s = search_snippet(ix, rows[i].entry);
    EXPECT_EQ(str(s.name), str(refs[i].s.name));
    EXPECT_EQ(str(s.description), str(refs[i].s.description));
    EXPECT_EQ(str(s.author), str(refs[i].s.author));
    EXPECT_EQ(str(s.code), str(refs[i].s.code));
    EXPECT_EQ(rows[i].category, refs[i].category);
  }
  for (const char* q : {"ÅSA", "bar|in", "\"a\nb\"", "-----", "\"NO_DATA\"", "no_data code"}) check(q);
}

// Files as other editors leave them: a byte-order mark, LF and lone CR line
// ends, UTF-8 text; the index lists exactly what the viewer shows of each.
TEST_F(SearchFolder, LineEndsAByteOrderMarkAndUtf8AreReadAsTheViewerReadsThem) {
  const std::string utf8_body =
      "[Functions]\nNAME0=Gr\xc3\xb6\xc3\x9f" "e\nDESCRIPTION0=caf\xc3\xa9 \xe2\x82\xac\nCODE0=x\r"
      "NAME1=plain\rCODE1=y|z\r\n[INLINE]\nNAME0=i\nCODE0=q\n";
  for (const std::string& file : {"\xef\xbb\xbf" + utf8_body, utf8_body,
                                  std::string("\xef\xbb\xbf[Types]\nNAME0=t\nCODE0=c\n"),
                                  std::string("[Types]\rNAME0=lat\xe9\rCODE0=c\r")}) {
    SCOPED_TRACE(file);
    write_file(ini, file);
    ASSERT_TRUE(search_load(ix, ini.c_str()));
    load_reference();
    search_run(ix, "", rows);
    ASSERT_EQ(rows.size(), refs.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      Snippet s = search_snippet(ix, rows[i].entry);
      EXPECT_EQ(str(s.name), str(refs[i].s.name));
      EXPECT_EQ(str(s.description), str(refs[i].s.description));
      EXPECT_EQ(str(s.code), str(refs[i].s.code));
      EXPECT_EQ(rows[i].category, refs[i].category);
    }
  }
  check("gr\xd6\xdf");  // typed in Latin-1, found in the UTF-8 file's text
}

TEST_F(SearchFolder, HostileQueriesAndCataloguesGiveAListNeverAFailure) {
  // no file, then a folder where the file should be, then an empty file
  EXPECT_TRUE(search_load(ix, ini.c_str()));
  search_run(ix, "anything", rows);
  EXPECT_TRUE(rows.empty());
  std::filesystem::create_directory(ini);
  EXPECT_FALSE(search_load(ix, ini.c_str()));
  EXPECT_FALSE(ix.error.empty());
  search_run(ix, "", rows);
  EXPECT_TRUE(rows.empty());
  std::filesystem::remove(ini);
  write_file(ini, "");
  EXPECT_TRUE(search_load(ix, ini.c_str()));
  search_run(ix, "\"", rows);
  EXPECT_TRUE(rows.empty());

  write_file(ini, gen_catalogue::generate(40, 9) + "[INLINE]\r\nNAME40=all bytes\r\nCODE40=" +
                      [] {
                        std::string s;
                        for (int c = 32; c < 256; ++c) s += char(c);
                        return s;
                      }() +
                      "\r\n");
  ASSERT_TRUE(search_load(ix, ini.c_str()));
  load_reference();
  for (int c = 1; c < 256; ++c) check(std::string(1, char(c)));
  for (const char* q : {"\"", "\"\"", "\" \"", "a\"b", "\"unclosed phrase", "x \"a\" \"", "\"\"\"\"\"", "  \t "})
    check(q);
  std::mt19937 rng(5);
  std::string noise, words;
  for (int i = 0; i < 100000; ++i) noise += char(1 + rng() % 255);
  while (words.size() < 100000) words += std::string(gen_catalogue::kWords[rng() % 8]) + " ";
  check(noise);
  check(words);
  check("\"" + words);
}

// Files put together at random from the lines that make reading hard:
// fields in any order, keys twice, gaps, numbers beyond the entries, empty
// values, "[]" and repeated headers, sections out of tab order, mixed line
// ends, names given twice in a category, "|" and Latin-1 letters. The one
// pass over the bytes must list what the viewer loads, in its order (equal
// names included), and a search ordering only its matches (the command
// line's) must give the rows of the fully ordered index.
TEST_F(SearchFolder, TheOnePassReadsOddFilesAsTheViewerDoes) {
  const char* const headers[] = {"[Types]", "[types]", "[ Functions ]", "[INLINE]]", "[]", "[Other]",
                                 "[Extend_Types]", "[Constants]=x", "[Subroutines]"};
  const char* const stems[] = {"NAME", "name", "DESCRIPTION", "Author", "CODE", "code", "NAME0"};
  const char* const values[] = {"Vector", "vector", "a|b", "x|y|z", "\xc5sa \xe9t\xe9", "Vector", "tab\there",
                                "end\x01", "  padded", "", "\"for each\" x"};
  const char* const ends[] = {"\r\n", "\n", "\r"};
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    std::string file = seed % 5 == 0 ? "\xef\xbb\xbf" : "";
    for (int line = 0; line < 120; ++line) {
      uint32_t pick = rng() % 20;
      if (pick == 0) file += headers[rng() % 9];
      else if (pick == 1) file += "; NAME0=commented";
      else if (pick == 2) file += "";
      else
        file += std::string(stems[rng() % 7]) + std::to_string(rng() % 6) + (rng() % 4 ? "=" : " = ") +
                values[rng() % 11];
      file += ends[seed % 4 == 0 ? rng() % 3 : 0];
    }
    SCOPED_TRACE(file);
    write_file(ini, file);
    ASSERT_TRUE(search_load(ix, ini.c_str()));
    load_reference();
    search_run(ix, "", rows);
    ASSERT_EQ(rows.size(), refs.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      Snippet s = search_snippet(ix, rows[i].entry);
      ASSERT_EQ(str(s.name), str(refs[i].s.name));
      ASSERT_EQ(str(s.description), str(refs[i].s.description));
      ASSERT_EQ(str(s.author), str(refs[i].s.author));
      ASSERT_EQ(str(s.code), str(refs[i].s.code));
      ASSERT_EQ(s.number, refs[i].s.number);
      ASSERT_EQ(rows[i].category, refs[i].category);
    }
    SearchIndex partial;
    std::vector<SearchRow> partial_rows;
    ASSERT_TRUE(search_load(partial, ini.c_str(), SearchDepth::matching));
    for (const char* q : {"vector", "a\nb", "\"a\nb\"", "|", "b|", "\"\xc5sa \xe9t\xe9\"", "\xe5SA", "\"for each\"", "e"}) {
      check(q);
      search_run(partial, q, partial_rows);
      ASSERT_EQ(partial_rows.size(), rows.size()) << q;
      for (size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(search_snippet(partial, partial_rows[i].entry).number, search_snippet(ix, rows[i].entry).number);
        ASSERT_EQ(partial_rows[i].category, rows[i].category);
      }
    }
  }
}

TEST_F(SearchFolder, RefreshLoadsAgainOnlyWhenTheFileChanged) {
  write_file(ini, "[Types]\r\nNAME0=first\r\nCODE0=a\r\n");
  EXPECT_TRUE(search_refresh(ix, ini.c_str()));
  EXPECT_FALSE(search_refresh(ix, ini.c_str()));
  // the same size and, within the clock's tick, maybe the same time: a
  // save by rename still tells it apart
  std::string other = dir / "new.INI";
  write_file(other, "[Types]\r\nNAME0=other\r\nCODE0=b\r\n");
  std::filesystem::rename(other, ini);
  EXPECT_TRUE(search_refresh(ix, ini.c_str()));
  search_run(ix, "other", rows);
  ASSERT_EQ(rows.size(), 1u);
  std::filesystem::remove(ini);
  EXPECT_TRUE(search_refresh(ix, ini.c_str()));
  search_run(ix, "", rows);
  EXPECT_TRUE(rows.empty());
  EXPECT_FALSE(search_refresh(ix, ini.c_str()));
}

}  // namespace
