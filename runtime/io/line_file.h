// line_file.h - the line file: a text file handled as 256 numbered lines,
// loaded on first use of its name and written back (crash-safe) when another
// name is used and when the program ends.
#pragma once
#include <cstdint>

#include "runtime/values/tv_string.h"

constexpr int32_t kLineFileLines = 256;
constexpr int32_t kLineFileLineBytes = 1023;

struct LineFile {
  TvString file_name;
  TvString lines[kLineFileLines];
  int32_t highest = -1;  // highest line number holding content
  bool changed = false;
  bool loaded = false;   // false when the file could not be read (and nothing put since)
  bool unreadable = false;  // exists on disk but could not be read: never replaced
};
extern LineFile line_file;

TvString line_file_get(const TvString& name, int32_t line);
double line_file_get_number(const TvString& name, int32_t line);
int32_t line_file_get_int(const TvString& name, int32_t line);
void line_file_put(const TvString& name, int32_t line, const TvString& text);
void line_file_put(const TvString& name, int32_t line, double value);
void line_file_put(const TvString& name, int32_t line, int32_t value);
// Writes the current line file back if it changed; false when that failed
// (the file on disk is then exactly as before).
bool line_file_write_back();
