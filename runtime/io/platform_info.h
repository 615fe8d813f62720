// platform_info.h - the keyed query for facts about the platform: device
// kind, machine id, time, battery, build stamp, language, documents folder
// and OpenGL entry points; and the process's command line.
#pragma once
#include <cstdint>
#include <string>
#include "runtime/values/tv_string.h"

TvString platform_info(const TvString& key);

// Steps from a language code to the two-letter code of "LOCALE":
// lower case, "eng"/"english-uk" -> "uk", cut to two letters, then
// c->us, el->gr, du->nl, am->us, en->us, ja->jp, po->pl; anything that is
// not two letters then gives "us".
TvString locale_code(const std::string& language);

// "ID" of a machine serial: serial XOR a fixed mask, lowest byte first, as
// upper-case hexadecimal.
TvString machine_id_text(uint32_t serial);

// The test behind "GLEXT:"; the window code may put its own in place.
extern bool (*gl_entry_point_test)(const char* name);

// Build date and time joined by "-", e.g. "Jun 22 2010-19:53:59".
TvString build_stamp();
// Eight lower-case hexadecimal digits, fixed when the program is built.
TvString host_id();

// The whole command line, program name included, as the desktop shows it;
// the entry fills it at start-up.
extern TvString command_line;
// The whole command line of the process.
TvString get_command_line();
