// process.cpp - run_process and shell_execute over runtime/platform/child_process.h.
#include "runtime/io/process.h"

#include "runtime/platform/child_process.h"
#include "runtime/platform/log.h"
#include "runtime/platform/platform_files.h"
#include "runtime/platform/utf8_text.h"
#include "runtime/values/errors.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> split_command_line(const char* line) {
  std::vector<std::string> args;
  const char* p = line ? line : "";
  while (is_blank(*p)) ++p;
  if (!*p) return args;

  // the program name: no escapes, a quote only groups
  std::string name;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') name += *p++;
    if (*p == '"') ++p;
  } else {
    while (*p && !is_blank(*p)) name += *p++;
  }
  args.push_back(name);

  for (;;) {
    while (is_blank(*p)) ++p;
    if (!*p) break;
    std::string arg;
    bool quoted = false;
    while (*p && (quoted || !is_blank(*p))) {
      size_t slashes = 0;
      while (*p == '\\') {
        ++slashes;
        ++p;
      }
      if (*p == '"') {
        arg.append(slashes / 2, '\\');
        if (slashes % 2) {
          arg += '"';
          ++p;
        } else if (quoted && p[1] == '"') {
          arg += '"';
          p += 2;
        } else {
          quoted = !quoted;
          ++p;
        }
      } else {
        arg.append(slashes, '\\');
        if (*p && (quoted || !is_blank(*p))) arg += *p++;
      }
    }
    args.push_back(arg);
  }
  return args;
}

int32_t run_process(const TvString& command_line, int32_t wait, int32_t show, double& exit_code) {
  (void)show;  // programs here have no window the runtime could show or hide
  std::vector<std::string> args = split_command_line(command_line.c_str());
  if (args.empty()) return 0;
  int code = 0;
  if (!platform_run(args, wait != 0, &code)) return 0;
  if (wait) exit_code = code;
  return 1;
}

void shell_execute(const TvString& name) {
  end_path_shut_down();
  std::string target(name.c_str(), name.length);
  // a file that exists is handed over byte for byte; anything else (a web
  // address, a name typed by the user) is text and goes to the desktop as UTF-8
  if (!platform_file_exists(target.c_str())) target = platform_latin1_to_utf8(target);
  if (!platform_run({"xdg-open", target}, false, nullptr)) {
    std::string line = "shell_execute: no desktop opener (xdg-open) for " + std::string(name.c_str());
    log_line(line.c_str());
  }
  end_path_exit();
}
