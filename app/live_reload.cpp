// live_reload.cpp - the stamp comparison behind the viewer's live reload.
#include "app/live_reload.h"

void live_reload_mark(LiveReload& r, const TvString& path) { r.stamp = platform_file_stamp(path.c_str()); }

bool live_reload_changed(LiveReload& r, const TvString& path, double now_ms) {
  if (now_ms < r.next_look) return false;
  r.next_look = now_ms + r.interval_ms;
  PlatformFileStamp now = platform_file_stamp(path.c_str());
  if (now == r.stamp) return false;
  r.stamp = now;
  return true;
}
