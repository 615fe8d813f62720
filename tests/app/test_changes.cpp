// The catalogue's changes on real files: random sequences of adds, edits,
// deletes, moves, undos and redos against a model; failed steps; SIGKILL at
// random moments of a change; two programs deleting and adding at once.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/changes.h"
#include "runtime/io/safe_write.h"
#include "tests/support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

// The catalogue as the program shows it: per category the sorted entries.
using Model = std::vector<std::vector<std::string>>;

std::string key_of(const Snippet& s) {
  return std::string(s.name.c_str()) + "\x01" + s.description.c_str() + "\x01" + s.author.c_str() + "\x01" +
         s.code.c_str();
}

TvStringArray all_categories() {
  TvStringArray names;
  categories(names);
  return names;
}

Model loaded(const Catalogue& c) {
  SnippetArray out[kCategoryCount];
  TvString reason;
  EXPECT_TRUE(load_catalogue(c, out, reason)) << reason.c_str();
  Model m(kCategoryCount);
  for (int k = 0; k < kCategoryCount; ++k) {
    for (int32_t i = 0; i < out[k].size1; ++i) m[k].push_back(key_of(out[k](i)));
    std::sort(m[k].begin(), m[k].end());
  }
  return m;
}

Snippet make(const std::string& name, const std::string& code) {
  Snippet s;
  s.name = name.c_str();
  s.description = ("about " + name).c_str();
  s.author = "me";
  s.code = code.c_str();
  return s;
}

// A folder in memory where there is one: hundreds of crash-safe writes
// without waiting for the disk.
struct FastFolder {
  fs::path path;
  FastFolder() {
    fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    path = base / ("snipvault_changes_" + std::to_string(getpid()));
    fs::remove_all(path);
    fs::create_directories(path);
  }
  ~FastFolder() { fs::remove_all(path); }
};

const char* kOther = "; kept as it is\r\n[Settings]\r\nwidth=3\r\n";

struct ChangesFolder : ::testing::Test {
  FastFolder dir;
  std::string ini = (dir.path / "CODE.INI").string();
  Catalogue cat;
  ChangeHistory history;
  TvStringArray names = all_categories();
  void SetUp() override {
    cat.path = ini.c_str();
    history.backups.tried = true;  // backups have tests of their own
  }
  SnippetArray list(int k) {
    SnippetArray s;
    load_category(cat, names(k), s);
    return s;
  }
};

// Every step is checked against a model that keeps one state per point of
// the history; undo and redo walk it. Other sections and comments stay.
TEST_F(ChangesFolder, UndoAndRedoFollowAModelOverRandomSequences) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE(seed);
    write_file(ini, std::string(kOther) + "[Functions]\r\nNAME0=f\r\nCODE0=F|x\r\n");
    history = ChangeHistory{};
    history.backups.tried = true;
    std::vector<Model> states{loaded(cat)};
    size_t at = 0;
    std::mt19937 rng(seed);
    int serial = 0;
    for (int step = 0; step < 40; ++step) {
      int k = int(rng() % 3) * 2;  // three categories keep collisions likely
      SnippetArray shown = list(k);
      int op = int(rng() % 6);
      SaveOutcome o;
      bool change = true;
      if (op == 4 || op == 5) {
        HistoryStep h = op == 4 ? change_undo(cat, history) : change_redo(cat, history);
        change = false;
        if (!h.any) continue;
        ASSERT_TRUE(h.outcome.saved) << h.outcome.reason.c_str();
        at += op == 4 ? -1 : 1;
      } else if (op == 0 || shown.size1 == 0) {
        std::string n = "s" + std::to_string(rng() % 4);  // names repeat
        o = change_add(cat, history, names(k), shown, make(n, "a\nb" + std::to_string(serial++)));
      } else {
        const Snippet& s = shown(int32_t(rng() % uint32_t(shown.size1)));
        if (op == 1) {
          Snippet e = s;
          e.code = (std::string(s.code.c_str()) + "\n+").c_str();
          if (rng() % 2) e.name = ("r" + std::to_string(serial++)).c_str();
          o = change_replace(cat, history, names(k), shown, s, e);
        } else if (op == 2) {
          o = change_delete(cat, history, names(k), shown, s);
        } else {
          o = change_move(cat, history, names(k), names((k + 2) % 6), shown, s);
        }
      }
      if (change) {
        ASSERT_TRUE(o.saved) << o.reason.c_str();
        states.resize(at + 1);
        states.push_back(loaded(cat));
        ++at;
        ASSERT_EQ(history.position, at);
      }
      ASSERT_EQ(loaded(cat), states[at]) << "step " << step << " op " << op;
    }
    while (change_undo(cat, history).any) --at;
    EXPECT_EQ(at, 0u);
    EXPECT_EQ(loaded(cat), states[0]);  // back to the file as the run found it
    EXPECT_EQ(read_file(ini).rfind(kOther, 0), 0u);
  }
}

// A full disk (the write fails) refuses every kind of step: the file, the
// caller's list and the history stay as they were.
TEST_F(ChangesFolder, AFailedStepChangesNothingAndDoesNotAdvanceTheHistory) {
  write_file(ini, "[Types]\r\nNAME0=a\r\nCODE0=A\r\nNAME1=b\r\nCODE1=B\r\n");
  SnippetArray shown = list(1);
  ASSERT_TRUE(change_delete(cat, history, names(1), shown, shown(0)).saved);
  std::string after = read_file(ini);
  shown = list(1);
  safe_write_fail_at(SafeWriteStep::write);
  SaveOutcome o = change_move(cat, history, names(1), names(2), shown, shown(0));
  EXPECT_FALSE(o.saved);
  EXPECT_EQ(o.error, CatalogueError::write_failed);
  EXPECT_EQ(shown.size1, 1);
  EXPECT_EQ(history.done.size(), 1u);
  safe_write_fail_at(SafeWriteStep::rename);
  HistoryStep h = change_undo(cat, history);
  EXPECT_TRUE(h.any);
  EXPECT_FALSE(h.outcome.saved);
  EXPECT_EQ(history.position, 1u);
  EXPECT_EQ(read_file(ini), after);
  h = change_undo(cat, history);  // the next try goes through: a at number 0 again
  EXPECT_TRUE(h.outcome.saved);
  EXPECT_EQ(history.position, 0u);
  shown = list(1);
  ASSERT_EQ(shown.size1, 2);
  EXPECT_EQ(shown(0).name, "a");
  EXPECT_EQ(shown(0).number, 0);
  EXPECT_EQ(shown(1).number, 1);
}

// The child's endless round of changes: delete the first entry of Functions
// (the rest renumbered), add it back at the end, edit f10's code, move f20
// to Types and back. The model does the same on names.
struct SoakModel {
  std::vector<std::string> functions, types;
  bool edited = false;
  void op(int k) {
    switch (k % 5) {
      case 0: deleted = functions.front(); functions.erase(functions.begin()); break;
      case 1: functions.push_back(deleted); break;
      case 2: edited = !edited; break;
      case 3: functions.erase(std::find(functions.begin(), functions.end(), "f20")); types.push_back("f20"); break;
      case 4: types.pop_back(); functions.push_back("f20"); break;
    }
  }
  std::string deleted;  // the name op 0 took, for op 1
};

std::string soak_state(const Catalogue& c) {
  TvStringArray names = all_categories();
  std::string out;
  for (int k : {1, 2}) {
    SnippetArray s;
    load_category(c, names(k), s);
    std::vector<std::string> v;
    for (int32_t i = 0; i < s.size1; ++i)
      v.push_back(std::string(s(i).name.c_str()) + (s(i).name == "f10" ? std::string("=") + s(i).code.c_str() : ""));
    std::sort(v.begin(), v.end());
    for (const std::string& x : v) out += x + ",";
    out += "|";
  }
  return out;
}

std::string model_state(const SoakModel& m) {
  std::string out;
  for (const auto* list : {&m.types, &m.functions}) {
    std::vector<std::string> v;
    for (const std::string& n : *list) v.push_back(n == "f10" ? n + (m.edited ? "=B" : "=A") : n);
    std::sort(v.begin(), v.end());
    for (const std::string& x : v) out += x + ",";
    out += "|";
  }
  return out;
}

// SIGKILL at random moments of the round, 300 times: the file is always
// the state before or after the change in progress.
TEST(ChangesSoak, AKilledChangeLeavesTheFileBeforeOrAfter) {
  FastFolder folder;
  Catalogue cat;
  std::string ini = (folder.path / "CODE.INI").string();
  cat.path = ini.c_str();
  std::string base = "[Types]\nNAME0=t0\nCODE0=T\n[Functions]\n";
  SoakModel start;
  start.types = {"t0"};
  for (int i = 0; i < 30; ++i) {
    std::string n = "f" + std::to_string(i);
    base += "NAME" + std::to_string(i) + "=" + n + "\nCODE" + std::to_string(i) + "=" + (i == 10 ? "A" : "c") + "\n";
    start.functions.push_back(n);
  }
  // the changes the child has begun
  auto* started = static_cast<volatile int*>(
      mmap(nullptr, sizeof(int), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(started, MAP_FAILED);
  std::mt19937 rng(21);
  int kills = 0, max_ops = 0;
  for (int round = 0; round < 300; ++round) {
    write_file(ini, base);
    started[0] = 0;
    pid_t kid = fork();
    if (kid == 0) {
      TvStringArray names = all_categories();
      ChangeHistory h;
      h.backups.tried = true;
      for (int k = 0;; ++k) {
        SnippetArray f, t;
        load_category(cat, names(2), f);
        load_category(cat, names(1), t);
        auto find = [](SnippetArray& a, const char* n) {
          for (int32_t i = 0; i < a.size1; ++i)
            if (a(i).name == n) return a(i);
          return Snippet();
        };
        static Snippet taken;
        started[0] = k + 1;
        SaveOutcome o;
        switch (k % 5) {
          case 0:
            for (int32_t i = 0; i < f.size1; ++i)
              if (f(i).number == 0) taken = f(i);
            o = change_delete(cat, h, names(2), f, taken);
            break;
          case 1: o = change_add(cat, h, names(2), f, taken); break;
          case 2: {
            Snippet s = find(f, "f10"), e = s;
            e.code = s.code == "A" ? "B" : "A";
            o = change_replace(cat, h, names(2), f, s, e);
            break;
          }
          case 3: o = change_move(cat, h, names(2), names(1), f, find(f, "f20")); break;
          case 4: o = change_move(cat, h, names(1), names(2), t, find(t, "f20")); break;
        }
        if (!o.saved) _exit(1);
      }
    }
    // from the first change on: a slow build may take long over its start-up
    while (!started[0]) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 2500));
    kill(kid, SIGKILL);
    int status = 0;
    waitpid(kid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself in round " << round;
    ++kills;
    int n = started[0];
    max_ops = std::max(max_ops, n);
    SoakModel m = start;
    for (int k = 0; k + 1 < n; ++k) m.op(k);
    std::string before = model_state(m);
    if (n > 0) m.op(n - 1);
    std::string after = model_state(m), now = soak_state(cat);
    ASSERT_TRUE(now == before || now == after) << "round " << round << " op " << n << "\n" << now << "\n" << before;
  }
  munmap(const_cast<int*>(started), sizeof(int));
  EXPECT_EQ(kills, 300);
  RecordProperty("most_ops_in_a_round", max_ops);
}

// One program deletes the first entry again and again while another adds:
// every add lands, every delete takes one entry, no number is used twice.
TEST(ChangesRace, DeletingAndAddingAtOnceLoseAndDoubleNothing) {
  ScratchDir dir("race");
  Catalogue cat;
  std::string ini = dir / "CODE.INI";
  cat.path = ini.c_str();
  std::string base = "[Constants]\n";
  for (int i = 0; i < 60; ++i) base += "NAME" + std::to_string(i) + "=old" + std::to_string(i) + "\nCODE" + std::to_string(i) + "=x\n";
  write_file(ini, base);
  constexpr int kEach = 30;
  pid_t kids[2];
  for (int k = 0; k < 2; ++k) {
    kids[k] = fork();
    if (kids[k] != 0) continue;
    SnippetArray list;
    for (int i = 0; i < kEach; ++i) {
      SaveOutcome o;
      if (k == 0) {
        load_category(cat, "Constants", list);
        Snippet first;
        for (int32_t j = 0; j < list.size1; ++j)
          if (list(j).number == 0) first = list(j);
        o = delete_snippet(cat, "Constants", list, first);
        // the adder may have renumbered nothing but moved on: try again
        if (!o.saved && (o.error == CatalogueError::changed || o.error == CatalogueError::vanished)) --i;
        else if (!o.saved) _exit(1);
      } else {
        o = save_snippet(cat, "Constants", list, make("new" + std::to_string(i), "y"), "y");
        if (!o.saved) _exit(1);
      }
    }
    _exit(0);
  }
  for (pid_t kid : kids) {
    int status = 0;
    waitpid(kid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  SnippetArray list;
  load_category(cat, "Constants", list);
  EXPECT_EQ(list.size1, 60);
  std::vector<std::string> seen;
  for (int32_t i = 0; i < list.size1; ++i) seen.push_back(list(i).name.c_str());
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
  for (int i = 0; i < kEach; ++i) EXPECT_TRUE(std::binary_search(seen.begin(), seen.end(), "new" + std::to_string(i)));
  std::string text = read_file(ini);
  size_t keys = 0;
  for (size_t p = text.find("\nNAME"); p != std::string::npos; p = text.find("\nNAME", p + 1)) ++keys;
  EXPECT_EQ(keys, 60u);  // every NAMEn line is one loaded entry: none numbered twice or left past a gap
}

}  // namespace
