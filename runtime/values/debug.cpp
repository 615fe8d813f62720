// debug.cpp - debug channel, assertions, break points and external modules.
#include "runtime/values/debug.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "runtime/platform/process_info.h"
#include "runtime/values/errors.h"
#include "runtime/values/ascii_case.h"

void (*debug_break_input_reset)() = nullptr;
bool external_code_used = false;
bool external_code_guard = false;

namespace {
bool (*channel_attached)() = platform_debugger_attached;
void (*channel_write)(const char*) = platform_debug_write;

// Sends prefix + text as one piece, only while a debugger is attached.
void channel_send(const char* prefix, const char* text) {
  if (!channel_attached()) return;
  TvString line(prefix);
  string_append(line, text ? text : "");
  channel_write(line.c_str());
}

struct BoundModule {
  TvString name;  // lower-case
  void* handle;
};
constexpr int32_t kModuleGrowth = 8;
BoundModule* modules = nullptr;
int32_t module_count = 0;
int32_t module_capacity = 0;

void* find_or_load_module(const TvString& name) {
  for (int32_t i = 0; i < module_count; ++i)
    if (string_equal(modules[i].name, name)) return modules[i].handle;
  void* handle = platform_load_module(name.c_str());
  if (!handle) return nullptr;
  if (module_count + 1 > module_capacity) {
    int32_t cap = (module_count + 1 + kModuleGrowth) / kModuleGrowth * kModuleGrowth;
    auto* grown = new (std::nothrow) BoundModule[size_t(cap)];
    if (!grown) return handle;  // still usable, just not remembered
    for (int32_t i = 0; i < module_count; ++i) {
      string_swap(grown[i].name, modules[i].name);
      grown[i].handle = modules[i].handle;
    }
    delete[] modules;
    modules = grown;
    module_capacity = cap;
  }
  modules[module_count].name = name;
  modules[module_count].handle = handle;
  ++module_count;
  return handle;
}
}  // namespace

void debug_channel_redirect(bool (*attached)(), void (*write)(const char*)) {
  channel_attached = attached ? attached : platform_debugger_attached;
  channel_write = write ? write : platform_debug_write;
}

void debug_out(const char* text) { channel_send("TX", text); }

void debug_assert(double value) {
  if (value != 0) return;
  debug_out("Assertion: Value = 0\n");
  fail(ERR_ASSERTION);
}

void debug_break(int32_t value) {
  if (!channel_attached()) return;
  char hex[16];
  std::snprintf(hex, sizeof hex, "%x", uint32_t(value));
  channel_send("BP", hex);
  if (debug_break_input_reset) debug_break_input_reset();
}

void* bind_external(const char* module, const char* procedure) {
  external_code_used = true;
  external_code_guard = true;
  TvString name(module ? module : "");
  ascii_lower_in_place(name.data, name.length);
  void* handle = find_or_load_module(name);
  if (!handle) {
    TvString text("DECLARE module not found: ");
    string_append(text, name);
    string_append(text, "\n");
    debug_out(text);
    return nullptr;
  }
  return platform_module_symbol(handle, procedure ? procedure : "");
}

int32_t bound_module_count() { return module_count; }
