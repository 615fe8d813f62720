// main.cpp - process entry of Snipvault: the runtime starts up (window,
// input, the program's folder as the current folder) and runs the viewer.
#include "app/viewer.h"
#include "runtime/frame/entry.h"
#include "runtime/frame/settings.h"
#include "runtime/io/filesystem.h"
#include "runtime/io/platform_info.h"
#include "runtime/values/tv_convert.h"
#include "runtime/platform/log.h"
#include "runtime/values/errors.h"

namespace {

void snipvault_main() {
  log_line((app_name + " " + build_stamp() + " host " + host_id()).c_str());
  log_line(last_error_text().c_str());
  // the benchmarks end the program after this many frames
  viewer_main(int32_t(string_to_number(get_env("SNIPVAULT_END_AFTER_FRAMES"))));
}

}  // namespace

int main(int argc, char** argv) { program_entry(argc, argv, snipvault_main); }
