// io_exit.cpp - the list of end-of-program hooks of the I/O modules.
#include "runtime/io/io_exit.h"

#include <cstddef>
#include <vector>

namespace {
std::vector<IoExitHook>& hooks() {
  static std::vector<IoExitHook> list;
  return list;
}
}  // namespace

void io_at_exit(IoExitHook hook) {
  if (!hook) return;
  for (IoExitHook h : hooks())
    if (h == hook) return;
  hooks().push_back(hook);
}

void io_run_exit_hooks() {
  // a hook may register another; index so the list may grow underneath
  for (std::size_t i = 0; i < hooks().size(); ++i) {
    hooks()[i]();
  }
}
