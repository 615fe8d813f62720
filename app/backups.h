// backups.h - dated copies of the catalogue, taken before the first change
// of each run into backups/ beside it (CODE-2026-12-09_04-35-12.INI), so a
// run that went wrong can be undone by hand; the newest 20 are kept.
//
// A copy that cannot be made (a read-only folder, a full disk) is written
// to the log once and never stops the change: the change itself is safe,
// the copy only a second line of defence.
#pragma once
#include <cstdint>

#include "runtime/platform/machine_info.h"
#include "runtime/values/tv_string.h"

struct Backups {
  bool tried = false;  // this run's copy is made, or could not be
  int32_t keep = 20;
  TvString made;       // the path of this run's copy ("" when none)
};

// Before a change: the first call of a run copies the catalogue as it is
// (nothing when it does not exist yet) and drops the oldest copies beyond
// `keep`. Later calls do nothing.
void backup_before_change(Backups& b, const TvString& catalogue_path);
// The folder of the copies: backups/ beside the catalogue.
TvString backup_folder(const TvString& catalogue_path);
// The copy's name at a moment: the catalogue's name with the date and time
// before its extension; names sort in time order.
TvString backup_file_name(const TvString& catalogue_path, const PlatformLocalTime& t);
