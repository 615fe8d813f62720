// catalogue_place.h - where CODE.INI lives. Beside the program when the
// program's folder can be written (a per-user install, or a build folder);
// otherwise, and always for a system-wide install (a bin/ folder with
// share/snipvault/ beside it, whoever runs it), in the user's own data
// folder, $XDG_DATA_HOME/snipvault or ~/.local/share/snipvault, where the
// shipped sample is copied on the first start.
#pragma once
#include "runtime/values/tv_string.h"

// The per-user folder (without a trailing "/").
TvString user_data_folder();

struct CataloguePlace {
  TvString path;    // the catalogue in use
  // What the user should be told at start, in Latin-1 ("" when nothing):
  // the catalogue in use cannot be read, its folder cannot be made, or the
  // program's folder holds another catalogue that is not the one in use.
  TvString notice;
};

// `program_folder` is the folder of the running program (the current folder
// after start-up).
CataloguePlace choose_catalogue_place(const TvString& program_folder);
