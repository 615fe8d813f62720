// launcher.cpp - process entry of `snipvault`: a command runs here, in a
// program file without the desktop's libraries, so it starts as quickly as
// a small tool; no command (or only --pick) becomes the desktop program,
// snipvault-desktop beside this file, in this same process.
#include <string>

#include "app/cli.h"
#include "runtime/platform/process_info.h"
#include "runtime/platform/terminal.h"

int main(int argc, char** argv) {
  if (cli_wants_command(argc, argv)) return cli_main(argc, argv);
  platform_start_mark("launcher");
  std::string line = "snipvault: cannot start the desktop program " + cli_hand_over_to_desktop(argc, argv) + "\n";
  platform_write_all(kStandardError, line.data(), line.size());
  return 1;
}
