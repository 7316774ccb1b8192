// An in-memory disk and console for tests. Every operation is counted and
// can be made to fail on request: refuse outright, or take only part of a
// read or write first.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fileio/platform.h"

namespace splyce::testing {

enum class Op {
  inspect,
  open_for_reading,
  open_for_rewriting,
  read,
  write,
  close,
  create_replacement,
  commit_replacement,
  remove,
  change_directory,
  list_directory,
};

struct MemoryFile {
  std::string bytes;
  bool read_only = false;
  int links = 1;
};

class MemoryPlatform : public Platform {
 public:
  explicit MemoryPlatform(PathStyle style = PathStyle{true, '/'});

  // --- Setting up the disk. Paths are relative to the working directory.
  void add_file(const std::string& path, std::string bytes, bool read_only = false);
  void add_directory(const std::string& path);
  bool has_file(const std::string& path) const;
  const std::string& file(const std::string& path) const;
  void remove(const std::string& path);
  void set_links(const std::string& path, int links);
  // Every file and directory, as absolute paths.
  std::vector<std::string> all_files() const;
  const std::string& cwd() const { return cwd_; }

  // --- Faults. The nth call (1-based) of op fails; for read and write,
  // `keep` bytes are moved first (-1: nothing happens, the call fails).
  struct Fault {
    Op op;
    int nth = 1;
    int64_t keep = -1;
  };
  std::vector<Fault> faults;
  // Runs before every operation, with its path (empty where there is none);
  // may change the disk, for instance make a file vanish.
  std::function<void(Op, const std::string&)> before;
  // Where create_replacement has no room, as in a directory that cannot be written.
  bool replacement_refused = false;

  int calls(Op op) const;
  int calls(Op op, const std::string& path) const;

  // --- Console.
  std::string out;
  std::string err;
  std::string input;  // what read_char reads

  // --- Platform.
  PathStyle path_style() const override { return style_; }
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
  void write_out(std::string_view text) override { out.append(text); }
  void write_err(std::string_view text) override { err.append(text); }
  int read_char() override;

 private:
  struct OpenFile {
    std::string path;
    int64_t position = 0;
  };

  std::string absolute(const std::string& path) const;
  // Counts the call; true when it is to fail, with the bytes it may still move in *keep.
  bool fails(Op op, const std::string& path, int64_t* keep = nullptr);

  PathStyle style_;
  std::string cwd_ = "/";
  std::map<std::string, MemoryFile> files_;
  std::set<std::string> directories_{"/"};
  std::map<int, OpenFile> open_;
  int next_fd_ = 3;
  int temp_counter_ = 0;
  std::map<Op, int> op_calls_;
  std::map<std::pair<Op, std::string>, int> path_calls_;
  std::size_t input_pos_ = 0;
};

}  // namespace splyce::testing
