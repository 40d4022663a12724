// The program's arguments: --help and --version print and touch no file;
// any other argument is refused with the usage before a file is touched.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "run/run.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

const std::string kLinea = nome_linea_incorporata;
const std::string kTreno = nome_treno_incorporato;

// Every file a run writes or reads in its folder, each holding older bytes.
std::map<std::string, std::string> older_outputs() {
  std::map<std::string, std::string> files;
  for (const auto& name :
       {nomi::sim(kLinea, kTreno), nomi::dat(kLinea, kTreno), nomi::linea_dat(kLinea),
        nomi::note(kLinea, kTreno), nomi::rallentamenti(kLinea, kTreno),
        nomi::scheda(kLinea, kTreno), nomi::linea_txt(kLinea), nomi::treno_txt(kLinea, kTreno)}) {
    files[name] = "older " + name;
  }
  return files;
}

TEST(Arguments, HelpVersionAndBadArgumentsTouchNoFile) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* out;  // start of standard output
    const char* err;  // start of standard error
  } cases[] = {
      {{"--help"}, 0, "usage: genera_scenario [--help | --version]\n", ""},
      {{"-h"}, 0, "usage: genera_scenario", ""},
      {{"--version"}, 0, "genera_scenario 1.", ""},
      {{"bogus"}, 64, "", "genera_scenario: unexpected argument 'bogus'\n\nusage: genera_scenario"},
      {{"--verbose"}, 64, "", "genera_scenario: unexpected argument '--verbose'"},
      {{"--help", "--version"}, 64, "", "genera_scenario: at most one option\n"},
      {{""}, 64, "", "genera_scenario: unexpected argument ''"},
  };
  TempDir folder, elsewhere;
  const std::string program = folder.file("genera_scenario");
  std::filesystem::copy_file(std::string(SCENARIO_BIN_DIR) + "/genera_scenario", program);
  const auto older = older_outputs();
  for (const auto& [name, bytes] : older) write_file(folder.file(name), bytes);
  const auto listing = list_dir(folder.path());

  for (const auto& c : cases) {
    std::string command = "cd '" + elsewhere.path() + "' && '" + program + "'";
    for (const auto& a : c.args) command += " '" + a + "'";
    command += " > out 2> err";
    SCOPED_TRACE(command);
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.status);
    const std::string out = read_file(elsewhere.file("out"));
    const std::string err = read_file(elsewhere.file("err"));
    EXPECT_EQ(out.rfind(c.out, 0), 0u) << out;
    EXPECT_EQ(err.rfind(c.err, 0), 0u) << err;
    EXPECT_EQ(c.status == 0 ? err : out, "");

    EXPECT_EQ(list_dir(folder.path()), listing);
    for (const auto& [name, bytes] : older) EXPECT_EQ(read_file(folder.file(name)), bytes) << name;
  }
}

TEST(Arguments, TheToolPrintsItsVersion) {
  const auto r = run_program("scenario-tool", {"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, std::string("scenario-tool ") + kVersion + "\n");
  EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace scenario::testing
