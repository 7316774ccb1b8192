// Loading a whole file in text mode.
#pragma once

#include <string>

#include "fileio/platform.h"
#include "fileio/text_buffer.h"

namespace splyce {

enum class LoadStatus {
  loaded,
  cannot_access,  // the name cannot be examined
  negative_size,  // 2^31 bytes or more
  empty,          // size 0: an empty file, a directory
  too_large,      // size + room + 1 bytes cannot be had
  cannot_open,
  cannot_read,    // a read error, or nothing left after the translation
};

// Loads the file with one size query, one allocation of size + room + 1 bytes
// and one read; the text is followed by a NUL.
LoadStatus load_text_file(Platform& platform, const std::string& path, int32_t room, TextBuffer& text);

}  // namespace splyce
