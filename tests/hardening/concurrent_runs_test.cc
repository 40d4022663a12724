// Several runs of a built program started at the same moment in one folder
// (a double click, two compiles into one --out): each must wait its turn and
// succeed, and the folder must end as one run alone leaves it, byte for byte.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/run.h"
#include "scenario/line_description.h"
#include "scenario/service_description.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kRuns = 4;
constexpr auto kDeadline = std::chrono::seconds(120);

struct run_case {
  const char* name;
  bool program_in_folder;  // the one-shot run works in its program folder
};

void PrintTo(const run_case& c, std::ostream* os) { *os << c.name; }

// The files of a folder by name, the program itself and folders left out.
std::map<std::string, std::string> contents(const std::string& folder) {
  std::map<std::string, std::string> out;
  for (const auto& name : list_dir(folder)) {
    const std::string path = folder + "/" + name;
    if (name != "genera_scenario" && fs::is_regular_file(path)) out[name] = read_file(path);
  }
  return out;
}

// The program and arguments of one run of `c` that writes into `folder`.
std::vector<std::string> command(const run_case& c, const std::string& folder) {
  if (c.program_in_folder) {
    const std::string program = folder + "/genera_scenario";
    if (!fs::exists(program)) {
      fs::copy_file(std::string(SCENARIO_BIN_DIR) + "/genera_scenario", program);
    }
    return {program};
  }
  PosixFileSystem disk;
  const std::string source_folder = folder + "/sorgenti";
  fs::create_directories(source_folder);
  EXPECT_FALSE(dati_linea(disk, source_folder, nome_linea_incorporata, nome_treno_incorporato));
  EXPECT_FALSE(dati_treno(disk, source_folder, nome_linea_incorporata, nome_treno_incorporato));
  return {std::string(SCENARIO_BIN_DIR) + "/scenario-tool", "compile", "--dir", source_folder,
          "--line", nome_linea_incorporata, "--train", nome_treno_incorporato,
          "--out", folder};
}

// Starts `n` processes of `argv` at one moment (each waits at a gate that
// opens for all at once) and returns their exit statuses; a process still
// running at the deadline is killed and counted as status -1.
std::vector<int> start_together(const std::vector<std::string>& argv, int n) {
  int gate[2];
  if (::pipe(gate) != 0) return {};
  std::vector<pid_t> children;
  for (int i = 0; i < n; ++i) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(gate[1]);
      char c;
      while (::read(gate[0], &c, 1) > 0) {
      }
      const int null_fd = ::open("/dev/null", O_WRONLY);
      ::dup2(null_fd, 1);
      ::dup2(null_fd, 2);
      std::vector<char*> args;
      for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      ::execv(args[0], args.data());
      ::_exit(127);
    }
    children.push_back(pid);
  }
  ::close(gate[0]);
  ::close(gate[1]);  // every child goes at once

  std::vector<int> statuses(children.size(), -1);
  std::vector<bool> finished(children.size(), false);
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  for (size_t remaining = children.size(); remaining > 0;) {
    for (size_t i = 0; i < children.size(); ++i) {
      if (finished[i]) continue;
      int w = 0;
      if (::waitpid(children[i], &w, WNOHANG) == children[i]) {
        statuses[i] = WIFEXITED(w) ? WEXITSTATUS(w) : 128 + WTERMSIG(w);
        finished[i] = true;
        --remaining;
      }
    }
    if (remaining > 0 && std::chrono::steady_clock::now() > deadline) {
      for (size_t i = 0; i < children.size(); ++i) {
        if (finished[i]) continue;
        ::kill(children[i], SIGKILL);
        ::waitpid(children[i], nullptr, 0);
      }
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return statuses;
}

class ConcurrentRuns : public ::testing::TestWithParam<run_case> {};

TEST_P(ConcurrentRuns, EveryRunSucceedsWithTheOutputsOfOneRunAlone) {
  const run_case& c = GetParam();
  TempDir alone;
  const auto one = start_together(command(c, alone.path()), 1);
  ASSERT_EQ(one, std::vector<int>{0});
  const auto expected = contents(alone.path());
  ASSERT_GE(expected.size(), 3u);

  // Twice over: the second round starts with the older outputs in place.
  TempDir folder;
  const auto argv = command(c, folder.path());
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(start_together(argv, kRuns), std::vector<int>(kRuns, 0)) << "round " << round;
    EXPECT_EQ(contents(folder.path()), expected) << "round " << round;
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, ConcurrentRuns,
                         ::testing::Values(run_case{"one_shot_run", true},
                                           run_case{"tool_compile_into_one_out", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace scenario::testing
