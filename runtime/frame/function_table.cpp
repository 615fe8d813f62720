// function_table.cpp - name look-up in the program's function table.
#include "runtime/frame/function_table.h"

#include <cstring>

#include "runtime/values/debug.h"
#include "runtime/values/tv_string.h"

namespace {
const FunctionTableEntry empty_table[] = {{nullptr, nullptr}};
}

const FunctionTableEntry* FunctionTable = empty_table;
bool quit_hook_done = false;
int32_t message_hook_state = -1;
ProgramFunction message_hook = nullptr;

void set_function_table(const FunctionTableEntry* table) {
  FunctionTable = table ? table : empty_table;
  message_hook_state = -1;
  message_hook = nullptr;
}

ProgramFunction find_function(const char* name) {
  if (!name) return nullptr;
  for (const FunctionTableEntry* e = FunctionTable; e->function; ++e)
    if (e->name && std::strcmp(e->name, name) == 0) return e->function;
  return nullptr;
}

int32_t call_by_name(const char* name) {
  ProgramFunction f = find_function(name);
  if (f) {
    f();
    return 1;
  }
  if (!name) name = "";
  if (std::strcmp(name, "TVX_ON_QUIT") != 0 && std::strcmp(name, "TVX_WIN32_MSG") != 0) {
    TvString text("CALLBYNAME \"");
    string_append(text, name);
    string_append(text, "\" *** failed ***\n");
    debug_out(text);
  }
  return 0;
}

ProgramFunction lookup_message_hook() {
  if (message_hook_state < 0) {
    message_hook = find_function("TVX_WIN32_MSG");
    message_hook_state = message_hook ? 1 : 0;
  }
  return message_hook;
}
