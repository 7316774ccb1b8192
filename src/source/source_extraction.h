// Loads the source file and fills the section table from its marks.
#pragma once

#include "cli/options.h"
#include "fileio/console.h"
#include "fileio/text_buffer.h"
#include "marks/section_table.h"

namespace splyce {

// Changes into the source's directory, loads the source into `source` and
// fills `table`. Returns OUTCOME_SUCCESS, OUTCOME_SOURCE_INACCESSIBLE,
// OUTCOME_SOURCE_TOO_LARGE or OUTCOME_REPORTED.
Outcome extract_sections(const Options& options, Console& console, TextBuffer& source, SectionTable& table);

// The walk alone, over a loaded text.
Outcome walk_source(const Options& options, Console& console, const TextBuffer& source, SectionTable& table);

}  // namespace splyce
