#include "fileio/path_text.h"

namespace splyce {

bool is_separator(const PathStyle& style, char c) {
  return c == '\\' || (style.slash_separates && c == '/');
}

std::size_t last_separator(const PathStyle& style, std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (is_separator(style, path[i - 1])) return i - 1;
  }
  return std::string_view::npos;
}

std::string_view last_component(const PathStyle& style, std::string_view path) {
  const std::size_t sep = last_separator(style, path);
  return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

std::string join_path(const PathStyle& style, std::string_view directory, std::string_view name) {
  std::string path;
  path.reserve(directory.size() + 1 + name.size());
  path.append(directory);
  if (path.empty() || !is_separator(style, path.back())) path.push_back(style.joiner);
  path.append(name);
  return path;
}

std::string_view display_name(const PathStyle& style, std::string_view full_path) {
  if (full_path.size() >= 2 && full_path[0] == '.' && is_separator(style, full_path[1])) {
    return full_path.substr(2);
  }
  return full_path;
}

}  // namespace splyce
