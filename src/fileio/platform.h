// The one door through which the program reaches the disk and the console.
// Real runs use the POSIX or Windows implementation; tests use an in-memory
// fake that can fail on request.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace splyce {

// How paths are split and built on a platform.
struct PathStyle {
  // POSIX: both '/' and '\' separate directories. Windows: only '\'.
  bool slash_separates = true;
  // The separator the program puts between a directory and a name.
  char joiner = '/';
};

// What the program needs to know about a name on disk. Links are followed.
struct FileInfo {
  bool exists = false;
  bool is_directory = false;
  bool is_regular = false;
  bool read_only = false;  // nobody may write it, whoever runs the program
  int64_t size = 0;
  int64_t links = 1;       // hard links to the file
};

class Platform {
 public:
  virtual ~Platform() = default;

  virtual PathStyle path_style() const = 0;

  // --- Files. A descriptor is open when it is greater than 0.
  virtual FileInfo inspect(const std::string& path) = 0;
  // Opens an existing regular file for raw reading; never creates one.
  virtual int open_for_reading(const std::string& path) = 0;
  // Opens an existing, writable regular file and truncates it; never creates one.
  virtual int open_for_rewriting(const std::string& path) = 0;
  // Raw bytes: fills up to count, fewer only at the end of the file; -1 on error.
  virtual int64_t read(int fd, char* dst, int64_t count) = 0;
  // Raw bytes: the number taken, which is count unless the platform refused; -1 on error.
  virtual int64_t write(int fd, const char* src, int64_t count) = 0;
  virtual int close_file(int fd) = 0;

  // --- Whole-file replacement.
  // Creates a new, empty file beside the file that `path` names (through
  // links), with that file's permissions, and opens it for writing. Gives the
  // new file's name and the name it is to replace. <= 0 when no file can be
  // made there.
  virtual int create_replacement(const std::string& path, std::string& temp_path,
                                 std::string& target_path) = 0;
  // Moves the written replacement over its target. Fails when the target has
  // vanished in the meantime: a destination is never created.
  virtual bool commit_replacement(const std::string& temp_path, const std::string& target_path) = 0;
  virtual bool remove_file(const std::string& path) = 0;

  // --- Directories.
  virtual int change_directory(const std::string& path) = 0;
  // Every entry of the directory, "." and ".." included, sorted by name in
  // byte order. An empty name lists the working directory.
  virtual bool list_directory(const std::string& path, std::vector<std::string>& names) = 0;

  // --- Console.
  virtual void write_out(std::string_view text) = 0;
  virtual void write_err(std::string_view text) = 0;
  // Flushes pending output, then reads one character; returns at once at the
  // end of the input.
  virtual int read_char() = 0;
};

}  // namespace splyce
