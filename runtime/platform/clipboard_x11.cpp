// clipboard_x11.cpp - the CLIPBOARD selection over Xlib: the reader (with
// the incremental transfer for large text) and the owner that answers
// other programs' requests (TARGETS, UTF8_STRING, STRING, TEXT, TIMESTAMP;
// in pieces when the text is larger than one request may carry), and the
// hand-over to the desktop's clipboard manager.
//
// Every connection here is our own, never SDL's: errors on them are ignored
// (a requestor may vanish mid-transfer) and a lost server ends only them.
#include "runtime/platform/clipboard_x11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <mutex>
#include <vector>

#include "runtime/platform/utf8_text.h"

namespace x11clip {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kReadIdleMs = 2000;          // a read with no answer for this long failed
constexpr size_t kReadMax = 64u << 20;     // larger text is refused, not held
constexpr int kTransferIdleMs = 5000;      // a requestor silent this long is given up

// ---- errors on our connections ---------------------------------------------
// Xlib's error handler is one per process and SDL installs its own (which
// ends the program); ours ignores errors on our connections and events sent
// to windows that have gone, and passes the rest on.

std::mutex displays_lock;
std::vector<Display*> our_displays;
XErrorHandler previous_handler = nullptr;

bool is_ours(Display* d) {
  std::lock_guard<std::mutex> g(displays_lock);
  return std::find(our_displays.begin(), our_displays.end(), d) != our_displays.end();
}

int on_error(Display* d, XErrorEvent* e) {
  if (is_ours(d)) return 0;
  // an event sent to a window that has gone is lost, nothing worse: SDL's
  // wake-up of a waiting event loop can reach the window after its end
  if (e->error_code == BadWindow && e->request_code == X_SendEvent) return 0;
  return previous_handler ? previous_handler(d, e) : 0;
}

XIOErrorHandler previous_io_handler = nullptr;

// A lost server: our connections go on to their exit handler (on_io_exit),
// which returns; any other one gets the handler it had.
int on_io_error(Display* d) {
  if (is_ours(d)) return 0;
  return previous_io_handler ? previous_io_handler(d) : 0;
}

// (Re)installs the handlers: SDL puts back the one it found when its video
// ends, which may predate ours.
// The first handler found is the one passed on to: a handler installed
// later (SDL's) chains back to ours, so taking it as "previous" would loop.
void install_error_handler() {
  XErrorHandler current = XSetErrorHandler(on_error);
  if (current != on_error && !previous_handler) previous_handler = current;
  XIOErrorHandler io = XSetIOErrorHandler(on_io_error);
  if (io != on_io_error && !previous_io_handler) previous_io_handler = io;
}

// A lost server ends this connection, not the program.
void on_io_exit(Display*, void* dead) { static_cast<std::atomic<bool>*>(dead)->store(true); }

struct Connection {
  Display* dpy = nullptr;
  Window win = 0;
  std::atomic<bool> dead{false};

  bool open() {
    install_error_handler();
    dpy = XOpenDisplay(nullptr);
    if (!dpy) return false;
    {
      std::lock_guard<std::mutex> g(displays_lock);
      our_displays.push_back(dpy);
    }
    XSetIOErrorExitHandler(dpy, on_io_exit, &dead);
    XSetWindowAttributes a{};
    a.event_mask = PropertyChangeMask;
    // never mapped: no one sees it
    win = XCreateWindow(dpy, DefaultRootWindow(dpy), -10, -10, 1, 1, 0, CopyFromParent, InputOnly,
                        CopyFromParent, CWEventMask, &a);
    return true;
  }
  ~Connection() {
    if (!dpy) return;
    if (!dead) {
      XDestroyWindow(dpy, win);
      XSync(dpy, False);
    }
    XCloseDisplay(dpy);
    std::lock_guard<std::mutex> g(displays_lock);
    our_displays.erase(std::find(our_displays.begin(), our_displays.end(), dpy));
  }
  Atom atom(const char* name) const { return XInternAtom(dpy, name, False); }

  // Waits up to `ms` for an event on the connection (or `stop_fd`); false
  // when the time ran out, the stop came or the connection died.
  bool wait(int ms, int stop_fd = -1) {
    if (dead) return false;
    if (XPending(dpy)) return true;
    pollfd p[2] = {{ConnectionNumber(dpy), POLLIN, 0}, {stop_fd, POLLIN, 0}};
    int n = poll(p, stop_fd >= 0 ? 2 : 1, ms);
    if (n <= 0) return false;
    if (stop_fd >= 0 && (p[1].revents & POLLIN)) return false;
    if (p[0].revents & (POLLHUP | POLLERR)) {
      dead = true;
      return false;
    }
    return XPending(dpy) > 0 && !dead;
  }

  // The server's time now, from a property change on our window.
  Time server_time() {
    Atom a = atom("SNIPVAULT_TIME");
    unsigned char none = 0;
    XChangeProperty(dpy, win, a, XA_INTEGER, 8, PropModeAppend, &none, 0);
    XEvent e;
    for (auto end = Clock::now() + std::chrono::seconds(1); Clock::now() < end;) {
      if (XCheckTypedWindowEvent(dpy, win, PropertyNotify, &e) && e.xproperty.atom == a)
        return e.xproperty.time;
      if (!wait(100)) continue;
    }
    return CurrentTime;
  }
};

int ms_left(Clock::time_point end) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
  return left < 0 ? 0 : int(left);
}

// Takes a whole property off our window (deleting it); false when it is
// missing or too large. Only 8-bit data is kept (an INCR size is not).
bool take_property(Connection& c, Atom property, Atom& type, std::string& data) {
  data.clear();
  long offset = 0;  // in 32-bit units
  for (;;) {
    Atom t = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* bytes = nullptr;
    if (XGetWindowProperty(c.dpy, c.win, property, offset, 1 << 20, False, AnyPropertyType, &t, &format,
                           &count, &after, &bytes) != Success || c.dead)
      return false;
    if (format == 8 && bytes) data.append(reinterpret_cast<char*>(bytes), count);
    if (bytes) XFree(bytes);
    if (t == None) return false;
    type = t;
    if (data.size() > kReadMax) return false;
    if (after == 0 || format != 8) break;
    offset += long(count / 4);
  }
  XDeleteProperty(c.dpy, c.win, property);
  XFlush(c.dpy);
  return true;
}

// One conversion of CLIPBOARD to `target`: 1 text, 0 refused, -1 failed.
int convert(Connection& c, Atom target, std::string& text) {
  Atom clipboard = c.atom("CLIPBOARD"), property = c.atom("SNIPVAULT_SELECTION"), incr = c.atom("INCR");
  XDeleteProperty(c.dpy, c.win, property);
  XConvertSelection(c.dpy, clipboard, target, property, c.win, CurrentTime);
  XFlush(c.dpy);
  XEvent e;
  auto end = Clock::now() + std::chrono::milliseconds(kReadIdleMs);
  for (;;) {
    if (!c.wait(ms_left(end))) return -1;
    XNextEvent(c.dpy, &e);
    if (e.type == SelectionNotify && e.xselection.requestor == c.win && e.xselection.selection == clipboard)
      break;
  }
  if (e.xselection.property == None) return 0;
  Atom type = None;
  if (!take_property(c, property, type, text)) return -1;
  if (type != incr) return 1;
  // the incremental transfer: pieces until an empty one; deleting each
  // asks for the next
  text.clear();
  end = Clock::now() + std::chrono::milliseconds(kReadIdleMs);
  for (;;) {
    if (!c.wait(ms_left(end))) return -1;
    XNextEvent(c.dpy, &e);
    if (e.type != PropertyNotify || e.xproperty.window != c.win || e.xproperty.atom != property ||
        e.xproperty.state != PropertyNewValue)
      continue;
    std::string piece;
    if (!take_property(c, property, type, piece)) return -1;
    if (piece.empty()) return 1;
    text += piece;
    if (text.size() > kReadMax) return -1;
    end = Clock::now() + std::chrono::milliseconds(kReadIdleMs);
  }
}

}  // namespace

Read read_clipboard(std::string& text, bool& utf8) {
  Connection c;
  if (!c.open()) return Read::no_display;
  if (XGetSelectionOwner(c.dpy, c.atom("CLIPBOARD")) == None) return Read::no_text;
  int r = convert(c, c.atom("UTF8_STRING"), text);
  utf8 = true;
  if (r == 0) {  // an owner without UTF-8 may still have Latin-1
    r = convert(c, XA_STRING, text);
    utf8 = false;
  }
  if (c.dead) return Read::failed;
  return r > 0 ? Read::text : r == 0 ? Read::no_text : Read::failed;
}

// ---- the owner ---------------------------------------------------------------

struct Owner::State {
  Connection c;
  Atom clipboard, targets, utf8_string, text, incr, timestamp, multiple, manager, save_targets, property;
  std::string latin1;
  Time since = CurrentTime;
  bool owns = false;
  int manager_answer = -1;  // the clipboard manager's reply: -1 none yet, 0 refused, 1 saved
  size_t piece = 0;  // largest property written at once
  struct Transfer {
    Window requestor;
    Atom property, type;
    std::string data;
    size_t offset = 0;
    Clock::time_point last;
  };
  std::vector<Transfer> transfers;

  void answer(const XSelectionRequestEvent& r);
  void next_piece(const XPropertyEvent& p);
};

std::unique_ptr<Owner> Owner::open() {
  std::unique_ptr<Owner> o(new Owner);
  o->s = std::make_unique<State>();
  State& s = *o->s;
  if (!s.c.open()) return nullptr;
  Display* d = s.c.dpy;
  s.clipboard = s.c.atom("CLIPBOARD");
  s.targets = s.c.atom("TARGETS");
  s.utf8_string = s.c.atom("UTF8_STRING");
  s.text = s.c.atom("TEXT");
  s.incr = s.c.atom("INCR");
  s.timestamp = s.c.atom("TIMESTAMP");
  s.multiple = s.c.atom("MULTIPLE");
  s.manager = s.c.atom("CLIPBOARD_MANAGER");
  s.save_targets = s.c.atom("SAVE_TARGETS");
  s.property = s.c.atom("SNIPVAULT_SAVE");
  // larger text goes in pieces; the plain request size (not the big-request
  // one) keeps every requestor able to take it
  long words = XMaxRequestSize(d);
  s.piece = size_t(std::max(1024L, words * 4 - 1024));
  long pid = long(getpid());
  XChangeProperty(d, s.c.win, s.c.atom("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  return o;
}

Owner::~Owner() = default;

bool Owner::offer(const std::string& latin1) {
  State& s = *this->s;
  if (s.c.dead) return false;
  s.transfers.clear();
  s.latin1 = latin1;
  s.since = s.c.server_time();
  XSetSelectionOwner(s.c.dpy, s.clipboard, s.c.win, s.since);
  s.owns = XGetSelectionOwner(s.c.dpy, s.clipboard) == s.c.win;
  if (!s.owns) s.latin1.clear();
  return s.owns;
}

bool Owner::take_over(const std::string& latin1, unsigned long previous) {
  State& s = *this->s;
  s.latin1 = latin1;
  s.since = s.c.server_time();
  XGrabServer(s.c.dpy);
  if (XGetSelectionOwner(s.c.dpy, s.clipboard) == Window(previous))
    XSetSelectionOwner(s.c.dpy, s.clipboard, s.c.win, s.since);
  XUngrabServer(s.c.dpy);
  s.owns = XGetSelectionOwner(s.c.dpy, s.clipboard) == s.c.win;
  if (!s.owns) s.latin1.clear();
  return s.owns;
}

bool Owner::owns() const { return s->owns && !s->c.dead; }
const std::string& Owner::text() const { return s->latin1; }
unsigned long Owner::window() const { return s->c.win; }
int Owner::fd() const { return ConnectionNumber(s->c.dpy); }
bool Owner::alive() const { return !s->c.dead; }

void Owner::State::answer(const XSelectionRequestEvent& r) {
  XSelectionEvent reply{};
  reply.type = SelectionNotify;
  reply.display = r.display;
  reply.requestor = r.requestor;
  reply.selection = r.selection;
  reply.target = r.target;
  reply.time = r.time;
  reply.property = None;
  // obsolete requestors name no property: the target stands in
  Atom property = r.property == None ? r.target : r.property;
  bool ours = owns && r.owner == c.win && r.selection == clipboard &&
              (r.time == CurrentTime || since == CurrentTime || r.time >= since);
  if (ours && r.target == targets) {
    Atom list[] = {targets, timestamp, utf8_string, XA_STRING, text};
    XChangeProperty(c.dpy, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(list), int(sizeof list / sizeof list[0]));
    reply.property = property;
  } else if (ours && r.target == timestamp) {
    long t = long(since);
    XChangeProperty(c.dpy, r.requestor, property, XA_INTEGER, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&t), 1);
    reply.property = property;
  } else if (ours && (r.target == utf8_string || r.target == XA_STRING || r.target == text)) {
    // STRING is Latin-1 by definition, so TEXT gets it as it is
    bool utf8 = r.target == utf8_string;
    std::string data = utf8 ? platform_latin1_to_utf8(latin1) : latin1;
    Atom type = utf8 ? utf8_string : XA_STRING;
    if (data.size() <= piece) {
      XChangeProperty(c.dpy, r.requestor, property, type, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(data.data()), int(data.size()));
    } else {
      // too large for one request: announce the size, then a piece each
      // time the requestor deletes the property
      XSelectInput(c.dpy, r.requestor, PropertyChangeMask);
      long size = long(data.size());
      XChangeProperty(c.dpy, r.requestor, property, incr, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(&size), 1);
      transfers.push_back({r.requestor, property, type, std::move(data), 0, Clock::now()});
    }
    reply.property = property;
  }
  XSendEvent(c.dpy, r.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
  XFlush(c.dpy);
}

void Owner::State::next_piece(const XPropertyEvent& p) {
  if (p.state != PropertyDelete) return;
  for (size_t i = 0; i < transfers.size(); i++) {
    Transfer& t = transfers[i];
    if (t.requestor != p.window || t.property != p.atom) continue;
    size_t n = std::min(piece, t.data.size() - t.offset);
    XChangeProperty(c.dpy, t.requestor, t.property, t.type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(t.data.data() + t.offset), int(n));
    XFlush(c.dpy);
    t.last = Clock::now();
    if (n == 0) {  // the empty piece ended it
      Window w = t.requestor;
      transfers.erase(transfers.begin() + long(i));
      bool more = std::any_of(transfers.begin(), transfers.end(), [w](const Transfer& o) { return o.requestor == w; });
      if (!more) XSelectInput(c.dpy, w, NoEventMask);
    } else {
      t.offset += n;
    }
    return;
  }
}

void Owner::handle_events() {
  State& s = *this->s;
  install_error_handler();  // SDL's end may have put back a handler older than ours
  while (!s.c.dead && XPending(s.c.dpy)) {
    XEvent e;
    XNextEvent(s.c.dpy, &e);
    if (e.type == SelectionRequest) {
      s.answer(e.xselectionrequest);
    } else if (e.type == SelectionClear && e.xselectionclear.selection == s.clipboard) {
      // another program copied: what we offered is no longer wanted
      s.owns = false;
      s.latin1.clear();
      s.latin1.shrink_to_fit();
    } else if (e.type == PropertyNotify) {
      s.next_piece(e.xproperty);
    } else if (e.type == SelectionNotify && e.xselection.selection == s.manager) {
      s.manager_answer = e.xselection.property != None ? 1 : 0;
    }
  }
  auto now = Clock::now();
  std::erase_if(s.transfers, [now](const State::Transfer& t) {
    return now - t.last > std::chrono::milliseconds(kTransferIdleMs);
  });
}

void Owner::serve(int stop_fd, int ms) {
  install_error_handler();
  auto end = Clock::now() + std::chrono::milliseconds(ms < 0 ? 0 : ms);
  for (;;) {
    handle_events();
    // a keeper stays while pieces of a transfer are still to go
    if (s->c.dead || (!s->owns && s->transfers.empty())) return;
    int wait = s->transfers.empty() ? -1 : 1000;  // wakes to give up silent requestors
    if (ms >= 0) {
      int left = ms_left(end);
      if (left == 0) return;
      wait = wait < 0 ? left : std::min(wait, left);
    }
    if (stop_fd >= 0) {
      pollfd p{stop_fd, POLLIN, 0};
      if (poll(&p, 1, 0) > 0) return;
    }
    s->c.wait(wait, stop_fd);
  }
}

bool Owner::busy() const { return !s->transfers.empty(); }

bool Owner::hand_to_manager(int ms) {
  State& s = *this->s;
  install_error_handler();  // SDL's end may have put back a handler older than ours
  handle_events();
  if (!owns() || XGetSelectionOwner(s.c.dpy, s.manager) == None) return false;
  // the targets worth saving, in the property the manager reads them from
  Atom list[] = {s.utf8_string, XA_STRING, s.text};
  XChangeProperty(s.c.dpy, s.c.win, s.property, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(list), 3);
  s.manager_answer = -1;
  XConvertSelection(s.c.dpy, s.manager, s.save_targets, s.property, s.c.win, s.since);
  XFlush(s.c.dpy);
  auto end = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    handle_events();  // the manager asks for the text meanwhile
    if (s.manager_answer >= 0) return s.manager_answer == 1;
    if (s.c.dead || ms_left(end) == 0) return false;
    s.c.wait(std::min(ms_left(end), 50));
  }
}

void install_error_handlers_early() { install_error_handler(); }

}  // namespace x11clip
