#include "marks/mark_text.h"

#include <cstring>

namespace splyce {
namespace {

// Leftmost needle in haystack. glibc's memmem is linear and vectorised; the
// portable loop lets memchr do the scanning.
const char* search_bytes(const char* haystack, std::size_t n, const char* needle, std::size_t m) {
#if defined(__GLIBC__)
  return static_cast<const char*>(memmem(haystack, n, needle, m));
#else
  if (m == 0) return haystack;
  if (m > n) return nullptr;
  const char* last = haystack + (n - m);
  for (const char* p = haystack; p <= last; ++p) {
    p = static_cast<const char*>(std::memchr(p, needle[0], static_cast<std::size_t>(last - p) + 1));
    if (p == nullptr) return nullptr;
    if (std::memcmp(p + 1, needle + 1, m - 1) == 0) return p;
  }
  return nullptr;
#endif
}

}  // namespace

char* copy_bounded(char* destination, const char* source, std::size_t size) {
  if (size == 0) return destination;
  std::size_t i = 0;
  for (; i + 1 < size && source[i] != '\0'; ++i) destination[i] = source[i];
  destination[i] = '\0';
  return destination;
}

const char* find_in_buffer(const char* start, std::string_view mark, int64_t length) {
  if (length <= 0 || start == nullptr || start[length] != '\0') return nullptr;
  // The mark holds no NUL, so a match inside the region never spans one of
  // the file's NUL bytes; only the part of the mark up to a NUL ever counts.
  const std::string_view needle = mark.substr(0, mark.find('\0'));
  return search_bytes(start, static_cast<std::size_t>(length), needle.data(), needle.size());
}

bool is_id_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

int32_t id_length(const char* position) {
  int32_t n = 0;
  while (n < MAX_ID_LENGTH && is_id_char(position[n])) ++n;
  return n;
}

bool ids_equal(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return false;
  const int32_t n = id_length(a);
  if (n != id_length(b)) return false;
  return n == 0 || std::memcmp(a, b, static_cast<std::size_t>(n)) == 0;
}

std::string id_for_display(const char* position) {
  if (position == nullptr) return {};
  return std::string(position, static_cast<std::size_t>(id_length(position)));
}

}  // namespace splyce
