// main.cpp - process entry of Snipvault. Until the viewer exists the main
// program only shows that the frame's start-up and end path work: it builds,
// joins and converts a few strings and writes them to the log.
#include "runtime/frame/entry.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/frame/settings.h"
#include "runtime/values/errors.h"

namespace {
void snipvault_main() {
  log_line(app_name + " " + build_stamp() + " host " + host_id());
  log_line("window " + string_from_int(project_settings.screen_width) + " x " +
           string_from_int(project_settings.screen_height) + ", frame " +
           string_from_number(1000.0 / project_settings.frame_rate) + " ms");
  log_line("command line: " + command_line);
  log_line(last_error_text());
}
}  // namespace

int main(int argc, char** argv) { program_entry(argc, argv, snipvault_main); }
