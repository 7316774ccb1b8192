#include "fuzz/in_place_model.h"

#include <climits>
#include <cstring>

#include "fileio/path_text.h"
#include "marks/mark_text.h"

namespace splyce::fuzz {
namespace {

constexpr int64_t NONE = -1;

// Grows the buffer when needed, moves the tail, copies the section in.
bool replace_section(TextBuffer& text, int64_t content_start, int64_t content_end, const char* content,
                     int64_t size, Console& console) {
  const int64_t difference = size - (content_end - content_start);
  const int64_t new_length = text.length() + difference;
  if (new_length + 1 > text.capacity()) {
    const int64_t grown = (new_length + 1) * 3 / 2 + 1000;
    if (grown > INT32_MAX) return false;
    if (!text.reallocate(static_cast<int32_t>(grown))) return false;
  }
  char* bytes = text.bytes();
  if (difference != 0) {
    console.progress("splyce: Changing the section's size by %+li bytes and replacing the content.\n",
                     static_cast<long>(difference));
    std::memmove(bytes + content_end + difference, bytes + content_end,
                 static_cast<std::size_t>(text.length() - content_end + 1));
  } else {
    console.progress("splyce: Need not to change section's size. Replacing the content directly.\n");
  }
  if (size > 0) std::memcpy(bytes + content_start, content, static_cast<std::size_t>(size));
  text.set_length(static_cast<int32_t>(new_length));
  return true;
}

int64_t search(const TextBuffer& text, int64_t from, const std::string& mark) {
  const char* found = find_in_buffer(text.bytes() + from, mark, text.length() - from);
  return found == nullptr ? NONE : found - text.bytes();
}

void report_found(Console& console, const TextBuffer& text, int64_t at, const std::string& mark) {
  console.progress("splyce: Found mark \"%s\" at position %i.\n",
                   id_for_display(text.bytes() + at + mark.size()).c_str(), static_cast<int>(at));
}

}  // namespace

UpdateResult replace_sections_in_place(const Options& options, Console& console, const SectionTable& table,
                                       TextBuffer& text, const std::string& full_path) {
  // The walk edits the buffer itself; a give-up must leave the old text, so
  // the edit runs on a copy that takes the buffer's place only on success.
  TextBuffer work;
  if (!work.allocate(text.capacity())) return UpdateResult::unchanged;
  std::memcpy(work.bytes(), text.bytes(), static_cast<std::size_t>(text.length()) + 1);
  work.set_length(text.length());

  const bool shared = options.shared_mark.has_value();
  const std::string& opening_mark = shared ? *options.shared_mark : *options.start_mark;
  const std::string& closing_mark = shared ? *options.shared_mark : *options.end_mark;
  const std::string display(display_name(console.platform().path_style(), full_path));

  UpdateResult result = UpdateResult::unchanged;
  bool first_pass = true;
  int64_t cursor = 0;
  while (cursor != NONE) {
    const int64_t opening = search(work, cursor, opening_mark);
    if (opening == NONE) {
      if (first_pass) console.progress("splyce: No mark found in this file.\n");
      break;
    }
    report_found(console, work, opening, opening_mark);
    const int64_t id_at = opening + static_cast<int64_t>(opening_mark.size());
    const int64_t id_len = shared ? id_length(work.bytes() + id_at) : 0;
    int64_t content_start = id_at + id_len;
    int64_t content_end = search(work, content_start, closing_mark);
    if (content_end != NONE) {
      report_found(console, work, content_end, closing_mark);
      cursor = content_end + static_cast<int64_t>(closing_mark.size());
    } else {
      cursor = NONE;
    }

    if (!shared) {
      if (content_end == NONE) {
        console.out("splyce: No end mark in %s\n", display.c_str());
        return UpdateResult::unchanged;
      }
    } else {
      const bool found = content_end != NONE;
      const bool same_id = found && ids_equal(work.bytes() + id_at, work.bytes() + cursor);
      if (first_pass && !options.need_border_marks && (!found || !same_id)) {
        console.progress("splyce: First mark is unique, assuming start of file as start of section.\n");
        content_start = 0;
        content_end = opening;
        cursor = id_at + id_len;
      } else if (!first_pass && !options.need_border_marks && !found) {
        console.progress("splyce: Last mark is unique, assuming end of file as end of section.\n");
        content_end = work.length();
      } else if (!(found && same_id)) {
        console.out("splyce: Mark \"%s\" not in pairs in %s\n", id_for_display(work.bytes() + id_at).c_str(),
                    display.c_str());
        return UpdateResult::unchanged;
      }
    }
    first_pass = false;

    const char* content = nullptr;
    const int32_t size = table.find_section(shared ? work.bytes() + id_at : "", &content);
    if (size < 0) {
      console.progress("splyce: No mark with this id in source file.\n");
      continue;
    }
    const int64_t old_size = content_end - content_start;
    if (size == old_size &&
        (size == 0 || std::memcmp(work.bytes() + content_start, content, static_cast<std::size_t>(size)) == 0)) {
      console.progress("splyce: Section is up-to-date.\n");
      if (result == UpdateResult::unchanged) result = UpdateResult::identical;
      continue;
    }
    result = UpdateResult::changed;
    if (!replace_section(work, content_start, content_end, content, size, console)) {
      console.err("splyce: File grows too large: %s\n", full_path.c_str());
      return UpdateResult::unchanged;
    }
    if (cursor != NONE) cursor += size - old_size;
  }
  if (result == UpdateResult::changed) text = std::move(work);
  return result;
}

}  // namespace splyce::fuzz
