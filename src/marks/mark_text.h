// The grammar of marks and ids: a mark is a plain, case-sensitive string; in
// shared-mark mode the id follows it directly and is a run of ASCII letters,
// digits and underscores, at most MAX_ID_LENGTH of them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace splyce {

constexpr int32_t MAX_ID_LENGTH = 31;

// Copies at most size - 1 characters of source and a NUL; nothing when size is 0.
char* copy_bounded(char* destination, const char* source, std::size_t size);

// The leftmost occurrence of mark within the length bytes from start, or null.
// Those bytes may hold NULs (a match never spans one); the byte at
// start + length must be the NUL after the text, else nothing is found.
const char* find_in_buffer(const char* start, std::string_view mark, int64_t length);

bool is_id_char(char c);

// Length of the id at position, 0 to MAX_ID_LENGTH.
int32_t id_length(const char* position);

// True when both positions are given and hold equal ids.
bool ids_equal(const char* a, const char* b);

// The id at position, for messages; empty for null.
std::string id_for_display(const char* position);

}  // namespace splyce
