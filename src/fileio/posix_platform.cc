#include "fileio/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace splyce {
namespace {

std::string native(const std::string& path) {
  std::string p = path;
  for (char& c : p) {
    if (c == '\\') c = '/';
  }
  return p;
}

// Callers count only descriptors above 0 as open; with standard input closed
// the system may hand out 0, so move it out of the way.
int above_zero(int fd) {
  if (fd != 0) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  ::close(fd);
  return moved;
}

bool nobody_may_write(const struct stat& st) { return (st.st_mode & 0222) == 0; }

// Opens only regular files, and never waits on a FIFO or a device.
int open_regular(const std::string& path, int flags) {
  const int fd = ::open(native(path).c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ((flags & O_ACCMODE) != O_RDONLY && nobody_may_write(st))) {
    ::close(fd);
    return -1;
  }
  // O_NONBLOCK stays: it has no effect on a regular file.
  return above_zero(fd);
}

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};

}  // namespace

PosixPlatform::PosixPlatform() {
  // On a terminal, unbuffered output keeps both streams in order and shows
  // the wait prompt, which has no line end.
  if (isatty(STDOUT_FILENO)) std::setvbuf(stdout, nullptr, _IONBF, 0);
}

FileInfo PosixPlatform::inspect(const std::string& path) {
  FileInfo info;
  struct stat st;
  if (::stat(native(path).c_str(), &st) != 0) return info;
  info.exists = true;
  info.is_directory = S_ISDIR(st.st_mode);
  info.is_regular = S_ISREG(st.st_mode);
  info.read_only = nobody_may_write(st);
  info.size = info.is_regular ? static_cast<int64_t>(st.st_size) : 0;
  info.links = static_cast<int64_t>(st.st_nlink);
  return info;
}

int PosixPlatform::open_for_reading(const std::string& path) { return open_regular(path, O_RDONLY); }

int PosixPlatform::open_for_rewriting(const std::string& path) {
  const int fd = open_regular(path, O_WRONLY);
  if (fd <= 0) return fd;
  struct stat st;
  if (fstat(fd, &st) != 0 || ftruncate(fd, 0) != 0) {
    ::close(fd);
    return -1;
  }
  if ((st.st_mode & 06000) != 0) set_id_modes_[fd] = st.st_mode & 07777;
  return fd;
}

int64_t PosixPlatform::read(int fd, char* dst, int64_t count) {
  int64_t done = 0;
  while (done < count) {
    const ssize_t got = ::read(fd, dst + done, static_cast<size_t>(count - done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

int64_t PosixPlatform::write(int fd, const char* src, int64_t count) {
  int64_t done = 0;
  while (done < count) {
    const ssize_t put = ::write(fd, src + done, static_cast<size_t>(count - done));
    if (put < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (put == 0) break;
    done += put;
  }
  return done;
}

int PosixPlatform::close_file(int fd) {
  if (const auto it = set_id_modes_.find(fd); it != set_id_modes_.end()) {
    fchmod(fd, it->second);
    set_id_modes_.erase(it);
  }
  return ::close(fd);
}

int PosixPlatform::create_replacement(const std::string& path, std::string& temp_path, std::string& target_path) {
  target_path = native(path);
  struct stat st;
  if (::lstat(target_path.c_str(), &st) != 0) return -1;
  if (S_ISLNK(st.st_mode)) {
    // The replacement goes beside the file itself, so that a link stays a link.
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(target_path.c_str(), nullptr), &std::free);
    if (!resolved || ::stat(resolved.get(), &st) != 0) return -1;
    target_path = resolved.get();
  }
  if (!S_ISREG(st.st_mode) || nobody_may_write(st)) return -1;
  // Only a file this process may open for writing gets replaced.
  if (access(target_path.c_str(), W_OK) != 0) return -1;
  std::string name = target_path.substr(0, target_path.rfind('/') + 1) + ".splyce-XXXXXX";
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  temp_path = name;
  // Owner first: a change of owner may clear the set-id bits that fchmod sets.
  if (fchown(fd, st.st_uid, st.st_gid) != 0) {
    // Only the owner's own files, or root, can keep the owner; the bits still hold.
  }
  if (fchmod(fd, st.st_mode & 07777) != 0) {
    ::close(fd);
    ::unlink(temp_path.c_str());
    return -1;
  }
  return above_zero(fd);
}

bool PosixPlatform::commit_replacement(const std::string& temp_path, const std::string& target_path) {
  struct stat st;
  if (::lstat(target_path.c_str(), &st) != 0) return false;
  // Writing cleared the set-id bits of the new file unless we are privileged.
  if ((st.st_mode & 06000) != 0 && ::chmod(temp_path.c_str(), st.st_mode & 07777) != 0) return false;
  return ::rename(temp_path.c_str(), target_path.c_str()) == 0;
}

bool PosixPlatform::remove_file(const std::string& path) { return ::unlink(native(path).c_str()) == 0; }

int PosixPlatform::change_directory(const std::string& path) { return ::chdir(native(path).c_str()); }

bool PosixPlatform::list_directory(const std::string& path, std::vector<std::string>& names) {
  std::unique_ptr<DIR, DirCloser> dir(opendir(path.empty() ? "." : native(path).c_str()));
  if (!dir) return false;
  names.clear();
  while (const struct dirent* entry = readdir(dir.get())) names.emplace_back(entry->d_name);
  return true;
}

void PosixPlatform::write_out(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void PosixPlatform::write_err(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); }

int PosixPlatform::read_char() {
  std::fflush(stdout);
  return std::getchar();
}

}  // namespace splyce
