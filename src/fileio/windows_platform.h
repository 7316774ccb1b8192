// The platform on Windows. Only '\' separates directories in the program's
// own path handling; files are opened in binary mode and the program's shared
// text-mode code does the translation; the console streams are text streams.
#pragma once

#include <vector>

#include "fileio/platform.h"

namespace splyce {

class WindowsPlatform : public Platform {
 public:
  WindowsPlatform();
  ~WindowsPlatform() override;
  WindowsPlatform(const WindowsPlatform&) = delete;
  WindowsPlatform& operator=(const WindowsPlatform&) = delete;

  PathStyle path_style() const override { return PathStyle{false, '\\'}; }

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
  // Descriptors are small numbers above 0 that stand for file handles:
  // descriptor n is handles_[n - 1], and a closed slot holds nullptr.
  int adopt(void* handle);
  void* handle_of(int fd) const;

  std::vector<void*> handles_;
};

}  // namespace splyce
