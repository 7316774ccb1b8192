#include "e2e/process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace splyce::e2e {
namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A temporary file that is removed when it goes out of scope.
struct TempFile {
  std::string path;
  int fd;
  TempFile() {
    char name[] = "/tmp/splyce-e2e-XXXXXX";
    fd = mkstemp(name);
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    path = name;
  }
  ~TempFile() {
    close(fd);
    unlink(path.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
};

}  // namespace

RunResult run_program(const std::string& runner, const std::string& program, const std::vector<std::string>& args,
                      const std::string& directory, const std::string& input) {
  TempFile out_file;
  TempFile err_file;
  TempFile in_file;
  if (!input.empty() && write(in_file.fd, input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
    throw std::runtime_error("cannot write input");
  }
  std::vector<std::string> words;
  if (!runner.empty()) words.push_back(runner);
  words.push_back(program);
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int in = open(in_file.path.c_str(), O_RDONLY);
    if (chdir(directory.c_str()) != 0 || in < 0) _exit(127);
    dup2(in, 0);
    dup2(out_file.fd, 1);
    dup2(err_file.fd, 2);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int wstatus = 0;
  while (waitpid(pid, &wstatus, 0) < 0) {
  }
  RunResult result;
  result.out = slurp(out_file.path);
  result.err = slurp(err_file.path);
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  return result;
}

}  // namespace splyce::e2e
