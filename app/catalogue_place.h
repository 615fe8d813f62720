// catalogue_place.h - where CODE.INI lives. Beside the program when the
// program's folder can be written (a per-user install, or a build folder);
// otherwise (a system-wide install) in the user's own data folder,
// $XDG_DATA_HOME/snipvault or ~/.local/share/snipvault, where the shipped
// sample is copied on the first start.
#pragma once
#include "runtime/values/tv_string.h"

// The per-user folder (without a trailing "/").
TvString user_data_folder();

// Sets catalogue_path; `program_folder` is the folder of the running program
// (the current folder after start-up). Gives the chosen path.
TvString choose_catalogue_place(const TvString& program_folder);
