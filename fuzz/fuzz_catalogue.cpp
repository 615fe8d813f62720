// fuzz_catalogue.cpp - the catalogue's loader and line-preserving writer on
// arbitrary files: load, change, load again, nothing lost.
//
// Input: byte 0 picks the change (add at the end, add at a number, replace,
// remove, move) and byte 1 the category and the entry; bytes 2..9 give the
// new entry's values; the rest is the file. Checked:
//   - an add keeps every entry of every category at its number with its
//     values, and the new entry loads back as written;
//   - every change keeps each line it does not write, byte for byte;
//   - loading, rendering and re-parsing never crash, whatever the bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/catalogue_file.h"

namespace {

const char* const kSections[] = {"Extend_Types", "Types", "Functions", "Subroutines", "Constants", "INLINE"};

std::vector<std::string> load(const CatalogueDoc& doc, const char* section) {
  CatalogueSection s = catalogue_section(doc, section);
  std::vector<std::string> out;
  for (int32_t n = 0; n < int32_t(s.entries.size()); ++n) {
    CatalogueValues v = catalogue_entry(doc, s, n);
    out.push_back(v.field[0] + '\x01' + v.field[1] + '\x01' + v.field[2] + '\x01' + v.field[3]);
  }
  return out;
}

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_catalogue: %s\n", what);
  std::abort();
}

// A value the writer may be handed: Latin-1, no line break, not starting
// with a blank, never empty (as prepare_snippet leaves it).
std::string value_from(uint8_t seed, int field) {
  static const char* const kWords[] = {"a", "Beta", "caf\xE9", "x = 1", "|", ";", "[s]", "\xFF\xFE", "name0",
                                       "=", "\xC3\xA9", "-----", "q  ", "A|B|", "#", "\x7F"};
  std::string v = kWords[seed & 15];
  if (seed & 16) v += kWords[(seed >> 5) & 7];
  if (field == kFieldCode && (seed & 128)) v += "|  indented";
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 10) return 0;
  uint8_t op = data[0] % 5, pick = data[1];
  CatalogueValues values;
  for (int f = 0; f < kFieldCount; ++f) values.field[f] = value_from(data[2 + f], f);
  std::string file(reinterpret_cast<const char*>(data) + 10, size - 10);

  CatalogueDoc doc;
  catalogue_doc_parse(doc, file);
  std::vector<std::string> before[6];
  for (int c = 0; c < 6; ++c) before[c] = load(doc, kSections[c]);
  int c = pick % 6, to = (c + 1 + (pick >> 3) % 5) % 6;
  int32_t count = int32_t(before[c].size());
  int32_t number = count > 0 ? int32_t(data[6] % count) : -1;

  auto build = [&](const CatalogueDoc& d, CatalogueEdits& e) {
    if (op == 0) return catalogue_add(d, e, kSections[c], values, -1);
    if (op == 1) return catalogue_add(d, e, kSections[c], values, int32_t(data[7] % (count + 2)));
    if (number < 0) return -1;
    if (op == 2) catalogue_replace(d, e, kSections[c], number, values);
    if (op == 3) catalogue_remove(d, e, kSections[c], number);
    if (op == 4) return catalogue_move(d, e, kSections[c], number, kSections[to]);
    return -1;
  };
  CatalogueEdits edits;
  int32_t at = build(doc, edits);
  std::string text = catalogue_render(doc, edits);
  CatalogueDoc after;
  catalogue_doc_parse(after, text);
  if (!doc.utf8 && after.utf8) {
    // as the catalogue does: Latin-1 text that reads as UTF-8 goes in as UTF-8
    CatalogueDoc as_utf8 = doc;
    as_utf8.utf8 = true;
    CatalogueEdits again;
    build(as_utf8, again);
    catalogue_doc_parse(after, catalogue_render(as_utf8, again));
  }

  // every line not written is still there, in order
  std::vector<bool> written(doc.lines.size(), false);
  for (const char* s : {kSections[c], kSections[to]})
    for (const CatalogueKey& k : catalogue_section(doc, s).keys) written[size_t(k.line)] = true;
  size_t j = 0;
  for (size_t i = 0; i < doc.lines.size(); ++i) {
    if (written[i]) continue;
    while (j < after.lines.size() && after.line(int32_t(j)) != doc.line(int32_t(i))) ++j;
    check(j < after.lines.size(), "a line the change did not write is gone");
    ++j;
  }

  if (op <= 1) {  // (a file read as Latin-1 only turns UTF-8 when it was plain ASCII)
    for (int k = 0; k < 6; ++k) {
      std::vector<std::string> now = load(after, kSections[k]);
      if (k != c) {
        // entries past a gap may come to light, never go
        check(now.size() >= before[k].size(), "another category lost entries");
        for (size_t i = 0; i < before[k].size(); ++i) check(now[i] == before[k][i], "another category changed");
        continue;
      }
      check(int32_t(now.size()) >= count + 1, "the category lost entries");
      for (int32_t i = 0; i < count; ++i)
        check(now[size_t(i < at ? i : i + 1)] == before[k][size_t(i)], "an entry changed or moved wrongly");
      CatalogueValues v = values;
      for (auto& f : v.field)
        for (char& ch : f)
          if (ch == 0) ch = '?';
      check(now[size_t(at)] == v.field[0] + '\x01' + v.field[1] + '\x01' + v.field[2] + '\x01' + v.field[3],
            "the new entry does not load back as written");
    }
  }
  return 0;
}
