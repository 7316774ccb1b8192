// Splitting and joining path texts by the platform's separator rules.
#pragma once

#include <string>
#include <string_view>

#include "fileio/platform.h"

namespace splyce {

bool is_separator(const PathStyle& style, char c);

// Index of the last separator in path, or npos.
std::size_t last_separator(const PathStyle& style, std::string_view path);

// The text after the last separator, or the whole path.
std::string_view last_component(const PathStyle& style, std::string_view path);

// directory + separator + name; a directory that already ends in a separator
// (the root) gets none added.
std::string join_path(const PathStyle& style, std::string_view directory, std::string_view name);

// The path without a leading "." and separator, as shown in per-file results.
std::string_view display_name(const PathStyle& style, std::string_view full_path);

}  // namespace splyce
