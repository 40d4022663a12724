// scenario-tool check: every problem of two sources in one run, nothing
// written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "tools/json_check.h"

namespace scenario::testing {
namespace {

const std::string kLine = "Val_Prova";
const std::string kTrain = "R 7";
const std::string kLineFile = "Val_Prova_linea.txt";
const std::string kServiceFile = "Val_Prova_R 7-.txt";

std::string crlf(std::initializer_list<std::string> lines) {
  std::string t;
  for (const auto& r : lines) t += r + "\r\n";
  return t;
}

// Five independent mistakes, two in the line description and three in the
// service description; the compile stops at the second.
const std::string kFaultyLine =
    crlf({"[generale]", "lunghezza percorso, 3000", "[curve]",
          "pendanza, 700, 3",                 // 4: misspelt keyword
          "cartello_indicatore, 1x, (A)",     // 5: not a number
          "pendenza, 0, 0", "[fine]"});
const std::string kFaultyService =
    crlf({"[generale]", "velocita, 0, 30",
          "segnale, 9950, 2,2,3,0,0,2,2,1,0,0",  // 3: beyond the route
          "velocita, 500, 12,5",                 // 4: decimal comma
          "abbattimento, 1000, 60",
          "abbattimento, 1000, 60",              // 6: on the cell of the one before
          "[fine]"});

class CheckTool : public ::testing::Test {
 protected:
  void SetUp() override {
    write_file(dir.file(kLineFile), kFaultyLine);
    write_file(dir.file(kServiceFile), kFaultyService);
  }
  ProcessResult run_tool(const std::string& command, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{command, "--dir", dir.path(), "--line", kLine, "--train", kTrain};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_program("scenario-tool", args);
  }
  std::vector<std::string> error_lines(const std::string& err) {
    std::vector<std::string> out;
    size_t from = 0;
    for (size_t a; (a = err.find('\n', from)) != std::string::npos; from = a + 1) out.push_back(err.substr(from, a - from));
    return out;
  }
  TempDir dir;
};

TEST_F(CheckTool, ReportsAllFiveMistakesInOrderAndWritesNothing) {
  const auto r = run_tool("check", {"--json"});
  EXPECT_EQ(r.status, 2);
  const std::string l = dir.file(kLineFile) + ":";
  const std::string t = dir.file(kServiceFile) + ":";
  const std::vector<std::string> lines = error_lines(r.err);
  ASSERT_EQ(lines.size(), 6u) << r.err;
  EXPECT_EQ(lines[0].rfind(l + "4:1: warning: 'pendanza' matches no keyword", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind(l + "5:22: error: '1x' in the row 'cartello_indicatore' is not a whole number", 0), 0u)
      << lines[1];
  EXPECT_EQ(lines[2].rfind(t + "3:1: error: position 9950 m of the row 'segnale' lies beyond", 0), 0u) << lines[2];
  EXPECT_EQ(lines[3].rfind(t + "4:19: warning: values left over on the row 'velocita'", 0), 0u) << lines[3];
  EXPECT_EQ(lines[4].rfind(t + "6:1: error: an abbattimento at 1000 m", 0), 0u) << lines[4];
  EXPECT_EQ(lines[5], t + "5:1: note: the cell is held by the speed board written here");
  ASSERT_TRUE(json_check(r.out).valid()) << r.out;
  EXPECT_EQ(count_of(r.out, "\"severity\": "), 5u);
  EXPECT_EQ(list_dir(dir.path()), (std::vector<std::string>{kServiceFile, kLineFile}));
  EXPECT_EQ(read_file(dir.file(kLineFile)), kFaultyLine);
  EXPECT_EQ(read_file(dir.file(kServiceFile)), kFaultyService);
}

TEST_F(CheckTool, CompileStopsAtTheFirstFaultAndPrintsItBeforeTheWarnings) {
  const auto r = run_tool("compile");
  EXPECT_EQ(r.status, 2);
  const std::vector<std::string> lines = error_lines(r.err);
  ASSERT_EQ(lines.size(), 3u) << r.err;
  EXPECT_NE(lines[0].find("5:22: error: '1x'"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find("4:1: warning: 'pendanza'"), std::string::npos) << lines[1];
  EXPECT_EQ(lines[2].rfind("no binary file written", 0), 0u) << lines[2];
  EXPECT_EQ(list_dir(dir.path()).size(), 2u);
}

TEST_F(CheckTool, AllowAndWerror) {
  struct policy_case {
    std::vector<std::string> options;
    int status;
    size_t line_count;
  };
  const std::string good_line = crlf({"[generale]", "lunghezza percorso, 3000", "[curve]", "pendanza, 700, 3",
                                      "pendenza, 0, 0", "[fine]"});
  write_file(dir.file(kLineFile), good_line);
  write_file(dir.file(kServiceFile), crlf({"[generale]", "velocita, 0, 30", "velocita, 500, 12,5", "[fine]"}));
  for (const policy_case& k : {policy_case{{}, 0, 2},
                               policy_case{{"--allow", "unknown-keyword"}, 0, 1},
                               policy_case{{"--allow", "unknown-keyword", "--allow=leftover-values"}, 0, 0},
                               policy_case{{"--Werror"}, 2, 2},
                               policy_case{{"--Werror", "--allow", "unknown-keyword", "--allow", "leftover-values"}, 0, 0}}) {
    const auto r = run_tool("check", k.options);
    EXPECT_EQ(r.status, k.status) << r.err;
    EXPECT_EQ(error_lines(r.err).size(), k.line_count) << r.err;
    if (k.status == 2) {
      EXPECT_NE(r.err.find(": error: "), std::string::npos) << r.err;
    }
  }
  const auto unknown = run_tool("check", {"--allow", "no-such-warning"});
  EXPECT_EQ(unknown.status, 64);
  EXPECT_NE(unknown.err.find("unknown-keyword"), std::string::npos) << "lists the codes";
}

TEST(CheckToolUsage, BadUsageAndHelp) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"check"}, {"check", "--dir", "x", "--line", "y"},
        {"check", "--dir", "x", "--line", "y", "--train", "z", "--out", "w"},
        {"check", "--dir", "x", "--line", "y", "--train", "z", "extra"}}) {
    const auto r = run_program("scenario-tool", args);
    EXPECT_EQ(r.status, 64) << r.err;
    EXPECT_NE(r.err.find("usage: scenario-tool check"), std::string::npos);
  }
  const auto help = run_program("scenario-tool", {"check", "--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"--dir", "--line", "--train", "--json", "--allow", "--Werror", "next line"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
}

}  // namespace
}  // namespace scenario::testing
