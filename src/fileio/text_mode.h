// The tool's file format: text mode as the Windows C library defines it,
// applied on every platform so that all builds read and write the same bytes.
// Reading drops every CR and ends the text before the first 0x1A byte;
// writing turns every LF into CR LF.
#pragma once

#include <cstdint>

#include "fileio/platform.h"

namespace splyce {

// An open file read in text mode. Once it has met 0x1A its text has ended.
struct TextInput {
  int fd = -1;
  bool met_end_of_text = false;
};

// Delivers up to count translated bytes into dst. Returns the number
// delivered (0 at the end of the text) or -1 on a read error.
int32_t read_text(Platform& platform, TextInput& input, char* dst, int32_t count);

// Writes count bytes with every LF turned into CR LF. Returns count when all
// of it was taken, otherwise -1.
int32_t write_text(Platform& platform, int fd, const char* bytes, int32_t count);

}  // namespace splyce
