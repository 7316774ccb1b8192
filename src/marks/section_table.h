// The sections taken from the source: id, and where the content lies in the
// loaded source text (which outlives the table's use).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "fileio/console.h"
#include "marks/mark_text.h"

namespace splyce {

constexpr int32_t MAX_SECTIONS = 200;

struct SectionEntry {
  std::array<char, MAX_ID_LENGTH + 1> id{};  // NUL-terminated
  const char* content = nullptr;
  int32_t length = 0;
};

enum class StoreStatus {
  stored,
  table_full,    // reported as "*"
  inconsistent,  // reported as "?"
  refused,       // the opening mark's id has no partner, or is stored already
};

struct StoreResult {
  StoreStatus status = StoreStatus::stored;
  std::string refused_id;  // for StoreStatus::refused; may be empty
};

class SectionTable {
 public:
  explicit SectionTable(Console& console) : console_(console) {}

  // Stores the section between a mark's id and its partner. end_id and
  // content_end are null when the mark has no partner; a null content_start
  // means directly after the start id; content_start == start_id means a
  // section without id.
  StoreResult store_section(const char* start_id, const char* end_id, const char* content_start,
                            const char* content_end);

  // Content length of the section with the id at position, or -1; the
  // content's start goes to *content when given (null when not stored).
  int32_t find_section(const char* id_position, const char** content = nullptr) const;

  int32_t total_section_size() const;
  int32_t count() const { return count_; }
  const SectionEntry& entry(int32_t i) const { return entries_[static_cast<std::size_t>(i)]; }

 private:
  // Open addressing over the ids: a page may hold millions of marks, each
  // looked up once.
  static constexpr std::size_t SLOTS = 512;
  static std::size_t slot_of(const char* id, int32_t length);

  Console& console_;
  std::array<SectionEntry, MAX_SECTIONS> entries_{};
  std::array<int16_t, SLOTS> slots_ = [] {
    std::array<int16_t, SLOTS> empty{};
    empty.fill(-1);
    return empty;
  }();
  int32_t count_ = 0;
};

}  // namespace splyce
