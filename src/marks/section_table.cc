#include "marks/section_table.h"

#include <cstring>

namespace splyce {
namespace {

StoreResult refuse(const char* start_id) { return {StoreStatus::refused, id_for_display(start_id)}; }

}  // namespace

StoreResult SectionTable::store_section(const char* start_id, const char* end_id, const char* content_start,
                                        const char* content_end) {
  static constexpr const char* UNABLE = "splyce: Unable to store the position of this mark.\n";
  if (end_id == nullptr) return refuse(start_id);
  if ((content_start != nullptr && content_start > content_end) ||
      (content_start == nullptr && start_id > content_end)) {
    console_.progress("%s", UNABLE);
    return {StoreStatus::inconsistent, {}};
  }
  if (count_ >= MAX_SECTIONS) {
    console_.progress("%s", UNABLE);
    return {StoreStatus::table_full, {}};
  }
  // A section whose content begins right at its start id has no id at all.
  const bool without_id = start_id == content_start;
  const int32_t start_length = without_id ? 0 : id_length(start_id);
  const int32_t end_length = without_id ? 0 : id_length(end_id);
  if (start_length != end_length ||
      (start_length != 0 && std::memcmp(start_id, end_id, static_cast<std::size_t>(start_length)) != 0)) {
    return refuse(start_id);
  }
  if (find_section(without_id ? "" : start_id) >= 0) return refuse(without_id ? "" : start_id);
  const char* start = content_start != nullptr ? content_start : start_id + start_length;
  if (start > content_end) {
    console_.progress("%s", UNABLE);
    return {StoreStatus::inconsistent, {}};
  }
  SectionEntry& entry = entries_[static_cast<std::size_t>(count_)];
  std::memcpy(entry.id.data(), start_id, static_cast<std::size_t>(start_length));
  entry.id[static_cast<std::size_t>(start_length)] = '\0';
  entry.content = start;
  entry.length = static_cast<int32_t>(content_end - start);
  console_.progress("splyce: Storing section %i with id \"%s\" and size %li.\n", count_, entry.id.data(),
                    static_cast<long>(entry.length));
  std::size_t slot = slot_of(entry.id.data(), start_length);
  while (slots_[slot] >= 0) slot = (slot + 1) % SLOTS;
  slots_[slot] = static_cast<int16_t>(count_);
  ++count_;
  return {};
}

std::size_t SectionTable::slot_of(const char* id, int32_t length) {
  uint32_t hash = 2166136261u;
  for (int32_t i = 0; i < length; ++i) hash = (hash ^ static_cast<unsigned char>(id[i])) * 16777619u;
  return hash % SLOTS;
}

int32_t SectionTable::find_section(const char* id_position, const char** content) const {
  const int32_t n = id_length(id_position);
  for (std::size_t slot = slot_of(id_position, n); slots_[slot] >= 0; slot = (slot + 1) % SLOTS) {
    const SectionEntry& entry = entries_[static_cast<std::size_t>(slots_[slot])];
    // Equal bytes up to n and a NUL at n: the stored id is exactly this one.
    if (entry.id[static_cast<std::size_t>(n)] == '\0' &&
        std::memcmp(entry.id.data(), id_position, static_cast<std::size_t>(n)) == 0) {
      if (content != nullptr) *content = entry.content;
      return entry.length;
    }
  }
  if (content != nullptr) *content = nullptr;
  return -1;
}

int32_t SectionTable::total_section_size() const {
  int64_t total = 0;
  for (int32_t i = 0; i < count_; ++i) total += entries_[static_cast<std::size_t>(i)].length;
  return total > INT32_MAX ? INT32_MAX : static_cast<int32_t>(total);
}

}  // namespace splyce
