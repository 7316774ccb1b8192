// One open directory listing, read entry by entry.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fileio/platform.h"

namespace splyce {

class DirectoryListing {
 public:
  // The name of the next entry, or null after the last one. The text stays
  // valid while the listing lives.
  const std::string* next_entry();

 private:
  friend std::optional<DirectoryListing> open_listing(Platform& platform, const std::string& directory);
  explicit DirectoryListing(std::vector<std::string> names) : names_(std::move(names)) {}

  std::vector<std::string> names_;
  std::size_t next_ = 0;
};

// Every entry of the directory, sorted by name; nothing when it cannot be listed.
std::optional<DirectoryListing> open_listing(Platform& platform, const std::string& directory);

}  // namespace splyce
