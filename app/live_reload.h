// live_reload.h - noticing that CODE.INI changed on disk while the viewer
// runs (another copy saved, a text editor, a sync tool): the file's stamp
// (size, time, identity) is looked at a few times a second and compared
// with the one taken when the viewer last read the file.
#pragma once
#include "runtime/platform/file_stamp.h"
#include "runtime/values/tv_string.h"

struct LiveReload {
  PlatformFileStamp stamp;  // the file as the viewer last read it
  double next_look = 0;     // timer_ms of the next look
  double interval_ms = 300;
};

// Takes the file's stamp now (just after the viewer read it).
void live_reload_mark(LiveReload& r, const TvString& path);
// True once when the file differs from the marked stamp, looking at most
// every interval_ms; the new stamp is marked.
bool live_reload_changed(LiveReload& r, const TvString& path, double now_ms);
