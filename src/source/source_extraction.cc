#include "source/source_extraction.h"

#include "fileio/path_text.h"
#include "fileio/text_file.h"

namespace splyce {

namespace {

// Opens the source by its last component after moving into its directory, so
// that a relative path with a directory part still names the source.
std::string enter_source_directory(Platform& platform, const std::string& source_path) {
  const PathStyle style = platform.path_style();
  const std::size_t sep = last_separator(style, source_path);
  if (sep == std::string::npos) return source_path;
  const std::string directory = sep == 0 ? source_path.substr(0, 1) : source_path.substr(0, sep);
  if (platform.change_directory(directory) != 0) return source_path;
  return source_path.substr(sep + 1);
}

class SourceWalk {
 public:
  SourceWalk(Console& console, const TextBuffer& source, SectionTable& table)
      : console_(console), table_(table), text_(source.bytes()), end_(source.bytes() + source.length()) {}

  Outcome shared_marks(const std::string& mark, bool need_border_marks);
  Outcome two_marks(const std::string& start_mark, const std::string& end_mark);

 private:
  // Searches from `from` to the end of the text, and reports a match.
  const char* search(const char* from, const std::string& mark);
  Outcome store(const char* start_id, const char* end_id, const char* content_start, const char* content_end);

  Console& console_;
  SectionTable& table_;
  const char* text_;
  const char* end_;
};

const char* SourceWalk::search(const char* from, const std::string& mark) {
  const char* found = find_in_buffer(from, mark, end_ - from);
  if (found != nullptr) {
    console_.progress("splyce: Found mark \"%s\" at position %i.\n", id_for_display(found + mark.size()).c_str(),
                      static_cast<int>(found - text_));
  }
  return found;
}

Outcome SourceWalk::store(const char* start_id, const char* end_id, const char* content_start,
                          const char* content_end) {
  const StoreResult result = table_.store_section(start_id, end_id, content_start, content_end);
  switch (result.status) {
    case StoreStatus::stored:
      return OUTCOME_SUCCESS;
    case StoreStatus::table_full:
      console_.err("splyce: Too many sections in source file.\n");
      break;
    case StoreStatus::inconsistent:
      console_.err("splyce: Unknown error.\n");
      break;
    case StoreStatus::refused:
      console_.err("splyce: Mark \"%s\" in source file not in pairs.\n", result.refused_id.c_str());
      break;
  }
  return OUTCOME_REPORTED;
}

Outcome SourceWalk::shared_marks(const std::string& mark, bool need_border_marks) {
  const char* cursor = text_;
  bool first_pass = true;
  while (cursor != nullptr) {
    const char* opening = search(cursor, mark);
    if (opening == nullptr) break;
    const char* start_id = opening + mark.size();
    const char* content_start = nullptr;
    const char* end_id = nullptr;
    const char* content_end = search(start_id, mark);
    if (content_end != nullptr) {
      end_id = content_end + mark.size();
      cursor = end_id + id_length(end_id);
    } else {
      cursor = nullptr;
    }
    if (first_pass && !need_border_marks && (content_end == nullptr || !ids_equal(start_id, end_id))) {
      console_.progress("splyce: First mark is unique, assuming start of file as start of section.\n");
      end_id = start_id;
      content_start = text_;
      content_end = opening;
      cursor = start_id + id_length(start_id);
    } else if (content_end == nullptr && !first_pass && !need_border_marks) {
      console_.progress("splyce: Last mark is unique, assuming end of file as end of section.\n");
      end_id = start_id;
      content_end = end_;
      cursor = end_;
    }
    if (const Outcome outcome = store(start_id, end_id, content_start, content_end); outcome != OUTCOME_SUCCESS) {
      return outcome;
    }
    first_pass = false;
  }
  return OUTCOME_SUCCESS;
}

Outcome SourceWalk::two_marks(const std::string& start_mark, const std::string& end_mark) {
  const char* start = search(text_, start_mark);
  if (start == nullptr) {
    console_.progress("splyce: Assuming start of file as start of section.\n");
    start = text_;
  } else {
    start += start_mark.size();
  }
  const char* end = search(start, end_mark);
  const char* end_id = nullptr;
  if (end == nullptr) {
    console_.progress("splyce: Assuming end of file as end of section.\n");
    end = end_;
    end_id = end_;
  } else {
    end_id = end + end_mark.size();
  }
  return store(start, end_id, start, end);
}

}  // namespace

Outcome walk_source(const Options& options, Console& console, const TextBuffer& source, SectionTable& table) {
  SourceWalk walk(console, source, table);
  if (options.shared_mark) return walk.shared_marks(*options.shared_mark, options.need_border_marks);
  return walk.two_marks(*options.start_mark, *options.end_mark);
}

Outcome extract_sections(const Options& options, Console& console, TextBuffer& source, SectionTable& table) {
  Platform& platform = console.platform();
  const std::string name = enter_source_directory(platform, options.source_path);
  switch (load_text_file(platform, name, 0, source)) {
    case LoadStatus::loaded:
      break;
    case LoadStatus::negative_size:
    case LoadStatus::too_large:
      return OUTCOME_SOURCE_TOO_LARGE;
    default:
      return OUTCOME_SOURCE_INACCESSIBLE;
  }
  console.progress("splyce: Entering source file %s (%li bytes).\n", options.source_path.c_str(),
                   static_cast<long>(source.length()));
  if (const Outcome outcome = walk_source(options, console, source, table); outcome != OUTCOME_SUCCESS) {
    return outcome;
  }
  console.progress("splyce: Total size of all sections is %li bytes.\n", static_cast<long>(table.total_section_size()));
  return OUTCOME_SUCCESS;
}

}  // namespace splyce
