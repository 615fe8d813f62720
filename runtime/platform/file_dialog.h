// file_dialog.h - the desktop's own modal open and save dialogs, shown by
// a helper program (zenity, or kdialog on a KDE desktop or when zenity is
// missing). All texts here are UTF-8, as the desktop takes them.
#pragma once
#include <string>
#include <vector>

struct PlatformFileFilter {
  std::string description;
  std::vector<std::string> patterns;  // "*.txt", "*.*" for everything
};

enum class PlatformDialogResult { chosen, cancelled, unavailable };

// The helper program the dialog would use ("" when none is installed).
std::string platform_file_dialog_helper();

// Shows the dialog starting in `start_dir` with an empty file name.
// `chosen` receives the chosen path.
PlatformDialogResult platform_file_dialog(bool open, const std::vector<PlatformFileFilter>& filters,
                              const std::string& start_dir, std::string& chosen);

