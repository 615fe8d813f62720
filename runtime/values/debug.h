// debug.h - the debug channel and what uses it: debug_out, assertions,
// break points, binding of external functions, and the program's inline
// data lists.
//
// Debug text reaches an attached debugger and nowhere else: the platform is
// asked at every call, and without a debugger the text is dropped. Texts the
// runtime produces start with "TX"; break-point notices with "BP".
#pragma once
#include <cstdint>
#include "runtime/values/tv_string.h"

// "TX" + text to the debug channel.
void debug_out(const char* text);
inline void debug_out(const TvString& text) { debug_out(text.c_str()); }

// Zero ends the program with error 21 (after a "TX" notice to a debugger).
void debug_assert(double value);

// With a debugger attached: "BP" + value in lower-case hex, then the input
// state forgets held keys through debug_break_input_reset.
void debug_break(int32_t value);

// Set by the input service; called after a break point so that keys held
// while the debugger had control do not stay pressed. Null until then.
extern void (*debug_break_input_reset)();

// Replaces the debugger query and the writer of the debug channel (tests
// use this to watch the channel); null arguments restore the platform's.
void debug_channel_redirect(bool (*attached)(), void (*write)(const char* text));

// ---- external functions ----------------------------------------------------

// Loads the module (name lower-cased, each module once) and returns the
// procedure's address, or null. A module that cannot be loaded is reported
// on the debug channel as "TXDECLARE module not found: <name>\n".
void* bind_external(const char* module, const char* procedure);
// Number of modules loaded so far through bind_external.
int32_t bound_module_count();
// Set on every bind_external call: from then on the program runs external code.
extern bool external_code_used;
extern bool external_code_guard;

// ---- inline data lists -----------------------------------------------------

struct DataItem {
  bool is_text;
  double number;
  const char* text;
};

struct DataList {
  const DataItem* items;
  int32_t count;
  int32_t cursor;  // next item to read; each list keeps its own
};

// Makes the list current; reads continue from the list's own cursor.
void data_restore(DataList& list);
// Next item as text (numbers through string_from_number); past the end or
// without a current list the program ends with error 20.
TvString data_read_text();
// Next item as a number (texts through string_to_number); error 20 as above.
double data_read_number();
