// A plain model of the destination walk: the loaded buffer is edited in
// place, every replacement moves the tail with memmove and the buffer grows
// by half as much again plus 1000 bytes. It is slow on purpose and exists
// only to be compared with the one-pass walk the program uses.
#pragma once

#include <string>

#include "cli/options.h"
#include "dest/section_replacement.h"
#include "fileio/console.h"
#include "fileio/text_buffer.h"
#include "marks/section_table.h"

namespace splyce::fuzz {

// Same contract as replace_sections: on `changed` the buffer holds the new
// text, otherwise it holds the old one (a give-up puts it back).
UpdateResult replace_sections_in_place(const Options& options, Console& console, const SectionTable& table,
                                       TextBuffer& text, const std::string& full_path);

}  // namespace splyce::fuzz
