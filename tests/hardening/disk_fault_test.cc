// The built program on a real disk that fails: a file-size limit that stops
// writes part way (as a full disk does), a directory standing where a file
// must go, a source removed between its writing and its reading. Each run
// ends with status 3 and a message naming the path; every older output is
// either whole as it was or whole with its new content (the three binary
// files all old or all new); no temporary is left.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <cctype>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

namespace fs = std::filesystem;

const std::string kLinea = nome_linea_incorporata;
const std::string kTreno = nome_treno_incorporato;

std::vector<std::string> document_names() {
  return {nomi::note(kLinea, kTreno), nomi::rallentamenti(kLinea, kTreno),
          nomi::scheda(kLinea, kTreno)};
}
std::vector<std::string> binary_names() {
  return {nomi::linea_dat(kLinea), nomi::sim(kLinea, kTreno), nomi::dat(kLinea, kTreno)};
}
std::vector<std::string> output_names() {
  auto u = document_names();
  for (const auto& b : binary_names()) u.push_back(b);
  return u;
}
std::vector<std::string> source_names() {
  return {nomi::linea_txt(kLinea), nomi::treno_txt(kLinea, kTreno)};
}

struct process_outcome {
  int status = -1;
  std::string err;
};

// Copies the built program into `folder` (its program folder) and runs it
// there, with the size of any file it writes limited to `size_limit` bytes when
// one is given. With `xfsz_ignored` the program starts with SIGXFSZ ignored,
// as some shells start it; otherwise with the system's default, which ends
// a process at a write past the limit unless the program itself ignores it
// (it does, so that such a write fails with EFBIG as on a full disk).
process_outcome esegui_programma(const std::string& folder, std::optional<rlim_t> size_limit,
                                 bool xfsz_ignored = true) {
  const std::string program = folder + "/genera_scenario";
  if (!fs::exists(program)) {
    fs::copy_file(std::string(SCENARIO_BIN_DIR) + "/genera_scenario", program);
  }
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(pipe_fds[0]);
    ::dup2(pipe_fds[1], 2);
    const int null_fd = ::open("/dev/null", O_WRONLY);
    ::dup2(null_fd, 1);
    ::signal(SIGXFSZ, xfsz_ignored ? SIG_IGN : SIG_DFL);
    if (size_limit) {
      struct rlimit r {*size_limit, *size_limit};
      if (::setrlimit(RLIMIT_FSIZE, &r) != 0) ::_exit(126);
    }
    // A folder that is not the program folder, to show that it is not used.
    if (::chdir("/") != 0) ::_exit(126);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    ::execv(program.c_str(), argv);
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  process_outcome outcome;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;) {
    outcome.err.append(buffer, static_cast<size_t>(n));
  }
  ::close(pipe_fds[0]);
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  outcome.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  return outcome;
}

// The outputs of a clean run, by name.
const std::map<std::string, std::string>& fresh_outputs() {
  static const std::map<std::string, std::string> fresh = [] {
    TempDir dir;
    const auto outcome = esegui_programma(dir.path(), std::nullopt);
    EXPECT_TRUE(outcome.status == 0 || outcome.status == 2) << outcome.err;
    std::map<std::string, std::string> out;
    for (const auto& name : output_names()) out[name] = read_file(dir.file(name));
    return out;
  }();
  return fresh;
}

// Older outputs of every name, longer than the new ones, to be kept whole.
std::map<std::string, std::string> put_older_outputs(const TempDir& dir) {
  std::map<std::string, std::string> older;
  for (const auto& name : output_names()) {
    older[name] = "older " + name + std::string(100, '#');
    write_file(dir.file(name), older[name]);
  }
  return older;
}

// `skip`: a path that the test itself put in the way.
void check_folder(const TempDir& dir, const std::map<std::string, std::string>& older,
                  const std::string& skip = {}) {
  const auto& fresh = fresh_outputs();
  for (const auto& name : document_names()) {
    if (name == skip) continue;
    ASSERT_TRUE(file_exists(dir.file(name))) << name << " lost";
    const std::string data = read_file(dir.file(name));
    EXPECT_TRUE(data == older.at(name) || data == fresh.at(name)) << name << " damaged";
  }
  int older_count = 0;
  int fresh_count = 0;
  for (const auto& name : binary_names()) {
    if (name == skip) continue;
    ASSERT_TRUE(file_exists(dir.file(name))) << name << " lost";
    const std::string data = read_file(dir.file(name));
    older_count += data == older.at(name) ? 1 : 0;
    fresh_count += data == fresh.at(name) ? 1 : 0;
  }
  const int wanted = skip.empty() ? 3 : 2;
  EXPECT_TRUE(older_count >= wanted || fresh_count >= wanted)
      << older_count << " older and " << fresh_count << " new binary files";
  for (const auto& name : list_dir(dir.path())) {
    if (name == skip) continue;
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << "temporary left: " << name;
    EXPECT_EQ(name.find(".old"), std::string::npos) << "older copy left: " << name;
  }
}

// ---- A file-size limit: every write past it fails as on a full disk.

class FileSizeLimit : public ::testing::TestWithParam<rlim_t> {};

TEST_P(FileSizeLimit, StopsWithStatus3AndKeepsEveryOlderOutputWhole) {
  fresh_outputs();
  for (bool xfsz_ignored : {true, false}) {
    SCOPED_TRACE(xfsz_ignored ? "started with SIGXFSZ ignored" : "started with SIGXFSZ at its default");
    TempDir dir;
    const auto older = put_older_outputs(dir);
    const auto outcome = esegui_programma(dir.path(), GetParam(), xfsz_ignored);
    EXPECT_EQ(outcome.status, 3) << outcome.err;
    EXPECT_NE(outcome.err.find(dir.path() + "/"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("File too large"), std::string::npos) << outcome.err;
    check_folder(dir, older);
  }
}

// 0: the first text file; then limits that let the sources, the documents,
// the route and table files through but stop the larger ones.
INSTANTIATE_TEST_SUITE_P(Bytes, FileSizeLimit,
                         ::testing::Values<rlim_t>(0, 1000, 8000, 20000, 100000, 1000000));

// ---- A directory where a file must go.

class FolderInTheWay : public ::testing::TestWithParam<std::string> {};

TEST_P(FolderInTheWay, StopsWithStatus3NamingIt) {
  fresh_outputs();
  const std::string name = GetParam();
  TempDir dir;
  const auto older = put_older_outputs(dir);
  fs::remove(dir.file(name));
  fs::create_directory(dir.file(name));
  write_file(dir.file(name) + "/inside", "x");
  const auto outcome = esegui_programma(dir.path(), std::nullopt);
  EXPECT_EQ(outcome.status, 3) << outcome.err;
  // The temporary and the kept older copy are the program's own business:
  // their failure may be reported under the name of the output they belong to.
  const bool own = name == backup_path(nomi::linea_dat(kLinea)) ||
                       (name.size() > 4 && name.substr(name.size() - 4) == ".tmp");
  const std::string output = name.substr(0, name.size() - (own ? 4 : 0));
  EXPECT_TRUE(outcome.err.find(dir.file(name) + ": ") != std::string::npos ||
              outcome.err.find(dir.file(output) + ": ") != std::string::npos)
      << outcome.err;
  EXPECT_TRUE(fs::is_directory(dir.file(name)));
  EXPECT_EQ(read_file(dir.file(name) + "/inside"), "x");
  check_folder(dir, older, name);
}

std::vector<std::string> places_in_the_way() {
  std::vector<std::string> paths = source_names();
  for (const auto& u : output_names()) paths.push_back(u);
  // Where the temporary of a binary file, or the kept older copy, would go.
  paths.push_back(temporary_path(nomi::sim(kLinea, kTreno)));
  paths.push_back(backup_path(nomi::linea_dat(kLinea)));
  return paths;
}

INSTANTIATE_TEST_SUITE_P(Places, FolderInTheWay, ::testing::ValuesIn(places_in_the_way()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string n;
                           for (char c : info.param) n += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return n;
                         });

// ---- A source removed between its writing and its reading.

PosixFileSystem& posix_disk() {
  static PosixFileSystem posix_disk;
  return posix_disk;
}

class SourceRemoved : public ::testing::TestWithParam<int> {};

TEST_P(SourceRemoved, StopsWithStatus3NamingItAndWritesNoBinaryFile) {
  fresh_outputs();
  TempDir dir;
  const auto older = put_older_outputs(dir);
  const std::string victim = dir.file(source_names()[GetParam()]);
  SourceRemovingFileSystem disk(posix_disk(), victim);
  std::ostringstream err;
  EXPECT_EQ(esegui(disk, dir.path(), err), 3) << err.str();
  EXPECT_NE(err.str().find(victim + ": No such file or directory"), std::string::npos)
      << err.str();
  for (const auto& name : binary_names()) {
    EXPECT_TRUE(read_file(dir.file(name)) == older.at(name)) << name;
  }
  check_folder(dir, older);
}

INSTANTIATE_TEST_SUITE_P(LineOrService, SourceRemoved, ::testing::Values(0, 1));

}  // namespace
}  // namespace scenario::testing
