// file_request.cpp - file_request over runtime/platform/file_dialog.h.
// Texts cross to the desktop as UTF-8 and come back as Latin-1.
#include "runtime/io/file_request.h"

#include "runtime/platform/dirs.h"
#include "runtime/platform/log.h"
#include "runtime/platform/utf8_text.h"
#include "runtime/values/ascii_case.h"

namespace {
WindowStepAside window_step_aside = nullptr;
}

void set_dialog_window_step_aside(WindowStepAside step_aside) { window_step_aside = step_aside; }

std::vector<PlatformFileFilter> file_request_filters(const TvString& filter) {
  std::vector<std::string> entries;
  std::string current;
  for (uint32_t i = 0; i < filter.length; ++i) {
    if (filter.data[i] == '|') {
      entries.push_back(current);
      current.clear();
    } else {
      current += filter.data[i];
    }
  }
  entries.push_back(current);

  std::vector<PlatformFileFilter> pairs;
  for (size_t i = 0; i + 1 < entries.size(); i += 2) {
    if (entries[i].empty() || entries[i + 1].empty()) break;
    PlatformFileFilter f;
    f.description = platform_latin1_to_utf8(entries[i]);
    std::string patterns = platform_latin1_to_utf8(entries[i + 1]);
    size_t start = 0;
    for (;;) {
      size_t end = patterns.find(';', start);
      std::string p = patterns.substr(start, end == std::string::npos ? std::string::npos : end - start);
      if (!p.empty()) f.patterns.push_back(p);
      if (end == std::string::npos) break;
      start = end + 1;
    }
    if (f.patterns.empty()) break;
    pairs.push_back(f);
  }
  return pairs;
}

std::string file_request_pattern(const std::string& pattern) {
  if (pattern == "*.*") return "*";
  if (pattern.find('[') != std::string::npos) return pattern;
  std::string out;
  for (char c : pattern) {
    if (ascii_is_letter(c)) {
      out += '[';
      out += ascii_lower(c);
      out += ascii_upper(c);
      out += ']';
    } else {
      out += c;
    }
  }
  return out;
}

TvString file_request(double open, const TvString& filter) {
  if (platform_file_dialog_helper().empty()) {
    log_line("file_request: no desktop file dialog (zenity or kdialog) installed");
    return TvString("NO_FILE");
  }
  std::vector<PlatformFileFilter> filters = file_request_filters(filter);
  for (PlatformFileFilter& f : filters)
    for (std::string& p : f.patterns) p = file_request_pattern(p);
  std::string start_dir;
  bool have_dir = platform_get_current_dir(start_dir);

  if (window_step_aside) window_step_aside(true);
  std::string chosen;
  PlatformDialogResult r = platform_file_dialog(open != 0, filters, start_dir, chosen);
  if (have_dir) platform_set_current_dir(start_dir.c_str());
  if (window_step_aside) window_step_aside(false);

  if (r != PlatformDialogResult::chosen || chosen.empty()) {
    if (r == PlatformDialogResult::unavailable) log_line("file_request: the desktop file dialog did not start");
    return TvString("NO_FILE");
  }
  // a name Latin-1 cannot carry keeps the desktop's bytes, so it still opens
  std::string name;
  if (!platform_utf8_to_latin1(chosen, name)) name = chosen;
  return TvString(name.data(), uint32_t(name.size()));
}
