// clipboard_x11.h - the X11 side of the clipboard (clipboard_x11.cpp),
// shared by the public calls in clipboard.cpp and the keeper process
// (clipboard_keeper.cpp). Plain types only: Xlib stays in the .cpp files.
#pragma once
#include <cstddef>
#include <memory>
#include <string>

namespace x11clip {

// How a read ended.
enum class Read { text, no_text, failed, no_display };

// Reads the CLIPBOARD selection on a fresh connection, the incremental
// transfer included: UTF-8 (`utf8` true) or Latin-1 text, whole.
Read read_clipboard(std::string& text, bool& utf8);

// The owner: one connection, one unmapped window, the offered text and the
// incremental transfers in progress. Used by one thread at a time.
class Owner {
 public:
  // Opens the connection; null without a display.
  static std::unique_ptr<Owner> open();
  ~Owner();

  // Takes the clipboard for `latin1`; false when the server refused.
  bool offer(const std::string& latin1);
  // Takes the clipboard from `previous` only if that window still owns it
  // (checked and taken with the server grabbed); false otherwise.
  bool take_over(const std::string& latin1, unsigned long previous);
  bool owns() const;
  const std::string& text() const;
  unsigned long window() const;
  int fd() const;
  bool alive() const;

  // Answers every waiting event (requests, pieces of transfers, the loss
  // of the clipboard).
  void handle_events();
  // Handles events until the clipboard is lost (and its last transfer
  // done), `stop_fd` (if >= 0) becomes readable or `ms` (if >= 0) passed.
  void serve(int stop_fd, int ms);
  // A transfer in pieces is under way.
  bool busy() const;
  // Asks the clipboard manager, if any, to save the offered text, serving
  // its requests meanwhile; true when it confirmed within `ms`.
  bool hand_to_manager(int ms);

  struct State;
 private:
  std::unique_ptr<State> s;
};

// Our private argument that makes the program binary a keeper.
inline constexpr const char* kKeeperArgument = "--snipvault-clipboard-keeper";

// Starts the keeper process for `latin1`, taking over from `owner_window`;
// true once it owns the clipboard.
bool start_keeper(const std::string& latin1, unsigned long owner_window);

// Before the window's video starts: SDL keeps the handler it finds and puts
// it back when its video ends, so ours must be the one it finds, or an error
// on our connections during that end would reach Xlib's, which exits.
void install_error_handlers_early();

}  // namespace x11clip
