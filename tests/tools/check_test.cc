// scenario-tool check: every problem of two sources in one run, nothing
// written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "tools/json_check.h"

namespace scenario::testing {
namespace {

const std::string kLinea = "Val_Prova";
const std::string kTreno = "R 7";
const std::string kFileLinea = "Val_Prova_linea.txt";
const std::string kFileTreno = "Val_Prova_R 7-.txt";

std::string crlf(std::initializer_list<std::string> righe) {
  std::string t;
  for (const auto& r : righe) t += r + "\r\n";
  return t;
}

// Five independent mistakes, two in the line description and three in the
// service description; the compile stops at the second.
const std::string kLineaSbagliata =
    crlf({"[generale]", "lunghezza percorso, 3000", "[curve]",
          "pendanza, 700, 3",                 // 4: misspelt keyword
          "cartello_indicatore, 1x, (A)",     // 5: not a number
          "pendenza, 0, 0", "[fine]"});
const std::string kTrenoSbagliato =
    crlf({"[generale]", "velocita, 0, 30",
          "segnale, 9950, 2,2,3,0,0,2,2,1,0,0",  // 3: beyond the route
          "velocita, 500, 12,5",                 // 4: decimal comma
          "abbattimento, 1000, 60",
          "abbattimento, 1000, 60",              // 6: on the cell of the one before
          "[fine]"});

class CheckTool : public ::testing::Test {
 protected:
  void SetUp() override {
    write_file(dir.file(kFileLinea), kLineaSbagliata);
    write_file(dir.file(kFileTreno), kTrenoSbagliato);
  }
  ProcessResult esegui(const std::string& comando, std::vector<std::string> extra = {}) {
    std::vector<std::string> args{comando, "--dir", dir.path(), "--line", kLinea, "--train", kTreno};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_program("scenario-tool", args);
  }
  std::vector<std::string> righe_errore(const std::string& err) {
    std::vector<std::string> out;
    size_t da = 0;
    for (size_t a; (a = err.find('\n', da)) != std::string::npos; da = a + 1) out.push_back(err.substr(da, a - da));
    return out;
  }
  TempDir dir;
};

TEST_F(CheckTool, ReportsAllFiveMistakesInOrderAndWritesNothing) {
  const auto r = esegui("check", {"--json"});
  EXPECT_EQ(r.status, 2);
  const std::string l = dir.file(kFileLinea) + ":";
  const std::string t = dir.file(kFileTreno) + ":";
  const std::vector<std::string> righe = righe_errore(r.err);
  ASSERT_EQ(righe.size(), 6u) << r.err;
  EXPECT_EQ(righe[0].rfind(l + "4:1: warning: 'pendanza' matches no keyword", 0), 0u) << righe[0];
  EXPECT_EQ(righe[1].rfind(l + "5:22: error: '1x' in the row 'cartello_indicatore' is not a whole number", 0), 0u)
      << righe[1];
  EXPECT_EQ(righe[2].rfind(t + "3:1: error: position 9950 m of the row 'segnale' lies beyond", 0), 0u) << righe[2];
  EXPECT_EQ(righe[3].rfind(t + "4:19: warning: values left over on the row 'velocita'", 0), 0u) << righe[3];
  EXPECT_EQ(righe[4].rfind(t + "6:1: error: an abbattimento at 1000 m", 0), 0u) << righe[4];
  EXPECT_EQ(righe[5], t + "5:1: note: the cell is held by the speed board written here");
  ASSERT_TRUE(json_check(r.out).valid()) << r.out;
  EXPECT_EQ(count_of(r.out, "\"severity\": "), 5u);
  EXPECT_EQ(list_dir(dir.path()), (std::vector<std::string>{kFileTreno, kFileLinea}));
  EXPECT_EQ(read_file(dir.file(kFileLinea)), kLineaSbagliata);
  EXPECT_EQ(read_file(dir.file(kFileTreno)), kTrenoSbagliato);
}

TEST_F(CheckTool, CompileStopsAtTheFirstFaultAndPrintsItBeforeTheWarnings) {
  const auto r = esegui("compile");
  EXPECT_EQ(r.status, 2);
  const std::vector<std::string> righe = righe_errore(r.err);
  ASSERT_EQ(righe.size(), 3u) << r.err;
  EXPECT_NE(righe[0].find("5:22: error: '1x'"), std::string::npos) << righe[0];
  EXPECT_NE(righe[1].find("4:1: warning: 'pendanza'"), std::string::npos) << righe[1];
  EXPECT_EQ(righe[2].rfind("no binary file written", 0), 0u) << righe[2];
  EXPECT_EQ(list_dir(dir.path()).size(), 2u);
}

TEST_F(CheckTool, AllowAndWerror) {
  struct caso {
    std::vector<std::string> opzioni;
    int stato;
    size_t righe;
  };
  const std::string buona_linea = crlf({"[generale]", "lunghezza percorso, 3000", "[curve]", "pendanza, 700, 3",
                                        "pendenza, 0, 0", "[fine]"});
  write_file(dir.file(kFileLinea), buona_linea);
  write_file(dir.file(kFileTreno), crlf({"[generale]", "velocita, 0, 30", "velocita, 500, 12,5", "[fine]"}));
  for (const caso& k : {caso{{}, 0, 2},
                        caso{{"--allow", "unknown-keyword"}, 0, 1},
                        caso{{"--allow", "unknown-keyword", "--allow=leftover-values"}, 0, 0},
                        caso{{"--Werror"}, 2, 2},
                        caso{{"--Werror", "--allow", "unknown-keyword", "--allow", "leftover-values"}, 0, 0}}) {
    const auto r = esegui("check", k.opzioni);
    EXPECT_EQ(r.status, k.stato) << r.err;
    EXPECT_EQ(righe_errore(r.err).size(), k.righe) << r.err;
    if (k.stato == 2) {
      EXPECT_NE(r.err.find(": error: "), std::string::npos) << r.err;
    }
  }
  const auto ignoto = esegui("check", {"--allow", "no-such-warning"});
  EXPECT_EQ(ignoto.status, 64);
  EXPECT_NE(ignoto.err.find("unknown-keyword"), std::string::npos) << "lists the codes";
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
  const auto aiuto = run_program("scenario-tool", {"check", "--help"});
  EXPECT_EQ(aiuto.status, 0);
  for (const char* parola : {"--dir", "--line", "--train", "--json", "--allow", "--Werror", "next line"}) {
    EXPECT_NE(aiuto.out.find(parola), std::string::npos) << parola;
  }
}

}  // namespace
}  // namespace scenario::testing
