#include "support/test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace scenario::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "scenario-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  // Give back write permission to anything a test made read-only.
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << data;
}

bool file_exists(const std::string& path) { return fs::exists(path); }

std::vector<std::string> list_dir(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

ProcessResult run_program(const std::string& program, const std::vector<std::string>& args,
                          const std::string& cwd) {
  TempDir capture;
  const std::string out_path = capture.file("out");
  const std::string err_path = capture.file("err");
  const std::string exe = std::string(SCENARIO_BIN_DIR) + "/" + program;
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || ::chdir(cwd.c_str()) != 0) ::_exit(127);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(exe.c_str(), argv.data());
    ::_exit(127);
  }
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  ProcessResult result;
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  result.out = read_file(out_path);
  result.err = read_file(err_path);
  return result;
}

bool FaultyFileSystem::fails(const std::string& path, std::optional<IoError>* error) {
  if (++count_ != fail_at_) return false;
  *error = IoError{path, "injected failure", false};
  return true;
}

std::optional<IoError> FaultyFileSystem::read(const std::string& path, std::string* data) {
  return inner_.read(path, data);
}

std::optional<IoError> FaultyFileSystem::write(const std::string& path, std::string_view data) {
  std::optional<IoError> error;
  if (fails(path, &error)) return error;
  return inner_.write(path, data);
}

std::optional<IoError> FaultyFileSystem::rename(const std::string& from, const std::string& to) {
  std::optional<IoError> error;
  if (fails(to, &error)) return error;
  return inner_.rename(from, to);
}

std::optional<IoError> FaultyFileSystem::remove(const std::string& path) {
  std::optional<IoError> error;
  if (fails(path, &error)) return error;
  return inner_.remove(path);
}

}  // namespace scenario::testing

namespace scenario::testing {

std::optional<IoError> FaultyFileSystem::link(const std::string& from, const std::string& to) {
  std::optional<IoError> error;
  if (fails(from, &error)) return error;
  return inner_.link(from, to);
}

std::optional<IoError> FaultyFileSystem::write_at(const std::string& path, uint64_t offset,
                                                  std::string_view data) {
  std::optional<IoError> error;
  if (fails(path, &error)) return error;
  return inner_.write_at(path, offset, data);
}

}  // namespace scenario::testing
