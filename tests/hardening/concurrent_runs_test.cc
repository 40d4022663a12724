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

struct caso {
  const char* nome;
  bool programma_nella_cartella;  // the one-shot run works in its program folder
};

void PrintTo(const caso& c, std::ostream* os) { *os << c.nome; }

// The files of a folder by name, the program itself and folders left out.
std::map<std::string, std::string> contenuto(const std::string& cartella) {
  std::map<std::string, std::string> out;
  for (const auto& nome : list_dir(cartella)) {
    const std::string path = cartella + "/" + nome;
    if (nome != "genera_scenario" && fs::is_regular_file(path)) out[nome] = read_file(path);
  }
  return out;
}

// The program and arguments of one run of `c` that writes into `cartella`.
std::vector<std::string> comando(const caso& c, const std::string& cartella) {
  if (c.programma_nella_cartella) {
    const std::string programma = cartella + "/genera_scenario";
    if (!fs::exists(programma)) {
      fs::copy_file(std::string(SCENARIO_BIN_DIR) + "/genera_scenario", programma);
    }
    return {programma};
  }
  PosixFileSystem disk;
  const std::string source_folder = cartella + "/sorgenti";
  fs::create_directories(source_folder);
  EXPECT_FALSE(dati_linea(disk, source_folder, nome_linea_incorporata, nome_treno_incorporato));
  EXPECT_FALSE(dati_treno(disk, source_folder, nome_linea_incorporata, nome_treno_incorporato));
  return {std::string(SCENARIO_BIN_DIR) + "/scenario-tool", "compile", "--dir", source_folder,
          "--line", nome_linea_incorporata, "--train", nome_treno_incorporato,
          "--out", cartella};
}

// Starts `n` processes of `argv` at one moment (each waits at a gate that
// opens for all at once) and returns their exit statuses; a process still
// running at the deadline is killed and counted as status -1.
std::vector<int> insieme(const std::vector<std::string>& argv, int n) {
  int cancello[2];
  if (::pipe(cancello) != 0) return {};
  std::vector<pid_t> figli;
  for (int i = 0; i < n; ++i) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::close(cancello[1]);
      char c;
      while (::read(cancello[0], &c, 1) > 0) {
      }
      const int nulla = ::open("/dev/null", O_WRONLY);
      ::dup2(nulla, 1);
      ::dup2(nulla, 2);
      std::vector<char*> args;
      for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      ::execv(args[0], args.data());
      ::_exit(127);
    }
    figli.push_back(pid);
  }
  ::close(cancello[0]);
  ::close(cancello[1]);  // every child goes at once

  std::vector<int> stati(figli.size(), -1);
  std::vector<bool> finito(figli.size(), false);
  const auto limite = std::chrono::steady_clock::now() + kDeadline;
  for (size_t rimasti = figli.size(); rimasti > 0;) {
    for (size_t i = 0; i < figli.size(); ++i) {
      if (finito[i]) continue;
      int w = 0;
      if (::waitpid(figli[i], &w, WNOHANG) == figli[i]) {
        stati[i] = WIFEXITED(w) ? WEXITSTATUS(w) : 128 + WTERMSIG(w);
        finito[i] = true;
        --rimasti;
      }
    }
    if (rimasti > 0 && std::chrono::steady_clock::now() > limite) {
      for (size_t i = 0; i < figli.size(); ++i) {
        if (finito[i]) continue;
        ::kill(figli[i], SIGKILL);
        ::waitpid(figli[i], nullptr, 0);
      }
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return stati;
}

class ConcurrentRuns : public ::testing::TestWithParam<caso> {};

TEST_P(ConcurrentRuns, EveryRunSucceedsWithTheOutputsOfOneRunAlone) {
  const caso& c = GetParam();
  TempDir solo;
  const auto uno = insieme(comando(c, solo.path()), 1);
  ASSERT_EQ(uno, std::vector<int>{0});
  const auto atteso = contenuto(solo.path());
  ASSERT_GE(atteso.size(), 3u);

  // Twice over: the second round starts with the older outputs in place.
  TempDir cartella;
  const auto argv = comando(c, cartella.path());
  for (int giro = 0; giro < 2; ++giro) {
    EXPECT_EQ(insieme(argv, kRuns), std::vector<int>(kRuns, 0)) << "round " << giro;
    EXPECT_EQ(contenuto(cartella.path()), atteso) << "round " << giro;
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, ConcurrentRuns,
                         ::testing::Values(caso{"one_shot_run", true},
                                           caso{"tool_compile_into_one_out", false}),
                         [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
}  // namespace scenario::testing
