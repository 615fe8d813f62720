// The platform-information keys, the language mapping under controlled
// locale variables, the battery under a sandboxed supply folder and the
// documents folder from a controlled desktop configuration.
#include <gtest/gtest.h>

#include "tests/io/platform_test_util.h"
#include "runtime/frame/entry.h"
#include "runtime/frame/settings.h"
#include "runtime/io/platform_info.h"
#include "runtime/platform/machine_info.h"


namespace {
std::string info(const char* key) { return platform_info(TvString(key)).c_str(); }

// Text against a shape: '9' stands for a decimal digit, 'X' for an
// upper-case hexadecimal digit, anything else for itself.
bool has_shape(const std::string& text, const std::string& shape) {
  if (text.size() != shape.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    bool digit = c >= '0' && c <= '9';
    if (shape[i] == '9' ? !digit : shape[i] == 'X' ? !(digit || (c >= 'A' && c <= 'F')) : c != shape[i])
      return false;
  }
  return true;
}
}  // namespace

TEST(PlatformInfo, FixedKeysAndCase) {
  EXPECT_EQ(info(""), "LINUX");
  EXPECT_EQ(info("DEVICE"), "DESKTOP");
  EXPECT_EQ(info("device"), "DESKTOP");
  EXPECT_EQ(info("XYZ"), "NO_DATA");
  EXPECT_EQ(info("ID "), "NO_DATA");
  EXPECT_EQ(info("COMPILED"), build_stamp().c_str());
  EXPECT_EQ(info("hostid"), host_id().c_str());
  EXPECT_TRUE(has_shape(info("TIME"), "9999-99-99 99:99:99")) << info("TIME");
  std::string battery = info("BATTERY");
  EXPECT_TRUE(has_shape(battery, "9") || has_shape(battery, "99") || has_shape(battery, "999")) << battery;
}

TEST(PlatformInfo, MachineIdForm) {
  std::string id = info("ID");
  EXPECT_TRUE(has_shape(id, "XXXXXXXX")) << id;
  EXPECT_EQ(id, info("id"));
  // the mask's bytes, lowest first, and a serial that cancels it
  EXPECT_STREQ(machine_id_text(0).c_str(), "E1963C5A");
  EXPECT_STREQ(machine_id_text(0x5A3C96E1u ^ 0x04030201u).c_str(), "01020304");

  uint32_t serial = 0;
  EXPECT_TRUE(platform_fold_machine_id("0123456789abcdef0011223344556677\n", serial));
  EXPECT_EQ(serial, 0x01234567u ^ 0x89ABCDEFu ^ 0x00112233u ^ 0x44556677u);
  EXPECT_FALSE(platform_fold_machine_id("0123", serial));
  EXPECT_FALSE(platform_fold_machine_id("0123456789abcdef00112233445566zz", serial));
}

TEST(PlatformInfo, GlEntryPointNeedsContextAndKeepsNameCase) {
  EXPECT_EQ(info("GLEXT:"), "0");
  EXPECT_EQ(info("GLEXT:glDrawRangeElements"), "0");  // no OpenGL context here

  static std::string asked;
  auto saved = gl_entry_point_test;
  gl_entry_point_test = [](const char* name) {
    asked = name;
    return std::string(name) == "glDrawRangeElements";
  };
  EXPECT_EQ(info("glext:glDrawRangeElements"), "1");
  EXPECT_EQ(asked, "glDrawRangeElements");
  EXPECT_EQ(info("GLEXT:GLDRAWRANGEELEMENTS"), "0");
  asked.clear();
  EXPECT_EQ(info("GLEXT:"), "0");
  EXPECT_EQ(asked, "");
  gl_entry_point_test = nullptr;
  EXPECT_EQ(info("GLEXT:glDrawRangeElements"), "0");
  gl_entry_point_test = saved;
}

TEST(Locale, CodeSteps) {
  struct Case {
    const char* language;
    const char* code;
  } cases[] = {
      {"de", "de"}, {"DE", "de"},  {"eng", "uk"},     {"English-UK", "uk"}, {"english", "us"},
      {"en", "us"}, {"el", "gr"},  {"du", "nl"},      {"ja", "jp"},         {"po", "pl"},
      {"am", "us"}, {"c", "us"},   {"uk", "uk"},      {"pt", "pt"},         {"fil", "fi"},
      {"", "us"},   {"x", "us"},   {"x-klingon", "us"}, {"1a", "us"},
  };
  for (const Case& c : cases) EXPECT_STREQ(locale_code(c.language).c_str(), c.code) << c.language;
}

TEST(Locale, FromLocaleVariables) {
  struct Case {
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    const char* code;
  } cases[] = {
      {nullptr, nullptr, nullptr, "us"},
      {nullptr, nullptr, "de_DE.UTF-8", "de"},
      {nullptr, "el_GR.UTF-8", "de_DE.UTF-8", "gr"},
      {"ja_JP.eucJP", "el_GR", "de_DE", "jp"},
      {"", "", "nl_NL@euro", "nl"},
      {nullptr, nullptr, "en_GB.UTF-8", "us"},
      {nullptr, nullptr, "uk_UA.UTF-8", "uk"},
      {nullptr, nullptr, "C", "us"},
      {nullptr, nullptr, "C.UTF-8", "us"},
      {nullptr, nullptr, "POSIX", "us"},  // not cut to "po" and mistaken for Polish
      {"C", nullptr, "de_DE.UTF-8", "us"},
      {nullptr, nullptr, "pl_PL", "pl"},
  };
  for (const Case& c : cases) {
    EnvGuard a("LC_ALL", c.lc_all), m("LC_MESSAGES", c.lc_messages), l("LANG", c.lang);
    EXPECT_EQ(info("LOCALE"), c.code) << (c.lc_all ? c.lc_all : "-") << " " << (c.lang ? c.lang : "-");
    EXPECT_EQ(info("locale"), c.code);
  }
}

TEST(Battery, SandboxedSupplyFolder) {
  ScratchDir dir;
  EXPECT_EQ(platform_battery_percent(dir.str().c_str()), 255);
  EXPECT_EQ(platform_battery_percent((dir / "missing").c_str()), 255);

  fs::create_directories(dir / "AC");
  write_file(dir / "AC/type", "Mains\n");
  write_file(dir / "AC/capacity", "100\n");
  EXPECT_EQ(platform_battery_percent(dir.str().c_str()), 255);

  fs::create_directories(dir / "BAT0");
  write_file(dir / "BAT0/type", "Battery\n");
  write_file(dir / "BAT0/capacity", "garbage\n");
  EXPECT_EQ(platform_battery_percent(dir.str().c_str()), 255);

  write_file(dir / "BAT0/capacity", "42\n");
  EXPECT_EQ(platform_battery_percent(dir.str().c_str()), 42);
  fs::create_directories(dir / "BAT1");
  write_file(dir / "BAT1/type", "Battery\n");
  write_file(dir / "BAT1/capacity", "80\n");
  EXPECT_EQ(platform_battery_percent(dir.str().c_str()), 61);
}

TEST(Documents, FromDesktopUserDirs) {
  ScratchDir dir;
  std::string home = dir / "home";
  fs::create_directories(home);
  EnvGuard h("HOME", home.c_str()), c("XDG_CONFIG_HOME", (dir / "config").c_str());

  EXPECT_EQ(info("DOCUMENTS"), "NO_DATA");  // nothing configured, no Documents folder
  fs::create_directories(home + "/Documents");
  EXPECT_EQ(info("DOCUMENTS"), home + "/Documents");

  fs::create_directories(dir / "config");
  write_file(dir / "config/user-dirs.dirs",
             "# written by the desktop\n"
             "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
             "#XDG_DOCUMENTS_DIR=\"$HOME/Old\"\n"
             "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Papers\\\"/\"\n");
  EXPECT_EQ(info("documents"), home + "/My \"Papers\"");

  write_file(dir / "config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
  EXPECT_EQ(info("DOCUMENTS"), "/srv/docs");
}

TEST(CommandLine, QueryAnswersTheWholeLine) {
  TvString saved = command_line;
  command_line = TvString("\"/opt/my app/snipvault\" one");
  EXPECT_STREQ(get_command_line().c_str(), "\"/opt/my app/snipvault\" one");
  command_line = saved;
}
