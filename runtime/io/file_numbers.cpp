// file_numbers.cpp - numbers stored as text on a channel or in the line file (kept apart
// from the raw reads so those do not pull in the number conversions).
#include "runtime/io/file_channels.h"
#include "runtime/io/line_file.h"

double file_read_line_number(int32_t channel) {
  return string_to_number(file_read_line(channel).c_str());
}

int32_t file_read_line_int(int32_t channel) {
  return string_to_int(file_read_line(channel).c_str());
}

void file_write_line_number(int32_t channel, double value) {
  file_write_line(channel, string_from_number(value));
}

void file_write_line_int(int32_t channel, int32_t value) {
  file_write_line(channel, string_from_int(value));
}

double line_file_get_number(const TvString& name, int32_t line) {
  return string_to_number(line_file_get(name, line).c_str());
}

int32_t line_file_get_int(const TvString& name, int32_t line) {
  return string_to_int(line_file_get(name, line).c_str());
}

void line_file_put(const TvString& name, int32_t line, double value) {
  line_file_put(name, line, string_from_number(value));
}

void line_file_put(const TvString& name, int32_t line, int32_t value) {
  line_file_put(name, line, string_from_int(value));
}
