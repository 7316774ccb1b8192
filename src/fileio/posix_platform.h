// The platform on POSIX systems. A '\' in a path is taken as a separator and
// becomes '/' before the file system sees it.
#pragma once

#include <map>

#include <sys/types.h>

#include "fileio/platform.h"

namespace splyce {

class PosixPlatform : public Platform {
 public:
  PosixPlatform();

  PathStyle path_style() const override { return PathStyle{true, '/'}; }

  FileInfo inspect(const std::string& path) override;
  int open_for_reading(const std::string& path) override;
  int open_for_rewriting(const std::string& path) override;
  int64_t read(int fd, char* dst, int64_t count) override;
  int64_t write(int fd, const char* src, int64_t count) override;
  int close_file(int fd) override;

  int create_replacement(const std::string& path, std::string& temp_path, std::string& target_path) override;
  bool commit_replacement(const std::string& temp_path, const std::string& target_path) override;
  bool remove_file(const std::string& path) override;

  int change_directory(const std::string& path) override;
  bool list_directory(const std::string& path, std::vector<std::string>& names) override;

  void write_out(std::string_view text) override;
  void write_err(std::string_view text) override;
  int read_char() override;

 private:
  // Set-id bits of files being rewritten in place: an unprivileged write
  // clears them, so they are put back when the file is closed.
  std::map<int, mode_t> set_id_modes_;
};

}  // namespace splyce
