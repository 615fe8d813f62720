// platform_info.cpp - platform_info and its keys, over runtime/platform/machine_info.h.
#include "runtime/io/platform_info.h"

#include <cstdio>
#include <cstring>

#include "runtime/platform/gl_entry.h"
#include "runtime/platform/machine_info.h"
#include "runtime/values/ascii_case.h"

bool (*gl_entry_point_test)(const char* name) = platform_gl_entry_point;
TvString command_line;

TvString build_stamp() { return TvString(__DATE__ "-" __TIME__); }

namespace {
// The host id is derived from the build's own date and time, so it is fixed
// per build and needs nothing from the build machine.
constexpr uint32_t build_hash(const char* s) {
  uint32_t h = 2166136261u;
  for (; *s; ++s) h = (h ^ uint8_t(*s)) * 16777619u;
  return h;
}
constexpr uint32_t kHostId = build_hash(__DATE__ " " __TIME__ " snipvault");
}  // namespace

TvString host_id() {
  static const char digits[] = "0123456789abcdef";
  char text[9];
  for (int i = 0; i < 8; ++i) text[i] = digits[(kHostId >> (28 - 4 * i)) & 15];
  text[8] = 0;
  return TvString(text);
}

namespace {

const uint32_t kIdMask = 0x5A3C96E1u;
const uint32_t kFallbackSerial = 0x1B2D3F40u;

TvString text_of(const std::string& s) { return TvString(s.data(), uint32_t(s.size())); }

}  // namespace

TvString locale_code(const std::string& language) {
  std::string code = language;
  ascii_lower_in_place(code);
  if (code == "eng" || code == "english-uk")
    code = "uk";
  else if (code.size() > 2)
    code.resize(2);
  static const char* const kReplace[][2] = {{"c", "us"},  {"el", "gr"}, {"du", "nl"}, {"am", "us"},
                                            {"en", "us"}, {"ja", "jp"}, {"po", "pl"}};
  for (const auto& r : kReplace) {
    if (code == r[0]) {
      code = r[1];
      break;
    }
  }
  if (code.size() != 2 || !ascii_is_letter(code[0]) || !ascii_is_letter(code[1])) code = "us";
  return text_of(code);
}

TvString machine_id_text(uint32_t serial) {
  uint32_t v = serial ^ kIdMask;
  char buf[9];
  std::snprintf(buf, sizeof buf, "%02X%02X%02X%02X", v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF,
                (v >> 24) & 0xFF);
  return TvString(buf);
}

TvString platform_info(const TvString& key) {
  std::string k(key.c_str(), key.length);
  ascii_upper_in_place(k);

  if (k.empty()) return TvString("LINUX");
  if (k.compare(0, 6, "GLEXT:") == 0) {
    // the entry-point name keeps the case in which it was passed
    std::string name(key.c_str() + 6, key.length - 6);
    bool found = !name.empty() && gl_entry_point_test && gl_entry_point_test(name.c_str());
    return TvString(found ? "1" : "0");
  }
  if (k == "ID") {
    uint32_t serial;
    if (!platform_machine_serial(serial)) serial = kFallbackSerial;
    return machine_id_text(serial);
  }
  if (k == "DEVICE") return TvString("DESKTOP");
  if (k == "TIME") {
    PlatformLocalTime t = platform_local_time();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return TvString(buf);
  }
  if (k == "BATTERY") {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", platform_battery_percent());
    return TvString(buf);
  }
  if (k == "COMPILED") return build_stamp();
  if (k == "HOSTID") return host_id();
  if (k == "LOCALE") return locale_code(platform_user_language());
  if (k == "DOCUMENTS") {
    std::string dir;
    if (!platform_documents_dir(dir)) return TvString("NO_DATA");
    return text_of(dir);
  }
  return TvString("NO_DATA");
}

TvString get_command_line() { return command_line; }
