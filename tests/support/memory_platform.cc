#include "support/memory_platform.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace splyce::testing {
namespace {

std::string parent_of(const std::string& absolute_path) {
  const std::size_t slash = absolute_path.rfind('/');
  return slash == 0 ? "/" : absolute_path.substr(0, slash);
}

}  // namespace

MemoryPlatform::MemoryPlatform(PathStyle style) : style_(style) {}

std::string MemoryPlatform::absolute(const std::string& path) const {
  std::string p = path;
  std::replace(p.begin(), p.end(), '\\', '/');
  if (p.empty() || p[0] != '/') p = cwd_ + "/" + p;
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= p.size()) {
    const std::size_t slash = std::min(p.find('/', start), p.size());
    const std::string part = p.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  return result.empty() ? "/" : result;
}

void MemoryPlatform::add_file(const std::string& path, std::string bytes, bool read_only) {
  const std::string a = absolute(path);
  add_directory(parent_of(a));
  files_[a] = MemoryFile{std::move(bytes), read_only, 1};
}

void MemoryPlatform::add_directory(const std::string& path) {
  for (std::string a = absolute(path); directories_.insert(a).second; a = parent_of(a)) {
  }
}

bool MemoryPlatform::has_file(const std::string& path) const { return files_.count(absolute(path)) != 0; }

const std::string& MemoryPlatform::file(const std::string& path) const {
  const auto it = files_.find(absolute(path));
  if (it == files_.end()) throw std::out_of_range("no file " + path);
  return it->second.bytes;
}

void MemoryPlatform::remove(const std::string& path) { files_.erase(absolute(path)); }

void MemoryPlatform::set_links(const std::string& path, int links) { files_.at(absolute(path)).links = links; }

std::vector<std::string> MemoryPlatform::all_files() const {
  std::vector<std::string> names;
  for (const auto& [name, file] : files_) names.push_back(name);
  return names;
}

int MemoryPlatform::calls(Op op) const {
  const auto it = op_calls_.find(op);
  return it == op_calls_.end() ? 0 : it->second;
}

int MemoryPlatform::calls(Op op, const std::string& path) const {
  const auto it = path_calls_.find({op, absolute(path)});
  return it == path_calls_.end() ? 0 : it->second;
}

bool MemoryPlatform::fails(Op op, const std::string& path, int64_t* keep) {
  const int n = ++op_calls_[op];
  if (!path.empty()) ++path_calls_[{op, absolute(path)}];
  if (before) before(op, path);
  for (const Fault& fault : faults) {
    if (fault.op == op && fault.nth == n) {
      if (keep != nullptr) *keep = fault.keep;
      return true;
    }
  }
  return false;
}

FileInfo MemoryPlatform::inspect(const std::string& path) {
  FileInfo info;
  if (fails(Op::inspect, path) || path.empty()) return info;
  const std::string a = absolute(path);
  if (directories_.count(a)) {
    info.exists = true;
    info.is_directory = true;
    return info;
  }
  const auto it = files_.find(a);
  if (it == files_.end()) return info;
  info.exists = true;
  info.is_regular = true;
  info.read_only = it->second.read_only;
  info.size = static_cast<int64_t>(it->second.bytes.size());
  info.links = it->second.links;
  return info;
}

int MemoryPlatform::open_for_reading(const std::string& path) {
  if (fails(Op::open_for_reading, path) || path.empty() || !files_.count(absolute(path))) return -1;
  open_[next_fd_] = OpenFile{absolute(path), 0};
  return next_fd_++;
}

int MemoryPlatform::open_for_rewriting(const std::string& path) {
  if (fails(Op::open_for_rewriting, path) || path.empty()) return -1;
  const auto it = files_.find(absolute(path));
  if (it == files_.end() || it->second.read_only) return -1;
  it->second.bytes.clear();
  open_[next_fd_] = OpenFile{absolute(path), 0};
  return next_fd_++;
}

int64_t MemoryPlatform::read(int fd, char* dst, int64_t count) {
  int64_t keep = -1;
  const auto o = open_.find(fd);
  const bool failed = fails(Op::read, o == open_.end() ? "" : o->second.path, &keep);
  if (o == open_.end()) return -1;
  const auto f = files_.find(o->second.path);
  if (f == files_.end()) return -1;
  if (failed && keep < 0) return -1;
  const std::string& bytes = f->second.bytes;
  int64_t n = std::max<int64_t>(0, std::min<int64_t>(count, static_cast<int64_t>(bytes.size()) - o->second.position));
  if (failed) n = std::min(n, keep);
  if (n > 0) std::memcpy(dst, bytes.data() + o->second.position, static_cast<std::size_t>(n));
  o->second.position += n;
  return n;
}

int64_t MemoryPlatform::write(int fd, const char* src, int64_t count) {
  int64_t keep = -1;
  const auto o = open_.find(fd);
  const bool failed = fails(Op::write, o == open_.end() ? "" : o->second.path, &keep);
  if (o == open_.end()) return -1;
  const int64_t n = failed ? std::min(keep, count) : count;
  if (n < 0) return -1;
  const auto f = files_.find(o->second.path);
  if (f != files_.end()) {
    std::string& bytes = f->second.bytes;
    const std::size_t at = static_cast<std::size_t>(o->second.position);
    if (bytes.size() < at + static_cast<std::size_t>(n)) bytes.resize(at + static_cast<std::size_t>(n));
    bytes.replace(at, static_cast<std::size_t>(n), src, static_cast<std::size_t>(n));
  }
  o->second.position += n;
  return failed ? -1 : n;
}

int MemoryPlatform::close_file(int fd) {
  const auto o = open_.find(fd);
  const bool failed = fails(Op::close, o == open_.end() ? "" : o->second.path);
  if (o == open_.end()) return -1;
  open_.erase(o);
  return failed ? -1 : 0;
}

int MemoryPlatform::create_replacement(const std::string& path, std::string& temp_path, std::string& target_path) {
  if (fails(Op::create_replacement, path) || replacement_refused || path.empty()) return -1;
  const std::string target = absolute(path);
  if (!files_.count(target) || files_[target].read_only) return -1;
  temp_path = parent_of(target) + (parent_of(target) == "/" ? "" : "/") + ".splyce-" + std::to_string(++temp_counter_);
  target_path = target;
  files_[temp_path] = MemoryFile{};
  open_[next_fd_] = OpenFile{temp_path, 0};
  return next_fd_++;
}

bool MemoryPlatform::commit_replacement(const std::string& temp_path, const std::string& target_path) {
  if (fails(Op::commit_replacement, target_path)) return false;
  const auto temp = files_.find(absolute(temp_path));
  const auto target = files_.find(absolute(target_path));
  if (temp == files_.end() || target == files_.end()) return false;
  target->second.bytes = std::move(temp->second.bytes);
  files_.erase(temp);
  return true;
}

bool MemoryPlatform::remove_file(const std::string& path) {
  if (fails(Op::remove, path)) return false;
  return files_.erase(absolute(path)) != 0;
}

int MemoryPlatform::change_directory(const std::string& path) {
  if (fails(Op::change_directory, path) || path.empty()) return -1;
  const std::string a = absolute(path);
  if (!directories_.count(a)) return -1;
  cwd_ = a;
  return 0;
}

bool MemoryPlatform::list_directory(const std::string& path, std::vector<std::string>& names) {
  if (fails(Op::list_directory, path)) return false;
  const std::string dir = absolute(path);
  if (!directories_.count(dir)) return false;
  names = {".", ".."};
  const std::string prefix = dir == "/" ? "/" : dir + "/";
  auto add_child = [&](const std::string& p) {
    if (p.size() > prefix.size() && p.compare(0, prefix.size(), prefix) == 0 &&
        p.find('/', prefix.size()) == std::string::npos) {
      names.push_back(p.substr(prefix.size()));
    }
  };
  for (const auto& [p, f] : files_) add_child(p);
  for (const std::string& d : directories_) add_child(d);
  // Unsorted on purpose: the program sorts, as it must on every platform.
  std::reverse(names.begin(), names.end());
  return true;
}

int MemoryPlatform::read_char() {
  if (input_pos_ >= input.size()) return -1;
  return static_cast<unsigned char>(input[input_pos_++]);
}

}  // namespace splyce::testing
