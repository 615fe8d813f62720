// main.cpp - process entry of snipvault-desktop: the runtime starts up
// (window, input, the program's folder as the current folder) and runs the
// viewer; a command (cli.h) runs without them, with the desktop clipboard.
#include <cstring>

#include "app/cli.h"
#include "app/viewer.h"
#include "runtime/platform/clipboard.h"
#include "runtime/frame/entry.h"
#include "runtime/frame/settings.h"
#include "runtime/io/filesystem.h"
#include "runtime/io/platform_info.h"
#include "runtime/values/tv_convert.h"
#include "runtime/platform/log.h"
#include "runtime/platform/process_info.h"
#include "runtime/values/errors.h"

namespace {

bool pick_mode = false;  // --pick: straight into the search dialog

void snipvault_main() {
  log_line((app_name + " " + build_stamp() + " host " + host_id()).c_str());
  log_line(last_error_text().c_str());
  // the benchmarks end the program after this many frames
  viewer_main(int32_t(string_to_number(get_env("SNIPVAULT_END_AFTER_FRAMES"))), pick_mode);
}

// copy returns once the text is with the desktop's clipboard manager or
// our keeper process, so it stays after the command has ended.
bool desktop_clipboard(const std::string& latin1, std::string& why) {
  if (!platform_clipboard_set(latin1)) {
    why = "the desktop refused the text or there is no display";
    return false;
  }
  if (platform_clipboard_keep_after_exit() != ClipboardKept::lost) return true;
  why = "neither a clipboard manager nor a keeper process could take the text";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  pick_mode = argc == 2 && std::strcmp(argv[1], "--pick") == 0;
  if (cli_wants_command(argc, argv)) {
    cli_clipboard = desktop_clipboard;
    return cli_main(argc, argv);
  }
  platform_start_mark("desktop-main");
  program_entry(argc, argv, snipvault_main);
}
