#include "fileio/windows_platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace splyce {
namespace {

// Other programs may read, write, rename or delete a file while it is open,
// as on POSIX systems.
constexpr DWORD SHARE_ALL = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The most that one ReadFile or WriteFile call is asked to move.
constexpr int64_t CHUNK = int64_t{1} << 30;
// The attributes a replacement takes over from the file it replaces.
constexpr DWORD KEPT_ATTRIBUTES =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A handle that closes itself.
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE h) : h_(h) {}
  ~OwnedHandle() {
    if (valid()) CloseHandle(h_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }
  HANDLE release() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return h;
  }

 private:
  HANDLE h_;
};

// What an open handle is. Only a handle on a disk can be a file or a
// directory; a device or a pipe is neither.
FileInfo describe(HANDLE h, BY_HANDLE_FILE_INFORMATION* details = nullptr) {
  FileInfo info;
  info.exists = true;
  if (GetFileType(h) != FILE_TYPE_DISK) return info;
  BY_HANDLE_FILE_INFORMATION bh;
  if (!GetFileInformationByHandle(h, &bh)) return info;
  if (details) *details = bh;
  info.is_directory = (bh.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info.is_regular = !info.is_directory && (bh.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
  // The attribute itself, not the rights of whoever runs the program.
  info.read_only = (bh.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (info.is_regular) {
    info.size = static_cast<int64_t>((static_cast<uint64_t>(bh.nFileSizeHigh) << 32) | bh.nFileSizeLow);
  }
  info.links = static_cast<int64_t>(bh.nNumberOfLinks);
  return info;
}

// Opens a name, following links, only to look at it; also a directory.
HANDLE open_to_inspect(const std::string& path) {
  return CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, SHARE_ALL, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Opens an existing regular file; never creates one. A file to be written
// must not carry the read-only attribute.
HANDLE open_regular(const std::string& path, DWORD access) {
  if (path.empty()) return INVALID_HANDLE_VALUE;
  OwnedHandle h(CreateFileA(path.c_str(), access, SHARE_ALL, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) return INVALID_HANDLE_VALUE;
  const FileInfo info = describe(h.get());
  if (!info.is_regular || ((access & GENERIC_WRITE) != 0 && info.read_only)) return INVALID_HANDLE_VALUE;
  return h.release();
}

// The part of a path up to and including its last separator: the folder a
// file beside it goes to. The file system takes '/' as well, and "C:name"
// lies in the drive's current folder.
std::string folder_part(const std::string& path) {
  const std::size_t sep = path.find_last_of("\\/");
  if (sep != std::string::npos) return path.substr(0, sep + 1);
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  return {};
}

// The path of the file a link leads to, without the "\\?\" that Windows puts
// in front when the path is short enough to do without it.
bool final_path(HANDLE h, std::string& path) {
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetFinalPathNameByHandleA(h, buffer.data(), static_cast<DWORD>(buffer.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return false;
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.assign(n, '\0');
  }
  if (buffer.starts_with("\\\\?\\") && buffer.size() - 4 < MAX_PATH) {
    if (buffer.starts_with("\\\\?\\UNC\\")) {
      buffer = "\\\\" + buffer.substr(8);
    } else if (buffer.size() >= 6 && buffer[5] == ':') {
      buffer = buffer.substr(4);
    }
  }
  path = std::move(buffer);
  return true;
}

void write_translated(std::FILE* stream, std::string_view text) {
  // A text stream: every LF goes out as CR LF. The bytes are otherwise
  // untouched: no code page conversion.
  std::string out;
  out.reserve(text.size() + 64);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  std::fwrite(out.data(), 1, out.size(), stream);
}

}  // namespace

WindowsPlatform::WindowsPlatform() {
  // The program itself turns LF into CR LF, so the C library must not do it again.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  // On a console, unbuffered output keeps both streams in order and shows
  // the wait prompt, which has no line end.
  DWORD mode = 0;
  if (GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) std::setvbuf(stdout, nullptr, _IONBF, 0);
}

WindowsPlatform::~WindowsPlatform() {
  for (void* h : handles_) {
    if (h) CloseHandle(h);
  }
}

int WindowsPlatform::adopt(void* handle) {
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return -1;
  auto free_slot = std::find(handles_.begin(), handles_.end(), nullptr);
  if (free_slot == handles_.end()) free_slot = handles_.insert(handles_.end(), nullptr);
  *free_slot = handle;
  return static_cast<int>(free_slot - handles_.begin()) + 1;
}

void* WindowsPlatform::handle_of(int fd) const {
  if (fd <= 0 || static_cast<std::size_t>(fd) > handles_.size()) return nullptr;
  return handles_[static_cast<std::size_t>(fd) - 1];
}

FileInfo WindowsPlatform::inspect(const std::string& path) {
  if (path.empty()) return FileInfo{};
  OwnedHandle h(open_to_inspect(path));
  if (h.valid()) return describe(h.get());
  // A name that cannot be opened, even to look at it (a file in use without
  // sharing, say), is still there, unless it is a link that leads nowhere.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return FileInfo{};
  if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return FileInfo{};
  FileInfo info;
  info.exists = true;
  info.is_directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info.is_regular = !info.is_directory && (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
  info.read_only = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (info.is_regular) {
    info.size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  }
  return info;
}

int WindowsPlatform::open_for_reading(const std::string& path) { return adopt(open_regular(path, GENERIC_READ)); }

int WindowsPlatform::open_for_rewriting(const std::string& path) {
  OwnedHandle h(open_regular(path, GENERIC_WRITE));
  if (!h.valid()) return -1;
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(h.get(), start, nullptr, FILE_BEGIN) || !SetEndOfFile(h.get())) return -1;
  return adopt(h.release());
}

int64_t WindowsPlatform::read(int fd, char* dst, int64_t count) {
  HANDLE h = handle_of(fd);
  if (!h || count < 0) return -1;
  int64_t done = 0;
  while (done < count) {
    DWORD got = 0;
    if (!ReadFile(h, dst + done, static_cast<DWORD>(std::min(count - done, CHUNK)), &got, nullptr)) return -1;
    if (got == 0) break;
    done += got;
  }
  return done;
}

int64_t WindowsPlatform::write(int fd, const char* src, int64_t count) {
  HANDLE h = handle_of(fd);
  if (!h || count < 0) return -1;
  int64_t done = 0;
  while (done < count) {
    DWORD put = 0;
    if (!WriteFile(h, src + done, static_cast<DWORD>(std::min(count - done, CHUNK)), &put, nullptr)) return -1;
    if (put == 0) break;
    done += put;
  }
  return done;
}

int WindowsPlatform::close_file(int fd) {
  HANDLE h = handle_of(fd);
  if (!h) return -1;
  handles_[static_cast<std::size_t>(fd) - 1] = nullptr;
  return CloseHandle(h) ? 0 : -1;
}

int WindowsPlatform::create_replacement(const std::string& path, std::string& temp_path, std::string& target_path) {
  if (path.empty()) return -1;
  OwnedHandle file(open_to_inspect(path));
  if (!file.valid()) return -1;
  BY_HANDLE_FILE_INFORMATION details;
  const FileInfo info = describe(file.get(), &details);
  if (!info.is_regular || info.read_only) return -1;
  // The replacement goes beside the file itself, so that a link (to the file
  // or to a folder on its way) stays a link. Where the file system cannot
  // name the file itself, a name that is no link will do.
  std::string target = path;
  if (!final_path(file.get(), target)) {
    const DWORD own = GetFileAttributesA(path.c_str());
    if (own == INVALID_FILE_ATTRIBUTES || (own & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return -1;
  }

  const std::string folder = folder_part(target);
  const DWORD kept = details.dwFileAttributes & KEPT_ATTRIBUTES;
  static unsigned counter = 0;
  const unsigned seed = GetCurrentProcessId() * 2654435761u ^ GetTickCount();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%06x", (seed + 7919u * ++counter) & 0xFFFFFFu);
    const std::string name = folder + ".splyce-" + suffix;
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                           kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
      return -1;
    }
    const int fd = adopt(h);
    if (fd <= 0) {
      CloseHandle(h);
      DeleteFileA(name.c_str());
      return -1;
    }
    temp_path = name;
    target_path = target;
    return fd;
  }
  return -1;
}

bool WindowsPlatform::commit_replacement(const std::string& temp_path, const std::string& target_path) {
  // ReplaceFile keeps the destination's attributes and fails when the
  // destination is gone: it never creates one.
  if (ReplaceFileA(target_path.c_str(), temp_path.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                   nullptr)) {
    return true;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
  // Where ReplaceFile is not supported (some network shares), both files are
  // as they were: move the replacement, which already carries the
  // destination's attributes, over the destination if it is still there.
  const DWORD target = GetFileAttributesA(target_path.c_str());
  if (target == INVALID_FILE_ATTRIBUTES || (target & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
  if (GetFileAttributesA(temp_path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  return MoveFileExA(temp_path.c_str(), target_path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool WindowsPlatform::remove_file(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

int WindowsPlatform::change_directory(const std::string& path) {
  return SetCurrentDirectoryA(path.c_str()) ? 0 : -1;
}

bool WindowsPlatform::list_directory(const std::string& path, std::vector<std::string>& names) {
  std::string pattern = path;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileExA(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER) {
    find = FindFirstFileExA(pattern.c_str(), FindExInfoStandard, &entry, FindExSearchNameMatch, nullptr, 0);
  }
  names.clear();
  if (find == INVALID_HANDLE_VALUE) {
    // An empty drive root has no entries at all, not even "." and "..".
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    const std::string folder = path.empty() ? std::string(".") : pattern.substr(0, pattern.size() - 1);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
  do {
    names.emplace_back(entry.cFileName);
  } while (FindNextFileA(find, &entry));
  const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(find);
  if (!complete) return false;
  std::sort(names.begin(), names.end());
  return true;
}

void WindowsPlatform::write_out(std::string_view text) { write_translated(stdout, text); }

void WindowsPlatform::write_err(std::string_view text) { write_translated(stderr, text); }

int WindowsPlatform::read_char() {
  std::fflush(stdout);
  return std::getchar();
}

}  // namespace splyce
