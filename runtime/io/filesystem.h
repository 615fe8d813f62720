// filesystem.h - the current directory and its listing, file and directory
// tests, deleting files, creating directories, and environment variables.
//
// Paths are handed to and from the program with "/" separators, as the OS
// stores them; a "\" inside a name is part of the name here.
#pragma once
#include <cstdint>
#include "runtime/values/tv_array.h"
#include "runtime/values/tv_string.h"

// The current directory with a "/" at the end.
TvString get_current_dir();
// Error code 0, then 3 on failure; 1 on success, else 0.
double set_current_dir(const TvString& path);

// Lists the current directory into `destination`: every directory ("." and
// ".." included) first, then the files whose names match `filter`, each
// group sorted without regard to ASCII case. Answers files + 65536 *
// directories; 0 and an empty destination when the directory cannot be read.
double list_directory(const TvString& filter, TvStringArray& destination);

// Name against a file filter: "*.*" matches everything, "?" any one byte
// but ".", "*" any run, letters without regard to ASCII case.
bool filter_match(const char* name, const char* pattern);

// 1 if the name opens for reading: a disk file or a live "mem://" block.
int32_t file_exists(const TvString& name);
int32_t is_directory(const TvString& name);
int32_t file_delete(const TvString& name);
// One level; the parent directory must exist.
int32_t make_dir(const TvString& name);
void path_to_slashes(TvString& text);

// An empty name gives the whole environment, one "name=value\n" per entry.
TvString get_env(const TvString& name);
// An empty value removes the variable.
void put_env(const TvString& name, const TvString& value);
