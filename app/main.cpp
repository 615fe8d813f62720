// main.cpp - process entry of Snipvault. Until the viewer exists the main
// program only shows that the frame's start-up and end path work: it builds,
// joins and converts a few strings and writes them to the log.
#include "runtime/frame/entry.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/frame/settings.h"
#include "runtime/values/errors.h"

namespace {
void snipvault_main() {
  TvString line("Snipvault ");
  string_append(line, build_stamp());
  string_append(line, " host ");
  string_append(line, host_id());
  log_line(line);
  string_assign(line, "command line: ");
  string_append(line, command_line);
  log_line(line);
  log_line(last_error_text());
}
}  // namespace

int main(int argc, char** argv) { program_entry(argc, argv, snipvault_main); }
