#include "dest/write_back.h"

#include <memory>
#include <new>

#include "fileio/text_mode.h"

namespace splyce {
namespace {

bool write_and_close(Platform& platform, int fd, const TextBuffer& text) {
  const bool written = write_text(platform, fd, text.bytes(), text.length()) == text.length();
  const bool closed = platform.close_file(fd) == 0;
  return written && closed;
}

bool write_through_replacement(Platform& platform, int fd, const std::string& temp_path,
                               const std::string& target_path, const TextBuffer& text) {
  if (write_and_close(platform, fd, text) && platform.commit_replacement(temp_path, target_path)) return true;
  platform.remove_file(temp_path);
  return false;
}

bool write_in_place(Platform& platform, const std::string& path, int64_t size, const TextBuffer& text) {
  // Keep the old bytes, so that a write that fails half-way can be undone.
  std::unique_ptr<char[]> saved(new (std::nothrow) char[static_cast<std::size_t>(size) + 1]);
  if (!saved) return false;
  const int reader = platform.open_for_reading(path);
  if (reader <= 0) return false;
  const int64_t got = platform.read(reader, saved.get(), size + 1);
  platform.close_file(reader);
  if (got != size) return false;

  const int fd = platform.open_for_rewriting(path);
  if (fd <= 0) return false;
  if (write_and_close(platform, fd, text)) return true;

  const int restore = platform.open_for_rewriting(path);
  if (restore > 0) {
    platform.write(restore, saved.get(), size);
    platform.close_file(restore);
  }
  return false;
}

}  // namespace

bool write_destination(Platform& platform, const std::string& full_path, const TextBuffer& text) {
  const FileInfo info = platform.inspect(full_path);
  if (!info.exists || !info.is_regular || info.read_only) return false;
  if (info.links == 1) {
    std::string temp_path;
    std::string target_path;
    const int fd = platform.create_replacement(full_path, temp_path, target_path);
    if (fd > 0) return write_through_replacement(platform, fd, temp_path, target_path, text);
  }
  return write_in_place(platform, full_path, info.size, text);
}

}  // namespace splyce
