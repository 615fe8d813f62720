// The built program on a catalogue whose first snippet has a 10 MB line in
// its name and one among short lines in its code, run from outside on a
// private X server: it starts, shows the long line once the code box is
// scrolled to it, stays under 300 MB resident and closes cleanly.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/program_run.h"
#include "tests/support/scratch_dir.h"

namespace {

// The window's pixels through xwd, as brightness 0 (black) to 765 (white)
// per pixel; empty when xwd is missing or fails.
struct Shot {
  int width = 0, height = 0;
  std::vector<int> light;
};

uint32_t big_endian(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 | uint32_t(uint8_t(s[at + 2])) << 8 |
         uint8_t(s[at + 3]);
}

Shot take_shot(const ProgramRun& run, const std::string& window) {
  Shot shot;
  std::string dump;
  if (FILE* p = popen(run.on_display("xwd -silent -id " + window + " 2>/dev/null").c_str(), "r")) {
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) dump.append(buf, n);
    pclose(p);
  }
  if (dump.size() < 100) return shot;
  auto field = [&](int i) { return big_endian(dump, size_t(4 * i)); };
  uint32_t header = field(0), bits = field(11), line = field(12), lsb_first = field(7) == 0, colours = field(19);
  shot.width = int(field(4));
  shot.height = int(field(5));
  size_t data = header + 12 * size_t(colours);
  if (bits != 32 || dump.size() < data + size_t(line) * shot.height) return Shot{};
  uint32_t masks[3] = {field(14), field(15), field(16)};
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      const uint8_t* b = reinterpret_cast<const uint8_t*>(dump.data() + data + size_t(y) * line + 4 * size_t(x));
      uint32_t v = lsb_first ? b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24
                             : uint32_t(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
      int sum = 0;
      for (uint32_t m : masks) {
        if (!m) continue;
        int shift = __builtin_ctz(m);
        sum += int(((v & m) >> shift) * 255 / (m >> shift));
      }
      shot.light.push_back(sum);
    }
  return shot;
}

// Dark pixels in the window's right half: glyphs of lines that reach there.
int ink_right_half(const Shot& s) {
  int n = 0;
  for (int y = 0; y < s.height; ++y)
    for (int x = s.width / 2; x < s.width; ++x) n += s.light[size_t(y) * s.width + x] < 200;
  return n;
}

long resident_kb(pid_t pid) {
  std::string status = read_file("/proc/" + std::to_string(pid) + "/status");
  size_t at = status.find("VmRSS:");
  return at == std::string::npos ? -1 : std::atol(status.c_str() + at + 6);
}

TEST(LongLineEndToEnd, StartsShowsTheLineScrollsAndStaysSmall) {
  ProgramRun run;
  ScratchDir dir{"long_line"};
  // snipvault hands over to snipvault-desktop beside it; a writable program
  // folder means the CODE.INI beside them is used
  for (const char* name : {"snipvault", "snipvault-desktop"})
    std::filesystem::copy_file(std::filesystem::path(run.program).parent_path() / name, dir / name);
  run.program = dir / "snipvault";
  run.tmpdir = dir.str();
  std::string why = run.missing();
  if (!why.empty()) GTEST_SKIP() << why;

  std::string line(10u << 20, 'x');
  std::string code = "";
  for (int i = 0; i < 30; ++i) code += "line " + std::to_string(i) + "|";
  code += line + "|last line";
  std::string catalogue = read_file(std::string(TEST_SOURCE_ROOT) + "/data/CODE.INI");
  catalogue = std::regex_replace(catalogue, std::regex("CODE0=[^\r\n]*"), "CODE0=" + code,
                                 std::regex_constants::format_first_only);
  catalogue = std::regex_replace(catalogue, std::regex("NAME0=[^\r\n]*"), "NAME0=A" + line,
                                 std::regex_constants::format_first_only);
  write_file(dir / "CODE.INI", catalogue);

  run.start();
  ASSERT_FALSE(HasFatalFailure()) << run.log_text();
  std::string window = run.window_id();
  ASSERT_FALSE(window.empty());
  // the first frames may still be on their way: wait for a lit window
  Shot before = take_shot(run, window);
  for (int i = 0; i < 50 && !before.light.empty() && ink_right_half(before) > before.width * before.height / 4; ++i) {
    usleep(100000);
    before = take_shot(run, window);
  }

  // the wheel over the code box, below the labels in the window's middle
  ASSERT_TRUE(run.xdotool("mousemove --window " + window + " 120 160"));
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(run.xdotool("click 5"));
    usleep(150000);
  }
  usleep(500000);
  Shot after = take_shot(run, window);
  if (!before.light.empty() && !after.light.empty()) {
    // the short lines stay in the left half; the long one crosses the box
    EXPECT_GT(ink_right_half(after), ink_right_half(before) + 100);
  }

  long kb = resident_kb(run.child);
  EXPECT_GT(kb, 0);
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_LT(kb, 300 * 1024) << "resident set of the program";
#endif
  ASSERT_TRUE(run.close_window());
  run.expect_clean_end();
}

}  // namespace
