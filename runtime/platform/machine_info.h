// machine_info.h - facts about the machine and the user's desktop settings: the
// machine's identity, the battery charge, the user's language, the documents
// folder and the local time.
#pragma once
#include <cstdint>
#include <string>

// A 32-bit number that identifies this machine: /etc/machine-id folded to 32
// bits, else the root file system's id. False when neither can be read.
bool platform_machine_serial(uint32_t& serial);
// Folds the hexadecimal text of a machine id to 32 bits; false if the text
// is not 32 hexadecimal digits (a trailing line end is allowed).
bool platform_fold_machine_id(const std::string& text, uint32_t& serial);

// Battery charge in percent (0..100) over every battery below `supply_dir`
// (normally /sys/class/power_supply); 255 when no battery tells its charge.
int platform_battery_percent(const char* supply_dir = "/sys/class/power_supply");

// The language part of the user's message locale (LC_ALL, then LC_MESSAGES,
// then LANG, the first one set and not empty): "de" of "de_DE.UTF-8".
// Empty when none is set or the locale is "C" or "POSIX".
std::string platform_user_language();

// The desktop's documents folder (XDG user dirs), without a trailing "/";
// false when the desktop cannot tell.
bool platform_documents_dir(std::string& dir);

struct PlatformLocalTime {
  int year, month, day, hour, minute, second;
};
PlatformLocalTime platform_local_time();
