#include "fileio/text_file.h"

#include "fileio/text_mode.h"

namespace splyce {

LoadStatus load_text_file(Platform& platform, const std::string& path, int32_t room, TextBuffer& text) {
  const FileInfo info = platform.inspect(path);
  if (!info.exists) return LoadStatus::cannot_access;
  if (info.size > INT32_MAX) return LoadStatus::negative_size;
  if (info.size == 0) return LoadStatus::empty;
  const int64_t capacity = info.size + room + 1;
  if (capacity > INT32_MAX || !text.allocate(static_cast<int32_t>(capacity))) return LoadStatus::too_large;
  TextInput input{platform.open_for_reading(path)};
  if (input.fd <= 0) return LoadStatus::cannot_open;
  const int32_t length = read_text(platform, input, text.bytes(), static_cast<int32_t>(info.size));
  platform.close_file(input.fd);
  if (length <= 0) return LoadStatus::cannot_read;
  text.set_length(length);
  return LoadStatus::loaded;
}

}  // namespace splyce
