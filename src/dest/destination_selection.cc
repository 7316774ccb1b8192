#include "dest/destination_selection.h"

#include "fileio/path_text.h"
#include "fileio/text_file.h"

namespace splyce {

bool has_html_extension(std::string_view name) {
  return (name.size() > 4 && name.ends_with(".htm")) || (name.size() > 5 && name.ends_with(".html"));
}

bool matches_pattern(std::string_view name, std::string_view prefix, std::string_view suffix) {
  return name.starts_with(prefix) && name.ends_with(suffix);
}

DestinationSelection::DestinationSelection(const Options& options, Console& console, int32_t total_section_size)
    : options_(options),
      console_(console),
      style_(console.platform().path_style()),
      total_section_size_(total_section_size) {}

Outcome DestinationSelection::open_destinations() {
  if (!options_.pattern_mode) return OUTCOME_SUCCESS;
  const std::string& pattern = options_.dest_pattern;
  const std::size_t sep = last_separator(style_, pattern);
  std::string name_pattern;
  if (sep == std::string::npos) {
    directory_.assign(1, '.');
    name_pattern = pattern;
  } else {
    // A pattern whose only separator leads it names the root directory.
    directory_ = sep == 0 ? pattern.substr(0, 1) : pattern.substr(0, sep);
    name_pattern = pattern.substr(sep + 1);
  }
  html_filter_ = name_pattern.empty();
  const std::size_t star = name_pattern.find('*');
  if (star != std::string::npos) {
    prefix_ = name_pattern.substr(0, star);
    suffix_ = name_pattern.substr(star + 1);
  }
  listing_ = open_listing(console_.platform(), directory_);
  if (!listing_) return OUTCOME_DIRECTORY_INACCESSIBLE;
  console_.progress("splyce: Opened directory %s\n", directory_.c_str());
  return OUTCOME_SUCCESS;
}

std::optional<std::string> DestinationSelection::next_candidate() {
  if (!options_.pattern_mode) {
    if (next_argument_ >= options_.dest_args.size()) return std::nullopt;
    return options_.dest_args[next_argument_++];
  }
  while (const std::string* name = listing_->next_entry()) {
    if (name->starts_with(".")) continue;
    if (html_filter_ ? !has_html_extension(*name) : !matches_pattern(*name, prefix_, suffix_)) continue;
    return join_path(style_, directory_, *name);
  }
  return std::nullopt;
}

bool DestinationSelection::is_own_executable(const std::string& path) const {
  return last_component(style_, path) == "splyce";
}

bool DestinationSelection::next_destination() {
  for (;;) {
    text_.release();
    std::optional<std::string> candidate = next_candidate();
    if (!candidate) return false;
    full_path_ = std::move(*candidate);
    if (is_own_executable(full_path_)) {
      console_.progress("splyce: Do not want to open own executable file.\n");
      return false;
    }
    if (load_destination()) return true;
  }
}

bool DestinationSelection::load_destination() {
  const char* path = full_path_.c_str();
  switch (load_text_file(console_.platform(), full_path_, total_section_size_, text_)) {
    case LoadStatus::loaded:
      return true;
    case LoadStatus::cannot_access:
    case LoadStatus::negative_size:
      console_.err("splyce: Cannot access file %s\n", path);
      return false;
    case LoadStatus::empty:
      return false;
    case LoadStatus::too_large:
      console_.err("splyce: File too large: %s\n", path);
      return false;
    case LoadStatus::cannot_open:
      console_.err("splyce: Cannot open %s\n", path);
      return false;
    case LoadStatus::cannot_read:
      console_.err("splyce: Cannot read %s\n", path);
      return false;
  }
  return false;
}

}  // namespace splyce
