// scenario-tool compile on small scenario files in a temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

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

// Route of 3000 m (P = 200).
const std::string kLineaBuona = crlf({"[generale]", "lunghezza percorso,    3000",
                                      "ripetizione segnali 4 codici,    0,    2000", "[curve]",
                                      "curvad4,  800,  150", "[pendenze]", "pendenza,   0,    0", "[fine]"});
const std::string kTrenoBuono =
    crlf({"[generale]", "numero vetture,    7", "velocita,   0,    30", "velocita,  800,  110",
          "aderenza,   0,    100", "stazione,   1000, 4,  800,  0, 0, 0,  0,0,0,  5,1,1,   60,   7, 4, 0, PRIMA",
          "[fine]"});

// The value that follows "key": in a JSON text, up to the next comma or brace.
std::string valore(const std::string& json, const std::string& chiave, size_t da = 0) {
  const std::string cerca = "\"" + chiave + "\": ";
  const size_t p = json.find(cerca, da);
  if (p == std::string::npos) return "<missing>";
  const size_t inizio = p + cerca.size();
  size_t fine = inizio;
  if (json[inizio] == '"') {
    fine = json.find('"', inizio + 1) + 1;
  } else if (json[inizio] == '[') {
    int profondita = 0;
    for (; fine < json.size(); ++fine) {
      if (json[fine] == '[') ++profondita;
      if (json[fine] == ']' && --profondita == 0) break;
    }
    ++fine;
  } else {
    fine = json.find_first_of(",}", inizio);
  }
  return json.substr(inizio, fine - inizio);
}

class CompilaTool : public ::testing::Test {
 protected:
  void scrivi(const std::string& linea, const std::string& treno) {
    write_file(dir.file(kFileLinea), linea);
    write_file(dir.file(kFileTreno), treno);
  }
  ProcessResult compila(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"compile", "--dir", dir.path(), "--line", kLinea, "--train", kTreno};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_program("scenario-tool", args);
  }
  TempDir dir;
};

TEST_F(CompilaTool, CleanCompileWritesTheThreeFilesAndKeepsTheSources) {
  scrivi(kLineaBuona, kTrenoBuono);
  const auto r = compila({"--json"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(json_check(r.out).valid()) << r.out;
  EXPECT_EQ(valore(r.out, "numero_errore"), "0");
  EXPECT_EQ(valore(r.out, "posizione_errore"), "0");
  EXPECT_EQ(valore(r.out, "guard_error"), "null");
  EXPECT_EQ(valore(r.out, "written"), "[\"Val_Prova_linea.dat\", \"Val_Prova_R 7.sim\", \"Val_Prova_R 7.dat\"]");
  EXPECT_EQ(valore(r.out, "faults"), "[]");
  EXPECT_EQ(list_dir(dir.path()),
            (std::vector<std::string>{"Val_Prova_R 7-.txt", "Val_Prova_R 7.dat", "Val_Prova_R 7.sim",
                                      "Val_Prova_linea.dat", "Val_Prova_linea.txt"}));
  EXPECT_EQ(read_file(dir.file(kFileLinea)), kLineaBuona);
  EXPECT_EQ(read_file(dir.file(kFileTreno)), kTrenoBuono);
}

TEST_F(CompilaTool, FaultsArePrintedWithFileLineAndPosition) {
  // Line 6: a gradient beyond the route (15); service line 3: an abbattimento
  // on the cell of the one before it (7).
  scrivi(crlf({"[generale]", "lunghezza percorso, 3000", "[pendenze]", "pendenza, 0, 0", "", "pendenza, 9950, 1",
               "[fine]"}),
         crlf({"[generale]", "abbattimento, 1000, 60", "abbattimento", "  1000, 60", "[fine]"}));
  const auto r = compila({"--json"});
  EXPECT_EQ(r.status, 2);
  const std::string linea = dir.file(kFileLinea);
  const std::string treno = dir.file(kFileTreno);
  EXPECT_EQ(r.err, linea + ":6: error 15: position beyond the end of the route (at 9950 m)\n" + treno +
                       ":3: error 7: abbattimento on an occupied cell (at 1000 m)\n");
  ASSERT_TRUE(json_check(r.out).valid()) << r.out;
  EXPECT_EQ(valore(r.out, "numero_errore"), "7");
  EXPECT_EQ(valore(r.out, "posizione_errore"), "1000");
  EXPECT_EQ(count_of(r.out, "\"numero\": "), 2u);
  const size_t secondo = r.out.find("\"numero\": 7");
  ASSERT_NE(secondo, std::string::npos);
  EXPECT_EQ(valore(r.out, "numero"), "15");
  EXPECT_EQ(valore(r.out, "posizione"), "9950");
  EXPECT_EQ(valore(r.out, "line"), "6");
  EXPECT_EQ(valore(r.out, "file"), "\"" + linea + "\"");
  EXPECT_EQ(valore(r.out, "file", secondo), "\"" + treno + "\"");
  EXPECT_EQ(valore(r.out, "line", secondo), "3");
  EXPECT_EQ(valore(r.out, "message", secondo), "\"abbattimento on an occupied cell\"");
  // Written with faults; the sources stay.
  EXPECT_EQ(valore(r.out, "written"), "[\"Val_Prova_linea.dat\", \"Val_Prova_R 7.sim\", \"Val_Prova_R 7.dat\"]");
  EXPECT_TRUE(file_exists(linea));
  EXPECT_TRUE(file_exists(treno));
}

TEST_F(CompilaTool, FaultWithoutPositionOrLineGivesNulls) {
  scrivi(kLineaBuona, "");
  const auto r = compila({"--json"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, dir.file(kFileTreno) + ":1: error 25: " +
                       "unreadable entry: not a number, a number too large for its field, "
                       "a read past the end of the file, or a value that cannot be placed\n");
  EXPECT_EQ(valore(r.out, "posizione"), "null");

  write_file(dir.file(kFileTreno), kTrenoBuono);
  write_file(dir.file(kFileLinea), crlf({"[generale]", "lunghezza percorso, 3000",
                                         "progressiva chilometrica uno, 25, 0, 0", "[fine]"}));
  const auto due = compila({"--json"});
  EXPECT_EQ(due.status, 2);
  EXPECT_EQ(valore(due.out, "numero"), "2");
  EXPECT_EQ(valore(due.out, "line"), "null");
}

TEST_F(CompilaTool, OutFolderAndNoTrackPlan) {
  scrivi(kLineaBuona, kTrenoBuono);
  TempDir out;
  const auto r = compila({"--out", out.path(), "--no-track-plan"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(list_dir(out.path()), (std::vector<std::string>{"Val_Prova_R 7.dat", "Val_Prova_R 7.sim"}));
  EXPECT_EQ(list_dir(dir.path()).size(), 2u) << "nothing written beside the sources";
}

TEST_F(CompilaTool, MissingLineFileWritesNothing) {
  write_file(dir.file(kFileTreno), kTrenoBuono);
  const auto r = compila({"--json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(dir.file(kFileLinea) + ": error 101: line description file not found\n"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("nothing to write"), std::string::npos);
  EXPECT_EQ(valore(r.out, "written"), "[]");
  EXPECT_EQ(valore(r.out, "numero_errore"), "101");
  EXPECT_EQ(list_dir(dir.path()), (std::vector<std::string>{kFileTreno}));
}

TEST_F(CompilaTool, HeaderGuardRefusesToWrite) {
  // A text board at 0 m lands in cell 1 and fills the slot of the stamp 5121.
  scrivi(crlf({"[generale]", "lunghezza percorso, 3000", "[x]", "cartello_indicatore, 0, (A)", "[fine]"}),
         kTrenoBuono);
  const auto r = compila({"--json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, " Errore n. 1250\n");
  EXPECT_EQ(valore(r.out, "guard_error"), "1250");
  EXPECT_EQ(valore(r.out, "written"), "[]");
  EXPECT_EQ(list_dir(dir.path()).size(), 2u);
}

TEST_F(CompilaTool, FileSystemFailures) {
  scrivi(kLineaBuona, kTrenoBuono);
  const auto r = compila({"--out", dir.file("missing")});
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find(dir.file("missing")), std::string::npos) << r.err;

  TempDir altra;
  write_file(altra.file(kFileLinea), kLineaBuona);
  ASSERT_EQ(::mkdir(altra.file(kFileTreno).c_str(), 0700), 0);
  const auto cartella = run_program("scenario-tool",
                                    {"compile", "--dir", altra.path(), "--line", kLinea, "--train", kTreno});
  EXPECT_EQ(cartella.status, 3);
  EXPECT_EQ(cartella.err.rfind(altra.file(kFileTreno) + ": ", 0), 0u) << cartella.err;
  EXPECT_EQ(list_dir(altra.path()), (std::vector<std::string>{kFileTreno, kFileLinea}));
}

TEST(CompilaToolUso, BadUsageAndHelp) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"compile"}, {"compile", "--dir", "x", "--line", "y"},
        {"compile", "--dir", "x", "--line", "y", "--train", "z", "--bogus"},
        {"compile", "--dir", "x", "--line", "y", "--train", "z", "extra"},
        {"compile", "--dir", "x", "--line", "y", "--train"}}) {
    const auto r = run_program("scenario-tool", args);
    EXPECT_EQ(r.status, 64) << r.err;
    EXPECT_NE(r.err.find("usage: scenario-tool compile"), std::string::npos);
  }
  const auto aiuto = run_program("scenario-tool", {"compile", "--help"});
  EXPECT_EQ(aiuto.status, 0);
  for (const char* parola : {"--dir", "--line", "--train", "--out", "--no-track-plan", "--json", "_linea.txt",
                             "-.txt", "guard_error", "faults", "64"}) {
    EXPECT_NE(aiuto.out.find(parola), std::string::npos) << parola;
  }
}

}  // namespace
}  // namespace scenario::testing
