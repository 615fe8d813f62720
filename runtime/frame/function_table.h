// function_table.h - the program's table of (function, name) pairs, through
// which the runtime calls program functions by name, and the state of the
// two optional hooks TVX_ON_QUIT and TVX_WIN32_MSG.
#pragma once
#include <cstdint>

using ProgramFunction = void (*)();

struct FunctionTableEntry {
  ProgramFunction function;  // null ends the table
  const char* name;
};

// The program's table; the program hands it over at entry. Never null: an
// empty table (just the end pair) stands in until then.
extern const FunctionTableEntry* FunctionTable;
void set_function_table(const FunctionTableEntry* table);

// Function of exactly that name (byte-wise), or null.
ProgramFunction find_function(const char* name);
// 1 if a function of that name exists and was called, else 0. A missing name
// other than the two hooks is reported on the debug channel.
int32_t call_by_name(const char* name);

// TVX_ON_QUIT runs at most once per run.
extern bool quit_hook_done;
// Cached look-up of TVX_WIN32_MSG: -1 not looked up yet, 0 absent, 1 present.
extern int32_t message_hook_state;
extern ProgramFunction message_hook;
// Looks TVX_WIN32_MSG up on first use and returns the cached hook (or null).
ProgramFunction lookup_message_hook();
