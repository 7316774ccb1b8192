#include "fileio/directory_listing.h"

#include <algorithm>

namespace splyce {

const std::string* DirectoryListing::next_entry() {
  if (next_ >= names_.size()) return nullptr;
  return &names_[next_++];
}

std::optional<DirectoryListing> open_listing(Platform& platform, const std::string& directory) {
  std::vector<std::string> names;
  if (!platform.list_directory(directory, names)) return std::nullopt;
  // Byte order, whatever the platform delivers, so that runs are reproducible.
  std::sort(names.begin(), names.end());
  return DirectoryListing(std::move(names));
}

}  // namespace splyce
