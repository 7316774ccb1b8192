// Which files are destinations, in which order, and loading each one.
#pragma once

#include <optional>
#include <string>

#include "cli/options.h"
#include "fileio/console.h"
#include "fileio/directory_listing.h"
#include "fileio/text_buffer.h"

namespace splyce {

// A name ending in ".htm" or ".html" (case-sensitive), with something before it.
bool has_html_extension(std::string_view name);
// The name begins with prefix and ends with suffix, each tested on its own.
bool matches_pattern(std::string_view name, std::string_view prefix, std::string_view suffix);

class DestinationSelection {
 public:
  DestinationSelection(const Options& options, Console& console, int32_t total_section_size);

  // Pattern mode: opens the listing. OUTCOME_DIRECTORY_INACCESSIBLE when it cannot.
  Outcome open_destinations();

  // Frees the previous destination and loads the next one into text(). False
  // at the end of the loop: no destination left, or the program's own name met.
  bool next_destination();

  const std::string& full_path() const { return full_path_; }
  TextBuffer& text() { return text_; }

 private:
  std::optional<std::string> next_candidate();
  bool is_own_executable(const std::string& path) const;
  bool load_destination();

  const Options& options_;
  Console& console_;
  const PathStyle style_;
  const int32_t total_section_size_;
  std::string directory_;
  std::string prefix_;
  std::string suffix_;
  bool html_filter_ = false;
  std::optional<DirectoryListing> listing_;
  std::size_t next_argument_ = 0;
  std::string full_path_;
  TextBuffer text_;
};

}  // namespace splyce
