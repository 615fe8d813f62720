// file_channels.h - the eight numbered file channels of a Tolvane program,
// their typed raw reads and writes (little-endian, no alignment, no length
// prefixes), text lines, and whole-file helpers.
//
// A bad channel number ends the program with code 7; a read that cannot
// deliver all its bytes or a write that cannot write them ends it with
// code 3. Programs test file_at_end before reading.
#pragma once
#include <cstdint>

#include "runtime/io/file_stream.h"
#include "runtime/values/tv_string.h"

constexpr int32_t kChannelCount = 8;
extern FileStream file_channels[kChannelCount];

// mode > 0 read (through the general resolver), 0 write a new file, < 0 append.
bool file_open(int32_t channel, const TvString& name, int32_t mode);
bool file_open(int32_t channel, const char* name, int32_t mode);
void file_close(int32_t channel);
int32_t free_channel();

int32_t file_read_int8(int32_t channel);
int32_t file_read_uint8(int32_t channel);
int32_t file_read_int16(int32_t channel);
int32_t file_read_uint16(int32_t channel);
int32_t file_read_int32(int32_t channel);
double file_read_single(int32_t channel);
double file_read_double(int32_t channel);
TvString file_read_bytes(int32_t channel, int32_t n);
TvString file_read_line(int32_t channel);
double file_read_line_number(int32_t channel);
int32_t file_read_line_int(int32_t channel);

void file_write_int8(int32_t channel, int32_t value);
void file_write_uint8(int32_t channel, int32_t value);
void file_write_int16(int32_t channel, int32_t value);
void file_write_uint16(int32_t channel, int32_t value);
void file_write_int32(int32_t channel, int32_t value);
void file_write_single(int32_t channel, double value);
void file_write_double(int32_t channel, double value);
void file_write_bytes(int32_t channel, const TvString& text);
void file_write_line(int32_t channel, const TvString& text);
void file_write_line_number(int32_t channel, double value);
void file_write_line_int(int32_t channel, int32_t value);

int32_t file_position(int32_t channel);
// origin < 0 from the end, > 0 from the current position, 0 from the start.
void file_seek(int32_t channel, int32_t offset, int32_t origin);
bool file_at_end(int32_t channel);

// Size of a disk or memory file; 0 and code 3 when it cannot be opened.
int32_t file_size(const TvString& name);
// Copies a disk or memory file to a disk file. The destination is replaced
// only once the copy is complete, so a failed copy leaves it as it was.
bool file_copy(const TvString& source, const TvString& destination);
