// End-to-end fixture: a scratch folder of pages, the real binary run in it,
// and the platform's console and path conventions for the expectations.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "e2e/process.h"

namespace splyce::e2e {

// The program under test. SPLYCE_E2E_BINARY and SPLYCE_E2E_RUNNER (such as
// "wine") select another build; SPLYCE_E2E_TARGET=windows expects Windows
// console line ends and backslash paths.
struct Target {
  std::string binary = SPLYCE_BINARY;
  std::string runner;
  bool windows = false;

  static const Target& get() {
    static const Target target = [] {
      Target t;
      if (const char* b = std::getenv("SPLYCE_E2E_BINARY"); b && *b) t.binary = b;
      if (const char* r = std::getenv("SPLYCE_E2E_RUNNER"); r && *r) t.runner = r;
      if (const char* w = std::getenv("SPLYCE_E2E_TARGET"); w) t.windows = std::string(w) == "windows";
      return t;
    }();
    return target;
  }
};

class SiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/splyce-site-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir = name;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(dir, ignored);
  }

  static const Target& target() { return Target::get(); }
  static char sep() { return target().windows ? '\\' : '/'; }

  // A console text as the platform prints it: every "\n" becomes CR LF on Windows.
  static std::string console(const std::string& text) {
    if (!target().windows) return text;
    std::string out;
    for (char c : text) {
      if (c == '\n') out += '\r';
      out += c;
    }
    return out;
  }
  // A path the program builds from a directory and a name.
  static std::string built(const std::string& directory, const std::string& name) {
    return directory + sep() + name;
  }
  // A relative path written with the platform's separator.
  static std::string native(std::string path) {
    for (char& c : path) {
      if (c == '/') c = sep();
    }
    return path;
  }

  std::string path(const std::string& name) const { return dir + "/" + name; }

  void write(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(path(name)).parent_path());
    std::ofstream out(path(name), std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }
  // Every name below the folder, for checking that nothing was left behind.
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
      names.push_back(e.path().lexically_relative(dir).string());  // links are listed, not followed
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  RunResult run(const std::vector<std::string>& args, const std::string& subdir = "") const {
    return run_program(target().runner, target().binary, args, subdir.empty() ? dir : path(subdir));
  }

  std::string dir;
};

// Compares a run with what was expected, naming the stream that differs.
inline void expect_run(const RunResult& got, const std::string& out, const std::string& err, int status) {
  EXPECT_EQ(got.out, out) << "standard output";
  EXPECT_EQ(got.err, err) << "standard error";
  EXPECT_EQ(got.status, status) << "exit status";
}

}  // namespace splyce::e2e
