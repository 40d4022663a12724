// scenario-tool compile on small scenario files in a temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/compile.h"
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

class CompileTool : public ::testing::Test {
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

TEST_F(CompileTool, CleanCompileWritesTheThreeFilesAndKeepsTheSources) {
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

TEST_F(CompileTool, FaultsArePrintedWithFileLineAndPosition) {
  // Line 6: a gradient beyond the route (15); service line 3: an abbattimento
  // on the cell of the one before it (7).
  scrivi(crlf({"[generale]", "lunghezza percorso, 3000", "[pendenze]", "pendenza, 0, 0", "", "pendenza, 9950, 1",
               "[fine]"}),
         crlf({"[generale]", "abbattimento, 1000, 60", "abbattimento", "  1000, 60", "[fine]"}));
  const auto r = compila({"--json", "--write-faulty"});
  EXPECT_EQ(r.status, 2);
  const std::string linea = dir.file(kFileLinea);
  const std::string treno = dir.file(kFileTreno);
  EXPECT_EQ(r.err, linea + ":6:1: error: position 9950 m of the row 'pendenza' lies beyond the end of the route "
                           "(at most 9900 m here) [E15]\n" +
                       treno + ":3:1: error: an abbattimento at 1000 m: cell 20 already holds a speed board [E7]\n" +
                       treno + ":2:1: note: the cell is held by the speed board written here\n");
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
  EXPECT_EQ(valore(r.out, "code", secondo), "\"E7\"");
  EXPECT_EQ(valore(r.out, "message", secondo), "\"an abbattimento at 1000 m: cell 20 already holds a speed board\"");
  // Written with faults, as asked; the sources stay.
  EXPECT_EQ(valore(r.out, "written"), "[\"Val_Prova_linea.dat\", \"Val_Prova_R 7.sim\", \"Val_Prova_R 7.dat\"]");
  EXPECT_EQ(valore(r.out, "kept_older_files"), "false");
  EXPECT_TRUE(file_exists(linea));
  EXPECT_TRUE(file_exists(treno));
}

TEST_F(CompileTool, AFaultKeepsTheOlderFilesUnlessWriteFaultyWritesTheFaultyOnes) {
  // Older outputs of a good compile.
  scrivi(kLineaBuona, kTrenoBuono);
  ASSERT_EQ(compila().status, 0);
  const std::vector<std::string> binari{"Val_Prova_R 7.dat", "Val_Prova_R 7.sim", "Val_Prova_linea.dat"};
  std::vector<std::string> vecchi;
  for (const auto& b : binari) vecchi.push_back(read_file(dir.file(b)));

  // The author breaks a row: a signal on the cell of the station's stop point.
  const std::string treno_rotto =
      crlf({"[generale]", "numero vetture,    7", "velocita,   0,    30", "velocita,  800,  110",
            "aderenza,   0,    100", "stazione,   1000, 4,  800,  0, 0, 0,  0,0,0,  5,1,1,   60,   7, 4, 0, PRIMA",
            "segnale, 1300, 2, 2, 3, 0, 0, 2, 2,1,0, 0", "[fine]"});
  write_file(dir.file(kFileTreno), treno_rotto);
  const auto r = compila({"--json"});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("[E16]"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("note: the cell is held by the station stop point written here"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("no binary file written"), std::string::npos) << r.err;
  EXPECT_EQ(valore(r.out, "written"), "[]");
  EXPECT_EQ(valore(r.out, "kept_older_files"), "true");
  EXPECT_EQ(valore(r.out, "numero_errore"), "16");
  EXPECT_EQ(valore(r.out, "posizione_errore"), "1300");
  for (size_t i = 0; i < binari.size(); ++i) {
    EXPECT_TRUE(read_file(dir.file(binari[i])) == vecchi[i]) << binari[i] << " changed";
  }

  // --write-faulty writes what the scenario program's compile writes from
  // the same sources, byte for byte.
  TempDir atteso;
  {
    MemoryFileSystem memoria;
    memoria.files[join_path("in", kFileLinea)] = kLineaBuona;
    memoria.files[join_path("in", kFileTreno)] = treno_rotto;
    stato_compilazione s;
    s.nome_linea = kLinea;
    s.nome_treno = kTreno;
    opzioni_compilazione opzioni;
    opzioni.cartella_sorgenti = "in";
    opzioni.cartella_uscita = "out";
    const esito_compilazione esito = memorizza_percorso(s, con_matrice_linea, memoria, opzioni);
    ASSERT_EQ(esito.scritti.size(), 3u);
    EXPECT_EQ(s.numero_errore, 16);
    for (const auto& b : binari) write_file(atteso.file(b), memoria.files[join_path("out", b)]);
  }
  const auto scritti = compila({"--write-faulty"});
  EXPECT_EQ(scritti.status, 2);
  for (const auto& b : binari) {
    EXPECT_TRUE(read_file(dir.file(b)) == read_file(atteso.file(b))) << b;
  }
}

TEST_F(CompileTool, FaultWithoutPositionOrLineGivesNulls) {
  scrivi(kLineaBuona, "");
  const auto r = compila({"--json"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, dir.file(kFileTreno) + ":1: error: the service description " + dir.file(kFileTreno) +
                       " is empty [E25]\nno binary file written: the compile recorded a fault, and older files in " +
                       dir.path() + " are left as they were (--write-faulty writes them)\n");
  EXPECT_EQ(valore(r.out, "posizione"), "null");
  EXPECT_EQ(valore(r.out, "column"), "null");

  // A chainage row's fault points at the row itself.
  write_file(dir.file(kFileTreno), kTrenoBuono);
  write_file(dir.file(kFileLinea), crlf({"[generale]", "lunghezza percorso, 3000",
                                         "progressiva chilometrica uno, 25, 0, 0", "[fine]"}));
  const auto due = compila({"--json"});
  EXPECT_EQ(due.status, 2);
  EXPECT_EQ(valore(due.out, "numero"), "2");
  EXPECT_EQ(valore(due.out, "posizione"), "null");
  EXPECT_EQ(valore(due.out, "line"), "3");
}

TEST_F(CompileTool, OutFolderAndNoTrackPlan) {
  scrivi(kLineaBuona, kTrenoBuono);
  TempDir out;
  const auto r = compila({"--out", out.path(), "--no-track-plan"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(list_dir(out.path()), (std::vector<std::string>{"Val_Prova_R 7.dat", "Val_Prova_R 7.sim"}));
  EXPECT_EQ(list_dir(dir.path()).size(), 2u) << "nothing written beside the sources";
}

TEST_F(CompileTool, MissingLineFileWritesNothing) {
  write_file(dir.file(kFileTreno), kTrenoBuono);
  const auto r = compila({"--json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, dir.file(kFileLinea) + ": error: the line description " + dir.file(kFileLinea) +
                       " does not exist [E101]\n")
      << "the fault says why, without a second contradicting line";
  EXPECT_EQ(valore(r.out, "written"), "[]");
  EXPECT_EQ(valore(r.out, "numero_errore"), "101");
  EXPECT_EQ(list_dir(dir.path()), (std::vector<std::string>{kFileTreno}));
}

TEST_F(CompileTool, HeaderGuardRefusesToWrite) {
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

TEST_F(CompileTool, OutFolderIsCreatedWhenMissing) {
  scrivi(kLineaBuona, kTrenoBuono);
  const std::string nuova = dir.file("nuova/binari");
  const auto r = compila({"--out", nuova});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(list_dir(nuova),
            (std::vector<std::string>{"Val_Prova_R 7.dat", "Val_Prova_R 7.sim", "Val_Prova_linea.dat"}));
}

TEST_F(CompileTool, FileSystemFailures) {
  scrivi(kLineaBuona, kTrenoBuono);
  // A folder cannot be made below a plain file.
  const auto r = compila({"--out", dir.file(kFileLinea) + "/sotto"});
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find(dir.file(kFileLinea) + "/sotto"), std::string::npos) << r.err;

  TempDir altra;
  write_file(altra.file(kFileLinea), kLineaBuona);
  ASSERT_EQ(::mkdir(altra.file(kFileTreno).c_str(), 0700), 0);
  const auto cartella = run_program("scenario-tool",
                                    {"compile", "--dir", altra.path(), "--line", kLinea, "--train", kTreno});
  EXPECT_EQ(cartella.status, 3);
  EXPECT_EQ(cartella.err.rfind(altra.file(kFileTreno) + ": ", 0), 0u) << cartella.err;
  EXPECT_EQ(list_dir(altra.path()), (std::vector<std::string>{kFileTreno, kFileLinea}));
}

TEST(CompileToolUsage, BadUsageAndHelp) {
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
                             "-.txt", "guard_error", "faults", "64", "--write-faulty", "--allow", "--Werror"}) {
    EXPECT_NE(aiuto.out.find(parola), std::string::npos) << parola;
  }
}

}  // namespace
}  // namespace scenario::testing
