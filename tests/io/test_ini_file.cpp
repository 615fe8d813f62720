// The INI table against files: write-back on open, close and the program's
// end, failures that must leave the old file exactly as it was, and a long
// random run of puts checked against a plain list-based model.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/support/scratch_dir.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/io/archive.h"
#include "runtime/io/archive_pack.h"
#include "runtime/io/ini.h"
#include "runtime/io/memory_files.h"
#include "runtime/io/safe_write.h"

namespace fs = std::filesystem;

namespace {

std::string S(const TvString& t) { return std::string(t.data, t.length); }
TvString T(const std::string& s) { return TvString(s.data(), uint32_t(s.size())); }
std::string get(const std::string& sec, const std::string& key, const std::string& def = "<none>") {
  return S(ini_get(T(sec), T(key), T(def)));
}
void put(const std::string& sec, const std::string& key, const std::string& value) {
  ini_put(T(sec), T(key), T(value));
}
void open(const std::string& name) { ini_open(T(name)); }

class IniFile : public ::testing::Test {
 protected:
  void TearDown() override { ini_discard(); }
};

TEST_F(IniFile, ChangesAreWrittenWhenTheNextFileIsOpened) {
  ScratchDir dir("ini");
  std::string path = dir / "CODE.INI";
  write_file(path, "; my notes\n[Types]\nNAME0=Point\n");

  // only read: the file is not touched, comments and all
  open(path);
  EXPECT_EQ(get("types", "name0"), "Point");
  open("");
  EXPECT_EQ(read_file(path), "; my notes\n[Types]\nNAME0=Point\n");

  open(path);
  put("Types", "NAME1", "Rect");
  EXPECT_EQ(read_file(path), "; my notes\n[Types]\nNAME0=Point\n");  // not yet
  open(path);  // the same name: written, then read again
  EXPECT_EQ(read_file(path), "[Types]\r\nNAME0=Point\r\nNAME1=Rect\r\n");
  EXPECT_EQ(get("Types", "NAME1"), "Rect");
  EXPECT_FALSE(ini_table.changed);

  // a missing file is an empty table and is created by the write-back
  std::string fresh = dir / "new.ini";
  open(fresh);
  EXPECT_EQ(get("A", "b", "dflt"), "dflt");
  put("A", "b", "c");
  open("");
  EXPECT_EQ(read_file(fresh), "[A]\r\nb=c\r\n");
  EXPECT_TRUE(ini_table.file_name.empty());
  EXPECT_TRUE(ini_table.sections.empty());
}

TEST_F(IniFile, ShutDownWritesBackOnceAndFrees) {
  ScratchDir dir("ini");
  std::string path = dir / "CODE.INI";
  open(path);
  put("S", "k", "v");
  ini_shut_down();
  EXPECT_EQ(read_file(path), "[S]\r\nk=v\r\n");
  EXPECT_TRUE(ini_table.file_name.empty());
  EXPECT_FALSE(ini_table.changed);
  write_file(path, "other");
  ini_shut_down();  // nothing left to write
  EXPECT_EQ(read_file(path), "other");
}

TEST_F(IniFile, ProgramEndWritesTheChangedTableBack) {
  ScratchDir dir("ini");
  std::string path = dir / "CODE.INI";
  write_file(path, "[Types]\nNAME0=Point\n");
  EXPECT_EXIT(
      {
        open(path);
        put("Types", "NAME1", "Rect");
        end_program();
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(read_file(path), "[Types]\r\nNAME0=Point\r\nNAME1=Rect\r\n");
}

TEST_F(IniFile, FilesComeFromThePackedArchiveAndMemoryFilesAreNeverWritten) {
  ScratchDir dir("ini");
  std::string carrier = dir / "program", bytes = "PROGRAM", error;
  ASSERT_TRUE(archive_pack(bytes, {{"code.ini", "[Types]\nNAME0=Packed\n"}}, error)) << error;
  write_file(carrier, bytes);
  set_archive(T(carrier), T(carrier));
  fs::path cwd = fs::current_path();
  fs::current_path(dir.path);

  // no CODE.INI on disk: the archive's entry is read
  open("data/CODE.INI");
  EXPECT_EQ(get("types", "NAME0"), "Packed");
  EXPECT_EQ(S(ini_table.file_name), "data/CODE.INI");
  open("CODE.INI");
  put("Types", "NAME1", "Mine");
  open("");  // written to disk under the name the program used
  EXPECT_EQ(read_file("CODE.INI"), "[Types]\r\nNAME0=Packed\r\nNAME1=Mine\r\n");

  // a disk name that exists but cannot be read: the archive's copy is read,
  // the disk name is never replaced
  fs::create_directories("sub/code.ini");
  open("sub/code.ini");
  EXPECT_EQ(get("Types", "NAME0"), "Packed");
  put("Types", "NAME0", "lost");
  open("");
  EXPECT_TRUE(fs::is_directory("sub/code.ini"));

  // a memory file is read but never written
  MemoryBlock* block = memory_block_new(14);
  std::memcpy(block->bytes, "[M]\nk=memory\n", 14);
  TvString mem = memory_file_name(block);
  ini_open(mem);
  EXPECT_EQ(get("M", "k"), "memory");
  put("M", "k", "changed");
  size_t entries = count_entries(dir.path);
  open("");
  EXPECT_EQ(count_entries(dir.path), entries);
  memory_block_release(block);

  general_resolver.enabled = false;
  program_resolver.enabled = false;
  fs::current_path(cwd);
}

TEST_F(IniFile, AFailedWriteBackLeavesTheOldFileExactly) {
  ScratchDir dir("ini");
  std::string path = dir / "CODE.INI";
  const std::string old = "[Functions]\nNAME0=keep me\nCODE0=x\n";
  for (SafeWriteStep step : {SafeWriteStep::create, SafeWriteStep::write, SafeWriteStep::sync,
                             SafeWriteStep::rename}) {
    write_file(path, old);
    open(path);
    put("Functions", "NAME1", "new");
    safe_write_fail_at(step);
    open("");
    EXPECT_EQ(read_file(path), old) << int(step);
    EXPECT_EQ(count_entries(dir.path), 1u) << "left a temporary file, step " << int(step);
  }
  // a folder that does not exist: nothing is made, nothing breaks
  open(dir / "no/such/folder/CODE.INI");
  put("S", "k", "v");
  open("");
  EXPECT_EQ(count_entries(dir.path), 1u);
}

// The write-back a caller can act on: it says whether the file holds the
// table, keeps the change pending after a failure, and discarding drops it.
TEST_F(IniFile, WriteBackNowTellsWhetherItLanded) {
  ScratchDir dir("ini");
  std::string path = dir / "CODE.INI";
  write_file(path, "[S]\nk=old\n");
  open(path);
  put("S", "k", "new");
  TvString reason;
  safe_write_fail_at(SafeWriteStep::rename);
  EXPECT_FALSE(ini_write_back(reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(read_file(path), "[S]\nk=old\n");
  EXPECT_TRUE(ini_table.changed);
  EXPECT_TRUE(ini_write_back(reason)) << reason.c_str();
  EXPECT_EQ(read_file(path), "[S]\r\nk=new\r\n");
  put("S", "k", "dropped");
  ini_discard();
  EXPECT_EQ(read_file(path), "[S]\r\nk=new\r\n");

  fs::create_directory(dir / "folder.ini");
  open(dir / "folder.ini");
  put("S", "k", "v");
  EXPECT_FALSE(ini_write_back(reason));
  EXPECT_TRUE(fs::is_directory(dir / "folder.ini"));
}

TEST_F(IniFile, WriteBackKeepsPermissionsAndAnUnwritableFolderKeepsTheOldFile) {
  ScratchDir dir("ini");
  std::string path = dir / "CODE.INI";
  write_file(path, "[S]\nk=old\n");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  open(path);
  put("S", "k", "new");
  open("");
  EXPECT_EQ(read_file(path), "[S]\r\nk=new\r\n");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  open(path);
  put("S", "k", "newer");
  fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
  if (std::ofstream(dir / "probe").is_open()) {
    fs::permissions(dir.path, fs::perms::owner_all);
    GTEST_SKIP() << "this user writes into read-only folders";
  }
  open("");
  fs::permissions(dir.path, fs::perms::owner_all);
  EXPECT_EQ(read_file(path), "[S]\r\nk=new\r\n");
}

TEST_F(IniFile, AFileThatCannotBeReadIsNeverReplaced) {
  // a name that exists but cannot be read as a file: the empty table must
  // not take its place
  ScratchDir dir("ini");
  std::string path = dir / "CODE.INI";
  fs::create_directory(path);
  write_file(path + "/inside", "x");
  open(path);
  EXPECT_EQ(get("S", "k", "d"), "d");
  put("S", "k", "v");
  open("");
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(read_file(path + "/inside"), "x");
}

// --- a random run against a model built straight from the rules ------------

struct ModelSection {
  std::string name;
  std::vector<std::pair<std::string, std::string>> keys;
};

bool same_name(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x += 32;
    if (y >= 'A' && y <= 'Z') y += 32;
    if (x != y) return false;
  }
  return true;
}

struct Model {
  std::vector<ModelSection> sections;

  int find(const std::string& name) const {
    for (size_t i = 0; i < sections.size(); ++i)
      if (same_name(sections[i].name, name)) return int(i);
    return -1;
  }
  std::string get(const std::string& sec, const std::string& key, const std::string& def) const {
    int s = find(sec);
    if (s < 0) return def;
    for (auto& kv : sections[s].keys)
      if (same_name(kv.first, key)) return kv.second;
    return def;
  }
  void put(const std::string& sec, const std::string& key, const std::string& value) {
    int s = find(sec);
    if (key.empty()) {
      if (s < 0) return;
      sections[s] = sections.back();
      sections.pop_back();
      return;
    }
    if (s < 0) {
      sections.push_back({sec, {}});
      s = int(sections.size() - 1);
    }
    auto& keys = sections[s].keys;
    for (size_t i = 0; i < keys.size(); ++i) {
      if (!same_name(keys[i].first, key)) continue;
      if (!value.empty()) {
        keys[i].second = value;
      } else {
        keys[i] = keys.back();
        keys.pop_back();
      }
      return;
    }
    keys.push_back({key, value});
  }
  std::string text() const {
    std::string out;
    for (auto& s : sections) {
      out += "[" + s.name + "]\r\n";
      for (auto& kv : s.keys) out += kv.first + "=" + kv.second + "\r\n";
    }
    return out;
  }
};

void random_run(unsigned seed, int section_names, int key_names, int steps) {
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return int(rng() % unsigned(n)); };
  auto vary_case = [&](std::string s) {
    for (char& c : s)
      if (c >= 'a' && c <= 'z' && pick(3) == 0) c = char(c - 32);
    return s;
  };
  auto section_name = [&] { return vary_case("sec" + std::to_string(pick(section_names))); };
  auto key_name = [&] { return vary_case("key" + std::to_string(pick(key_names))); };

  // a file with repeated sections and repeated keys, which only loading makes
  Model model;
  std::string file;
  for (int s = 0, n = 1 + pick(2 * section_names); s < n; ++s) {
    ModelSection sec{section_name(), {}};
    for (int k = 0, m = 1 + pick(2 * key_names); k < m; ++k)
      sec.keys.push_back({key_name(), "v" + std::to_string(rng())});
    model.sections.push_back(sec);
  }
  file = model.text();
  ScratchDir dir("inirun");
  std::string path = dir / "run.ini";
  write_file(path, file);
  open(path);

  for (int step = 0; step < steps; ++step) {
    std::string sec = section_name(), key = key_name();
    int what = pick(20);
    if (what == 0) {
      model.put(sec, "", "");
      put(sec, "", "");
    } else if (what < 8) {
      model.put(sec, key, "");
      put(sec, key, "");
    } else if (what < 14) {
      std::string v = "n" + std::to_string(step);
      model.put(sec, key, v);
      put(sec, key, v);
    }
    ASSERT_EQ(get(sec, key), model.get(sec, key, "<none>")) << "step " << step;
    if (step % 97 == 0) {
      ASSERT_EQ(S(ini_format(ini_table)), model.text()) << "step " << step;
    }
  }
  ASSERT_EQ(S(ini_format(ini_table)), model.text());
  open("");
  // and what was written reads back the same, keys with empty values aside
  open(path);
  for (size_t i = 0; i < model.sections.size(); ++i) {
    const ModelSection& s = model.sections[i];
    if (model.find(s.name) != int(i)) continue;
    for (auto& kv : s.keys) {
      std::string first = model.get(s.name, kv.first, "");
      if (!first.empty()) {
        EXPECT_EQ(get(s.name, kv.first), first);
      }
    }
  }
}

TEST_F(IniFile, RandomPutsMatchTheModelWithManyRepeatedNames) {
  for (unsigned seed = 1; seed <= 20; ++seed) random_run(seed, 4, 6, 600);
}

TEST_F(IniFile, RandomPutsMatchTheModelInLargeSections) {
  for (unsigned seed = 100; seed <= 102; ++seed) random_run(seed, 3, 400, 6000);
}

}  // namespace
