// Replaces the marked sections of one loaded destination by the source's
// sections, and writes the destination back when anything changed.
#pragma once

#include <string>

#include "cli/options.h"
#include "fileio/console.h"
#include "fileio/text_buffer.h"
#include "marks/section_table.h"

namespace splyce {

enum class UpdateResult {
  unchanged,  // nothing to write: no usable pair, or the walk gave up
  identical,  // some section was compared and found up to date, none replaced
  changed,    // some section was replaced
};

// Walks the marks of `text` and replaces every section that differs from the
// source. On `changed`, `text` holds the new text; otherwise it is untouched.
// Costs time linear in the text and the bytes placed.
UpdateResult replace_sections(const Options& options, Console& console, const SectionTable& table,
                              TextBuffer& text, const std::string& full_path);

// Replaces the sections, then reports the file and writes it back. Returns
// false when the write failed: the run's outcome is then OUTCOME_REPORTED and
// no further destination may be taken.
bool update_destination(const Options& options, Console& console, const SectionTable& table, TextBuffer& text,
                        const std::string& full_path, bool& any_file_changed);

}  // namespace splyce
