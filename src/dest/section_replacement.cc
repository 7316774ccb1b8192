#include "dest/section_replacement.h"

#include <cstring>

#include "dest/write_back.h"
#include "fileio/path_text.h"
#include "marks/mark_text.h"

namespace splyce {
namespace {

constexpr int64_t NO_CURSOR = -1;

// The new text is built in one pass: unchanged stretches of the old text and
// the placed sections are appended in order, so a file with many sections
// costs no more than copying it once. Lengths, room and growth are accounted
// exactly as an in-place edit of the loaded buffer would see them, so the
// messages and the point at which a file is too large stay the same.
class NewText {
 public:
  explicit NewText(const TextBuffer& old) : old_(old), length_(old.length()), room_(old.capacity()) {}

  int64_t length() const { return length_; }

  // Puts `size` bytes of `content` in place of the old bytes [start, end).
  // False when the text cannot grow that far.
  bool replace(int64_t start, int64_t end, const char* content, int64_t size, Console& console);

  // Appends the rest of the old text and hands the new text over.
  void finish(TextBuffer& into);

 private:
  void append(const char* bytes, int64_t size);

  const TextBuffer& old_;
  TextBuffer built_;
  int64_t built_length_ = 0;
  int64_t copied_upto_ = 0;  // old bytes before this offset are in built_
  int64_t length_;           // length of the edited text so far
  int64_t room_;             // capacity an in-place edit would have now
};

bool NewText::replace(int64_t start, int64_t end, const char* content, int64_t size, Console& console) {
  const int64_t difference = size - (end - start);
  const int64_t new_length = length_ + difference;
  if (new_length + 1 > room_) {
    const int64_t grown = (new_length + 1) * 3 / 2 + 1000;
    if (grown > INT32_MAX) return false;
    if (built_.allocated() && !built_.reallocate(static_cast<int32_t>(grown))) return false;
    room_ = grown;
  }
  if (!built_.allocated() && !built_.allocate(static_cast<int32_t>(room_))) return false;
  if (difference != 0) {
    console.progress("splyce: Changing the section's size by %+li bytes and replacing the content.\n",
                     static_cast<long>(difference));
  } else {
    console.progress("splyce: Need not to change section's size. Replacing the content directly.\n");
  }
  append(old_.bytes() + copied_upto_, start - copied_upto_);
  append(content, size);
  copied_upto_ = end;
  length_ = new_length;
  return true;
}

void NewText::append(const char* bytes, int64_t size) {
  if (size > 0) std::memcpy(built_.bytes() + built_length_, bytes, static_cast<std::size_t>(size));
  built_length_ += size;
}

void NewText::finish(TextBuffer& into) {
  append(old_.bytes() + copied_upto_, old_.length() - copied_upto_);
  built_.set_length(static_cast<int32_t>(built_length_));
  into = std::move(built_);
}

class DestinationWalk {
 public:
  DestinationWalk(const Options& options, Console& console, const SectionTable& table, const TextBuffer& text,
                  const std::string& full_path)
      : options_(options),
        console_(console),
        table_(table),
        text_(text),
        full_path_(full_path),
        display_(display_name(console.platform().path_style(), full_path)),
        shared_(options.shared_mark.has_value()),
        opening_mark_(shared_ ? *options.shared_mark : *options.start_mark),
        closing_mark_(shared_ ? *options.shared_mark : *options.end_mark),
        edit_(text) {}

  UpdateResult run(TextBuffer& text);

 private:
  // Offset of the next match at or after `from`, or NO_CURSOR.
  int64_t search(int64_t from, const std::string& mark) const {
    const char* found = find_in_buffer(text_.bytes() + from, mark, text_.length() - from);
    return found == nullptr ? NO_CURSOR : found - text_.bytes();
  }
  void report_found(int64_t at, const std::string& mark) const {
    // Skips building the id's text on quiet runs: a page may hold millions of marks.
    if (!console_.verbose()) return;
    // Positions are shown as they stand in the text edited so far.
    console_.progress("splyce: Found mark \"%s\" at position %i.\n",
                      id_for_display(text_.bytes() + at + mark.size()).c_str(),
                      static_cast<int>(at + edit_.length() - text_.length()));
  }

  const Options& options_;
  Console& console_;
  const SectionTable& table_;
  const TextBuffer& text_;
  const std::string& full_path_;
  const std::string display_;
  const bool shared_;
  const std::string& opening_mark_;
  const std::string& closing_mark_;
  NewText edit_;
};

UpdateResult DestinationWalk::run(TextBuffer& text) {
  const char* bytes = text_.bytes();
  const int64_t length = text_.length();
  UpdateResult result = UpdateResult::unchanged;
  bool first_pass = true;
  int64_t cursor = 0;
  while (cursor != NO_CURSOR) {
    const int64_t opening = search(cursor, opening_mark_);
    if (opening == NO_CURSOR) {
      if (first_pass) console_.progress("splyce: No mark found in this file.\n");
      break;
    }
    report_found(opening, opening_mark_);
    const int64_t id_at = opening + static_cast<int64_t>(opening_mark_.size());
    const int64_t content_start = id_at + (shared_ ? id_length(bytes + id_at) : 0);
    const int64_t closing = search(content_start, closing_mark_);
    if (closing != NO_CURSOR) {
      report_found(closing, closing_mark_);
      cursor = closing + static_cast<int64_t>(closing_mark_.size());
    } else {
      cursor = NO_CURSOR;
    }

    int64_t region_start = content_start;
    int64_t region_end = closing;
    if (!shared_) {
      if (closing == NO_CURSOR) {
        console_.out("splyce: No end mark in %s\n", display_.c_str());
        return UpdateResult::unchanged;
      }
    } else {
      const char* closing_id = closing == NO_CURSOR ? nullptr : bytes + cursor;
      const bool pair = closing != NO_CURSOR && ids_equal(bytes + id_at, closing_id);
      if (first_pass && !options_.need_border_marks && !pair) {
        console_.progress("splyce: First mark is unique, assuming start of file as start of section.\n");
        region_start = 0;
        region_end = opening;
        cursor = content_start;
      } else if (!first_pass && !options_.need_border_marks && closing == NO_CURSOR) {
        console_.progress("splyce: Last mark is unique, assuming end of file as end of section.\n");
        region_end = length;
      } else if (!pair) {
        console_.out("splyce: Mark \"%s\" not in pairs in %s\n", id_for_display(bytes + id_at).c_str(),
                     display_.c_str());
        return UpdateResult::unchanged;
      }
    }
    first_pass = false;

    const char* content = nullptr;
    const int32_t size = table_.find_section(shared_ ? bytes + id_at : "", &content);
    if (size < 0) {
      console_.progress("splyce: No mark with this id in source file.\n");
      continue;
    }
    if (size == region_end - region_start &&
        (size == 0 || std::memcmp(bytes + region_start, content, static_cast<std::size_t>(size)) == 0)) {
      console_.progress("splyce: Section is up-to-date.\n");
      if (result == UpdateResult::unchanged) result = UpdateResult::identical;
      continue;
    }
    result = UpdateResult::changed;
    if (!edit_.replace(region_start, region_end, content, size, console_)) {
      console_.err("splyce: File grows too large: %s\n", full_path_.c_str());
      return UpdateResult::unchanged;
    }
  }
  if (result == UpdateResult::changed) edit_.finish(text);
  return result;
}

}  // namespace

UpdateResult replace_sections(const Options& options, Console& console, const SectionTable& table,
                              TextBuffer& text, const std::string& full_path) {
  DestinationWalk walk(options, console, table, text, full_path);
  return walk.run(text);
}

bool update_destination(const Options& options, Console& console, const SectionTable& table, TextBuffer& text,
                        const std::string& full_path, bool& any_file_changed) {
  console.progress("splyce: Entering file %s (%li bytes).\n", full_path.c_str(), static_cast<long>(text.length()));
  const std::string display(display_name(console.platform().path_style(), full_path));
  switch (replace_sections(options, console, table, text, full_path)) {
    case UpdateResult::unchanged:
      return true;
    case UpdateResult::identical:
      console.out("splyce: Identical %s\n", display.c_str());
      return true;
    case UpdateResult::changed:
      break;
  }
  any_file_changed = true;
  if (!options.test_mode && !write_destination(console.platform(), full_path, text)) {
    console.err("splyce: Error writing file %s\n", full_path.c_str());
    return false;
  }
  console.out("splyce: Updated %s\n", display.c_str());
  return true;
}

}  // namespace splyce
