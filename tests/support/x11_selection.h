// x11_selection.h - other desktop programs around the clipboard, played by
// the tests on their own Xlib connection: who owns a selection (and the
// process id its window names), an owner that never answers, a clipboard
// manager stand-in that saves what it is handed, and the reaping of keeper
// processes, which become the test's children once it is a subreaper.
#pragma once
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

struct TestSelections {
  Display* dpy = nullptr;
  Window win = 0;

  explicit TestSelections(const std::string& display) {
    dpy = XOpenDisplay(display.c_str());
    if (dpy)
      win = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
  }
  ~TestSelections() {
    if (dpy) XCloseDisplay(dpy);
  }
  Atom atom(const char* name) { return XInternAtom(dpy, name, False); }

  Window owner(const char* selection) { return XGetSelectionOwner(dpy, atom(selection)); }

  // The process id that the selection's owner window names (_NET_WM_PID), 0 when none.
  pid_t owner_pid(const char* selection) {
    Window w = owner(selection);
    if (w == None) return 0;
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    pid_t pid = 0;
    if (XGetWindowProperty(dpy, w, atom("_NET_WM_PID"), 0, 1, False, XA_CARDINAL, &type, &format, &n, &after,
                           &data) == Success && data && n == 1)
      pid = pid_t(*reinterpret_cast<long*>(data));
    if (data) XFree(data);
    return pid;
  }

  // Takes the selection and never answers a request for it.
  void own(const char* selection) {
    XSetSelectionOwner(dpy, atom(selection), win, CurrentTime);
    XSync(dpy, False);
  }
};

// A clipboard manager: owns CLIPBOARD_MANAGER and, asked to save, reads
// the clipboard's UTF-8 text and confirms.
struct ManagerStandIn {
  TestSelections x;
  std::thread thread;
  std::atomic<bool> stop{false};
  std::mutex lock;
  std::string saved;  // under lock
  int requests = 0;   // under lock

  explicit ManagerStandIn(const std::string& display) : x(display) {
    if (!x.dpy) return;
    x.own("CLIPBOARD_MANAGER");
    thread = std::thread([this] { run(); });
  }
  ~ManagerStandIn() {
    stop = true;
    if (thread.joinable()) thread.join();
  }
  std::string text() {
    std::lock_guard<std::mutex> g(lock);
    return saved;
  }

  void run() {
    Atom save = x.atom("SAVE_TARGETS"), utf8 = x.atom("UTF8_STRING"), into = x.atom("SAVED");
    while (!stop) {
      if (!XPending(x.dpy)) {
        pollfd p{ConnectionNumber(x.dpy), POLLIN, 0};
        poll(&p, 1, 20);
        continue;
      }
      XEvent e;
      XNextEvent(x.dpy, &e);
      if (e.type != SelectionRequest || e.xselectionrequest.target != save) continue;
      XSelectionRequestEvent r = e.xselectionrequest;
      XConvertSelection(x.dpy, x.atom("CLIPBOARD"), utf8, into, x.win, CurrentTime);
      XFlush(x.dpy);
      std::string text;
      for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
           std::chrono::steady_clock::now() < end;) {
        if (XCheckTypedWindowEvent(x.dpy, x.win, SelectionNotify, &e)) {
          Atom type;
          int format;
          unsigned long n, after;
          unsigned char* data = nullptr;
          if (e.xselection.property != None &&
              XGetWindowProperty(x.dpy, x.win, into, 0, 1 << 20, True, AnyPropertyType, &type, &format, &n,
                                 &after, &data) == Success && data)
            text.assign(reinterpret_cast<char*>(data), n);
          if (data) XFree(data);
          break;
        }
        usleep(5000);
      }
      {
        std::lock_guard<std::mutex> g(lock);
        saved = text;
        requests++;
      }
      XSelectionEvent reply{};
      reply.type = SelectionNotify;
      reply.requestor = r.requestor;
      reply.selection = r.selection;
      reply.target = r.target;
      reply.property = text.empty() ? None : r.property;
      reply.time = r.time;
      XSendEvent(x.dpy, r.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
      XFlush(x.dpy);
    }
  }
};

// While alive, orphaned descendants (the keepers) become this process's
// children, so a test can see them end and end them by pid.
struct KeeperReaper {
  KeeperReaper() { prctl(PR_SET_CHILD_SUBREAPER, 1); }
  ~KeeperReaper() { prctl(PR_SET_CHILD_SUBREAPER, 0); }

  // Waits up to `ms` for the child `pid` to end; true once it has.
  static bool ended(pid_t pid, int ms = 3000) {
    for (int i = 0; i < ms / 10; i++) {
      if (waitpid(pid, nullptr, WNOHANG) == pid) return true;
      usleep(10000);
    }
    return false;
  }
  static void end(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
};
