// file_dialog.cpp - zenity and kdialog behind file_dialog.h. Both
// print the chosen path on standard output and end with 0; anything else
// (cancel, no display, an error) counts as cancelled.
#include "runtime/platform/file_dialog.h"

#include <cstdlib>
#include <cstring>

#include "runtime/platform/child_process.h"

namespace {

bool on_kde_desktop() {
  const char* d = std::getenv("XDG_CURRENT_DESKTOP");
  return d && std::strstr(d, "KDE") != nullptr;
}

std::string with_slash(const std::string& dir) {
  if (dir.empty() || dir.back() == '/') return dir;
  return dir + "/";
}

std::vector<std::string> zenity_args(bool open, const std::vector<PlatformFileFilter>& filters,
                                     const std::string& start_dir) {
  std::vector<std::string> args = {"zenity", "--file-selection"};
  args.push_back(open ? "--title=Open" : "--title=Save As");
  if (!open) args.push_back("--save");
  args.push_back("--filename=" + with_slash(start_dir));
  for (const PlatformFileFilter& f : filters) {
    std::string arg = "--file-filter=" + f.description + " |";
    for (const std::string& p : f.patterns) arg += " " + p;
    args.push_back(arg);
  }
  return args;
}

std::vector<std::string> kdialog_args(bool open, const std::vector<PlatformFileFilter>& filters,
                                      const std::string& start_dir) {
  std::vector<std::string> args = {"kdialog", "--title", open ? "Open" : "Save As"};
  args.push_back(open ? "--getopenfilename" : "--getsavefilename");
  args.push_back(with_slash(start_dir));
  std::string filter;
  for (const PlatformFileFilter& f : filters) {
    if (!filter.empty()) filter += "\n";
    std::string pats;
    for (const std::string& p : f.patterns) pats += (pats.empty() ? "" : " ") + p;
    filter += pats + "|" + f.description;
  }
  if (!filter.empty()) args.push_back(filter);
  return args;
}

}  // namespace

std::string platform_file_dialog_helper() {
  std::string path;
  const char* order[2] = {"zenity", "kdialog"};
  if (on_kde_desktop()) std::swap(order[0], order[1]);
  for (const char* name : order) {
    if (platform_find_program(name, path)) return name;
  }
  return "";
}

PlatformDialogResult platform_file_dialog(bool open, const std::vector<PlatformFileFilter>& filters,
                              const std::string& start_dir, std::string& chosen) {
  chosen.clear();
  std::string helper = platform_file_dialog_helper();
  if (helper.empty()) return PlatformDialogResult::unavailable;
  std::vector<std::string> args = helper == "zenity" ? zenity_args(open, filters, start_dir)
                                                     : kdialog_args(open, filters, start_dir);
  std::string output;
  int code = -1;
  if (!platform_run_capture(args, output, code)) return PlatformDialogResult::unavailable;
  if (!output.empty() && output.back() == '\n') output.pop_back();
  if (code != 0 || output.empty()) return PlatformDialogResult::cancelled;
  chosen = output;
  return PlatformDialogResult::chosen;
}
