// Writing a changed destination back without ever losing the page.
#pragma once

#include <string>

#include "fileio/platform.h"
#include "fileio/text_buffer.h"

namespace splyce {

// Replaces the file's bytes by `text` in text mode. The file must exist and be
// writable; it is never created. The new bytes go to a file beside it that
// then takes its place, so a failure at any point leaves the old page whole.
// A file with several hard links, or in a directory where no new file can be
// made, is rewritten in place, and its old bytes are put back if that fails.
// True when the whole text was written.
bool write_destination(Platform& platform, const std::string& full_path, const TextBuffer& text);

}  // namespace splyce
