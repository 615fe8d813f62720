// pump.cpp - the message pump over SDL's event queue.
//
// SDL keeps one queue for the whole process and this program has one
// window, so every event counts as a message of that window. The input
// sink sees each event first; the window procedure then gets the events
// that mean something to a window (focus, close), translated into messages.
#include "runtime/platform/pump.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <poll.h>

#include "runtime/platform/input_sdl.h"
#include "runtime/platform/window_sdl.h"

namespace {

void dispatch(void* window, const SDL_Event& e, WindowProcedure procedure) {
  platform_input_event(&e);
  if (!procedure) return;
  switch (e.type) {
    case SDL_QUIT:
      procedure(window, WINDOW_MSG_CLOSE, 0, 0);
      return;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          procedure(window, WINDOW_MSG_ACTIVATE, 1, 0);
          return;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          procedure(window, WINDOW_MSG_ACTIVATE, 0, 0);
          return;
        case SDL_WINDOWEVENT_CLOSE:
          procedure(window, WINDOW_MSG_CLOSE, 0, 0);
          return;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          // the window's content is to be drawn again
          procedure(window, WINDOW_MSG_ERASE_BACKGROUND, 0, 0);
          return;
        default:
          break;
      }
      break;
    default:
      break;
  }
  procedure(window, WINDOW_MSG_OTHER, e.type, 0);
}

// The X connection of the window drawn into, when SDL runs on X11; null
// otherwise. Asked again for every new window (ids are never reused).
Display* x11_display() {
  static Uint32 asked_id = 0;
  static Display* display = nullptr;
  SDL_Window* window = SDL_GL_GetCurrentWindow();
  if (!window) return nullptr;
  Uint32 id = SDL_GetWindowID(window);
  if (id != asked_id) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    display = SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11 ? info.info.x11.display : nullptr;
    asked_id = id;
  }
  return display;
}

}  // namespace

bool platform_event_waiting() {
  if (!platform_video_started()) return false;
  SDL_PumpEvents();
  SDL_Event e;
  return SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

bool platform_wait_event(int timeout_ms) {
  if (timeout_ms <= 0) return platform_event_waiting();
  if (!platform_video_started()) {
    SDL_Delay(Uint32(timeout_ms));
    return false;
  }
  // SDL would poll attached joysticks every millisecond inside its wait:
  // sleep in short slices instead and let the caller read them between
  if (SDL_WasInit(SDL_INIT_JOYSTICK) && SDL_NumJoysticks() > 0) {
    if (platform_event_waiting()) return true;
    SDL_Delay(Uint32(timeout_ms < 5 ? timeout_ms : 5));
    return platform_event_waiting();
  }
  // On X11 the wait is SDL's own X wait without the two full pumps SDL
  // runs around it (every caller pumps right before and after): at rest
  // those pumps are most of what a wake-up costs.
  if (Display* x = x11_display()) {
    SDL_Event e;
    if (SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) return true;
    XFlush(x);
    // read already (by Xlib or into xcb's queue), not yet pumped
    if (XEventsQueued(x, QueuedAfterReading) > 0) return true;
    pollfd p{ConnectionNumber(x), POLLIN, 0};
    return poll(&p, 1, timeout_ms) != 0;  // a signal counts as a wake: the pump turns it into an event
  }
  // a null event leaves the event in the queue for the pump
  return SDL_WaitEventTimeout(nullptr, timeout_ms) == 1;
}

int platform_pump_events(void* window, void (*hook)(), WindowProcedure procedure) {
  if (!platform_video_started()) return 0;
  int handled = 0;
  SDL_Event e;
  SDL_PumpEvents();
  if (!hook) {
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
      dispatch(window, e, procedure);
      ++handled;
    }
    return handled;
  }
  // the hook sees each message before it is taken and handled
  while (SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
    hook();
    if (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0) break;
    dispatch(window, e, procedure);
    ++handled;
  }
  return handled;
}
