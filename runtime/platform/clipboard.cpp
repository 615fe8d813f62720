// clipboard.cpp - the public clipboard calls: reads, the owner thread that
// answers other programs while the program runs (even while it is busy or
// a message box is up), and the keeping of the text at the program's end.
// Without an X display (a native Wayland session) SDL's clipboard stands in.
#include "runtime/platform/clipboard.h"

#include <SDL.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <algorithm>

#include "runtime/platform/clipboard_x11.h"
#include "runtime/platform/utf8_text.h"
#include "runtime/platform/window_sdl.h"

namespace {

// The owner's connection belongs to its thread; the program's thread hands
// it work through `pending` and a byte on the wake pipe.
struct OwnerThread {
  std::unique_ptr<x11clip::Owner> owner;
  std::thread thread;
  int wake[2] = {-1, -1};
  std::mutex lock;
  std::condition_variable done;
  // under `lock`
  bool has_pending = false, stop = false, answered = false, answer = false;
  std::string pending;
  bool owns = false;
  std::string offered;  // what we offer, for our own reads

  void run() {
    for (;;) {
      owner->serve(wake[0], -1);
      publish();
      if (!owner->owns() && !owner->busy()) {
        // nothing to serve: wait for work, still draining the connection
        pollfd p[2] = {{wake[0], POLLIN, 0}, {owner->fd(), POLLIN, 0}};
        if (poll(p, owner->alive() ? 2 : 1, -1) > 0 && !(p[0].revents & POLLIN)) continue;
      }
      char b[64];
      while (read(wake[0], b, sizeof b) > 0) {
      }
      std::unique_lock<std::mutex> g(lock);
      if (stop) return;
      if (has_pending) {
        has_pending = false;
        std::string text = std::move(pending);
        g.unlock();
        bool ok = owner->offer(text);
        g.lock();
        answer = ok;
        answered = true;
        done.notify_all();
      }
      g.unlock();
      publish();
    }
  }
  void publish() {
    std::lock_guard<std::mutex> g(lock);
    owns = owner->owns();
    if (!owns) offered.clear();
    else if (offered.size() != owner->text().size() || offered != owner->text()) offered = owner->text();
  }
  void poke() { (void)!write(wake[1], "x", 1); }
};

OwnerThread* owner_thread = nullptr;

OwnerThread* start_owner_thread() {
  if (owner_thread) return owner_thread;
  std::unique_ptr<x11clip::Owner> o = x11clip::Owner::open();
  if (!o) return nullptr;
  auto* t = new OwnerThread;
  if (pipe2(t->wake, O_CLOEXEC | O_NONBLOCK) != 0) {
    delete t;
    return nullptr;
  }
  t->owner = std::move(o);
  t->thread = std::thread([t] { t->run(); });
  // No exit handler keeps the text: the runtime's shut-down, which every
  // end of the program passes, does; a test program copying leaves no keeper.
  owner_thread = t;
  return t;
}

bool have_x_display() {
  const char* d = std::getenv("DISPLAY");
  return d && *d;
}

}  // namespace

bool platform_clipboard_read(std::string& latin1, int* lost) {
  if (lost) *lost = 0;
  if (owner_thread) {  // our own text needs no trip through the server
    std::lock_guard<std::mutex> g(owner_thread->lock);
    if (owner_thread->owns) {
      latin1 = owner_thread->offered;
      return true;
    }
  }
  std::string text;
  bool utf8 = false;
  x11clip::Read r = have_x_display() ? x11clip::read_clipboard(text, utf8) : x11clip::Read::no_display;
  if (r == x11clip::Read::failed) return false;
  if (r == x11clip::Read::no_display) {
    if (!platform_video_start(nullptr)) return false;
    if (SDL_HasClipboardText()) {
      if (char* t = SDL_GetClipboardText()) {
        text = t;
        SDL_free(t);
      }
    }
    utf8 = true;
  }
  if (r == x11clip::Read::no_text) text.clear();
  text = text.substr(0, text.find('\0'));  // the desktop's text ends at its first NUL
  latin1 = utf8 ? platform_utf8_to_latin1_lossy(text) : text;
  // every "?" the conversion added stands for a character Latin-1 lacks
  if (lost && utf8) *lost = int(std::count(latin1.begin(), latin1.end(), '?') - std::count(text.begin(), text.end(), '?'));
  return true;
}

std::string platform_clipboard_get() {
  std::string text;
  return platform_clipboard_read(text) ? text : std::string();
}

bool platform_clipboard_set(const std::string& latin1) {
  std::string text = latin1.substr(0, latin1.find('\0'));
  OwnerThread* t = have_x_display() ? start_owner_thread() : nullptr;
  if (!t) {
    if (!platform_video_start(nullptr)) return false;
    return SDL_SetClipboardText(platform_latin1_to_utf8(text).c_str()) == 0;
  }
  std::unique_lock<std::mutex> g(t->lock);
  t->pending = std::move(text);
  t->has_pending = true;
  t->answered = false;
  t->poke();
  if (!t->done.wait_for(g, std::chrono::seconds(2), [t] { return t->answered; })) return false;
  return t->answer;
}

void platform_clipboard_pause_serving() {
  OwnerThread* t = owner_thread;
  if (!t || !t->thread.joinable()) return;
  {
    std::lock_guard<std::mutex> g(t->lock);
    t->stop = true;
  }
  t->poke();
  t->thread.join();
}

ClipboardKept platform_clipboard_keep_after_exit() {
  if (!owner_thread) return ClipboardKept::nothing;
  OwnerThread* t = owner_thread;
  platform_clipboard_pause_serving();
  // the thread is gone: its connection is this thread's now
  x11clip::Owner& o = *t->owner;
  o.handle_events();
  ClipboardKept result = ClipboardKept::nothing;
  if (o.owns()) {
    if (o.hand_to_manager(1000)) result = ClipboardKept::manager;
    else if (o.owns() && x11clip::start_keeper(o.text(), o.window())) result = ClipboardKept::keeper;
    else result = o.owns() ? ClipboardKept::lost : ClipboardKept::nothing;
  }
  // a transfer to a requestor still running finishes first (briefly)
  if (o.busy()) o.serve(-1, 1000);
  close(t->wake[0]);
  close(t->wake[1]);
  delete t;
  owner_thread = nullptr;
  return result;
}
