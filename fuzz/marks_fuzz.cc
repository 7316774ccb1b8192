// The mark primitives and the section table on arbitrary bytes, each checked
// against a direct reading of its rules.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "marks/mark_text.h"
#include "marks/section_table.h"
#include "support/memory_platform.h"

namespace splyce::fuzz {
namespace {

// The search as the rules tell it: a plain substring search in each
// NUL-free stretch, from left to right.
const char* naive_find(const char* start, const std::string& mark, int64_t length) {
  if (length <= 0 || start == nullptr || start[length] != '\0') return nullptr;
  const char* stretch = start;
  for (;;) {
    if (const char* hit = std::strstr(stretch, mark.c_str())) return hit;
    const char* nul = stretch + std::strlen(stretch);
    if (nul >= start + length - 1) return nullptr;
    stretch = nul + 1;
  }
}

int32_t naive_id_length(const char* p) {
  int32_t n = 0;
  while (n < MAX_ID_LENGTH && (std::isalnum(static_cast<unsigned char>(p[n])) || p[n] == '_') &&
         static_cast<unsigned char>(p[n]) < 0x80) {
    ++n;
  }
  return n;
}

std::string naive_id(const char* p) { return std::string(p, static_cast<std::size_t>(naive_id_length(p))); }

struct ModelEntry {
  std::string id;
  const char* content;
  int32_t length;
};

// store_section's checks in their order; the first that fails decides.
StoreResult naive_store(std::vector<ModelEntry>& entries, Console& console, const char* start_id,
                        const char* end_id, const char* content_start, const char* content_end) {
  const char* UNABLE = "splyce: Unable to store the position of this mark.\n";
  if (end_id == nullptr) return {StoreStatus::refused, naive_id(start_id)};
  if ((content_start != nullptr && content_start > content_end) ||
      (content_start == nullptr && start_id > content_end)) {
    console.progress("%s", UNABLE);
    return {StoreStatus::inconsistent, {}};
  }
  if (entries.size() >= static_cast<std::size_t>(MAX_SECTIONS)) {
    console.progress("%s", UNABLE);
    return {StoreStatus::table_full, {}};
  }
  const bool no_id = start_id == content_start;
  const std::string a = no_id ? "" : naive_id(start_id);
  const std::string b = no_id ? "" : naive_id(end_id);
  if (a != b) return {StoreStatus::refused, a};
  for (const ModelEntry& e : entries) {
    if (e.id == a) return {StoreStatus::refused, a};
  }
  const char* start = content_start != nullptr ? content_start : start_id + a.size();
  if (start > content_end) {
    console.progress("%s", UNABLE);
    return {StoreStatus::inconsistent, {}};
  }
  entries.push_back({a, start, static_cast<int32_t>(content_end - start)});
  console.progress("splyce: Storing section %i with id \"%s\" and size %li.\n",
                   static_cast<int>(entries.size() - 1), a.c_str(), static_cast<long>(entries.back().length));
  return {};
}

void check_primitives(const std::string& text, const std::string& mark, FuzzInput& in) {
  // The loaded-text form: the bytes, then one NUL.
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  const char* start = buffer.data();
  const int64_t n = static_cast<int64_t>(text.size());

  for (int i = 0; i < 4; ++i) {
    const int64_t from = n == 0 ? 0 : in.word() % (n + 1);
    check(find_in_buffer(start + from, mark, n - from) == naive_find(start + from, mark, n - from),
          "find_in_buffer differs from the stretch-wise search");
  }
  // A region that does not end before the NUL finds nothing.
  if (n >= 2 && start[n - 1] != '\0') check(find_in_buffer(start, mark, n - 1) == nullptr, "unterminated region");
  check(find_in_buffer(nullptr, mark, n) == nullptr, "null start");

  for (int64_t i = 0; i <= n; ++i) {
    const char* p = start + i;
    check(id_length(p) == naive_id_length(p), "id_length");
    check(id_for_display(p) == naive_id(p), "id_for_display");
  }
  for (int i = 0; i < 4 && n > 0; ++i) {
    const char* a = start + in.word() % (n + 1);
    const char* b = start + in.word() % (n + 1);
    check(ids_equal(a, b) == (naive_id(a) == naive_id(b)), "ids_equal");
  }
  check(!ids_equal(nullptr, start) && !ids_equal(start, nullptr), "ids_equal with null");
  check(id_for_display(nullptr).empty(), "id_for_display of null");

  // copy_bounded into exactly `size` bytes: ASan sees any byte beyond.
  const std::size_t size = in.byte() % 40;
  std::vector<char> destination(size == 0 ? 1 : size, 'x');
  copy_bounded(destination.data(), start, size);
  if (size == 0) {
    check(destination[0] == 'x', "copy_bounded wrote with size 0");
  } else {
    const std::size_t copied = std::min(size - 1, std::strlen(start));
    check(std::memcmp(destination.data(), start, copied) == 0 && destination[copied] == '\0', "copy_bounded");
  }
}

void check_table(const std::string& text, FuzzInput& in) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  const char* start = buffer.data();
  const std::size_t n = text.size();
  const bool verbose = in.byte() & 1;
  testing::MemoryPlatform real_platform;
  testing::MemoryPlatform model_platform;
  Console real_console(real_platform);
  Console model_console(model_platform);
  if (verbose) {
    real_console.set_verbose();
    model_console.set_verbose();
  }
  SectionTable table(real_console);
  std::vector<ModelEntry> model;
  // Positions anywhere in the text, the NUL after it included, or null.
  auto position = [&](bool may_be_null) -> const char* {
    const uint16_t w = in.word();
    if (may_be_null && (w & 0x8000)) return nullptr;
    return start + (w % (n + 1));
  };
  const int calls = 1 + in.byte();  // up to 256: enough to fill the table
  for (int i = 0; i < calls; ++i) {
    const char* start_id = position(false);
    const char* end_id = position(true);
    const char* content_start = (in.byte() & 3) == 0 ? start_id : position(true);
    const char* content_end = end_id == nullptr ? nullptr : position(false);
    const StoreResult got = table.store_section(start_id, end_id, content_start, content_end);
    const StoreResult want = naive_store(model, model_console, start_id, end_id, content_start, content_end);
    check(got.status == want.status, "store_section status");
    check(got.status != StoreStatus::refused || got.refused_id == want.refused_id, "refused id");
  }
  check(real_platform.out == model_platform.out, "store_section progress lines");
  check(table.count() == static_cast<int32_t>(model.size()), "section count");
  int64_t total = 0;
  for (int32_t i = 0; i < table.count(); ++i) {
    const SectionEntry& e = table.entry(i);
    const ModelEntry& m = model[static_cast<std::size_t>(i)];
    check(std::string(e.id.data()) == m.id && e.content == m.content && e.length == m.length, "stored entry");
    check(e.length >= 0 && e.content >= start && e.content + e.length <= start + n, "entry inside the text");
    const char* content = nullptr;
    check(table.find_section(e.id.data(), &content) == e.length && content == e.content, "find_section");
    total += e.length;
  }
  check(table.total_section_size() == total, "total_section_size");
}

}  // namespace
}  // namespace splyce::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  splyce::fuzz::FuzzInput in(data, size);
  const std::string mark = in.chunk(16);
  const std::string text = in.chunk(4096);
  splyce::fuzz::check_primitives(text, mark, in);
  splyce::fuzz::check_table(text, in);
  return 0;
}
