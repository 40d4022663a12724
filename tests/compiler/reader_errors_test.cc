// One row per fault number of the two readers: the number, its position,
// the row it is charged to and what became of the two source files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "compiler/reader_fixture.h"
#include "run/errors.h"
#include "support/test_support.h"
#include "support/faults_seen.h"

namespace scenario::testing {
namespace {

enum class quale { linea, treno };

struct error_case {
  const char* nome;
  std::optional<std::string> linea;
  std::optional<std::string> treno;
  int32_t numero;
  std::optional<int32_t> posizione;  // posizione_errore; none: never set (stays 0)
  quale file;                        // file of the last fault
  int line;                          // its line; 0: none
  bool linea_resta;                  // the line file is still there (when deletion is asked)
  bool treno_resta;
  size_t guasti = 1;
};

// A route of 3000 m (P = 200) with its list rows from line 4.
const std::string kLinea = linea(3000);
const std::string kTreno = treno({"velocita, 0, 50"});
const std::string kStazione = ", 4, 800, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, X";

std::string con_cartelli(int quanti) {
  std::string t = righe({"[generale]", "lunghezza percorso, 3000", "[cartelli]"});
  for (int i = 0; i < quanti; ++i) t += "cartello_indicatore, " + std::to_string(100 + 50 * i) + ", (T)\r\n";
  return t + "[fine]\r\n";
}

std::vector<error_case> casi() {
  const quale L = quale::linea;
  const quale T = quale::treno;
  return {
      {"E101", std::nullopt, kTreno, 101, std::nullopt, L, 0, false, true},
      {"E102LastField", righe({"intro", "[generale]"}), kTreno, 102, std::nullopt, L, 0, false, true},
      {"E102None", righe({"a, b", "[fine]"}), kTreno, 102, std::nullopt, L, 0, false, true},
      {"E1", linea(1000001), kTreno, 1, std::nullopt, L, 2, false, true},
      {"E3", righe({"[generale]", "lunghezza percorso, 3000", "ripetizione segnali 4, 30, 0", "[x]"}),
       kTreno, 3, std::nullopt, L, 3, false, true},
      {"E4", righe({"[generale]", "lunghezza percorso, 3000", "ripetizione segnali 4, 0, 30", "[x]"}),
       kTreno, 4, std::nullopt, L, 3, false, true},
      {"E5", righe({"[generale]", "lunghezza percorso, 3000", "ripetizione segnali, 0, 50", "[x]"}),
       kTreno, 5, std::nullopt, L, 3, false, true},
      {"E6", linea(3000, {"indicatori_vmax, 1700, 90, 95, 95, 2, , , , 0", "cartello_indicatore, 1700, (X)"}),
       kTreno, 6, 1700, L, 5, false, true},
      {"E103NoClass", linea(3000, {"curvas, 100, 50"}), kTreno, 103, std::nullopt, L, 4, false, true},
      {"E103PlanBeyondAMillion", linea(1000000, {"curvad4, 999000, 5000"}), kTreno, 103, std::nullopt, L,
       4, false, true},
      // 15 ends only the line file: the service file is read and deleted.
      {"E15Line", linea(3000, {"pendenza, 9901, 0"}), kTreno, 15, 9901, L, 4, false, false},
      {"E21", linea(3000, {"indicatori_vmax, 1700, 90, 95, 95, 2, , , , 0",
                           "indicatori_vmax, 1700, 90, 95, 95, 2, , , , 0"}),
       kTreno, 21, 1700, L, 5, false, true},
      {"E25LineNotANumber", linea(3000, {"pendenza, 1x, 0"}), kTreno, 25, std::nullopt, L, 4, false, false},
      {"E25LineCutShort", righe({"[generale]", "lunghezza percorso, 3000", "[x]", "pendenza, 100"}), kTreno,
       25, std::nullopt, L, 4, false, false},
      {"E25NoLength", righe({"[generale]", "sfondo uno, 1", "[x]", "[fine]"}), kTreno, 25, std::nullopt, L,
       0, false, false},
      {"E15Service", kLinea, treno({"velocita, 9901, 50"}), 15, 9901, T, 2, false, false},
      {"E7", kLinea, treno({"abbattimento, 1000, 60", "abbattimento, 1000, 60"}), 7, 1000, T, 3, false,
       false},
      {"E8", kLinea, treno({"stazione, 225" + kStazione}), 8, 225, T, 2, false, false},
      {"E9", kLinea, treno({"stazione, 1000, 4, 450, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, X"}), 9, 1000, T, 2,
       false, false},
      // 79 boards leave row 1 free: one station, then no row is left.
      {"E10", con_cartelli(79), treno({"stazione, 5000" + kStazione}), 10, std::nullopt, T, 2, false,
       false},
      {"E22", kLinea, treno({"stazione, 1000" + kStazione, "stazione, 1500" + kStazione}), 22, 1500, T, 3,
       false, false},
      {"E24", kLinea, treno({"stazione, 0, 4, 0, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, X"}), 24, std::nullopt, T,
       2, false, false},
      {"E16", kLinea, treno({"segnale, 2000, 2, 2, 3, 0, 0, 2, 2,1,0, 0", "segnale, 2000, 2, 2, 3, 0, 0, 2, 2,1,0, 0"}),
       16, 2000, T, 3, false, false},
      // Slow-down at 2000: warning cell 17, start 41, end 47, advance cells 16 .. 13.
      {"E17", kLinea, treno({"segnale, 800, 0,0,0,0,0,0,0,0,0,0", "rallentamento, 2000, 40, 300, 0, 1, 40"}),
       17, 2000, T, 3, false, false},
      {"E18", kLinea, treno({"segnale, 2000, 0,0,0,0,0,0,0,0,0,0", "rallentamento, 2000, 40, 300, 0, 1, 40"}),
       18, 2000, T, 3, false, false},
      {"E19", kLinea, treno({"segnale, 2300, 0,0,0,0,0,0,0,0,0,0", "rallentamento, 2000, 40, 300, 0, 1, 40"}),
       19, 2000, T, 3, false, false},
      {"E20", kLinea, treno({"segnale, 700, 0,0,0,0,0,0,0,0,0,0", "rallentamento, 2000, 40, 300, 0, 1, 40"}),
       20, 2000, T, 3, false, false},
      {"E2", righe({"[generale]", "lunghezza percorso, 3000", "progressiva chilometrica uno, 25, 0, 0", "[x]"}),
       kTreno, 2, std::nullopt, L, 3, false, false},
      {"E25ServiceMissing", kLinea, std::nullopt, 25, std::nullopt, T, 0, false, false},
      {"E25ServiceEmpty", kLinea, "", 25, std::nullopt, T, 1, false, false},
      {"E25ServiceCutShort", kLinea, "[generale]\r\nsegnale, 100, 2\r\n", 25, std::nullopt, T, 2, false,
       false},
      // The line reader's 15 ends the service reading at its first signal.
      {"E15LeftOver", linea(3000, {"pendenza, 9901, 0"}),
       treno({"velocita, 0, 50", "segnale, 500, 2, 2, 3, 0, 0, 2, 2,1,0, 0"}), 15, 500, T, 3, false, false,
       2},
  };
}

class ReaderErrors : public ::testing::TestWithParam<std::tuple<error_case, bool>> {};

TEST_P(ReaderErrors, NumberPositionRowAndFiles) {
  const auto& [c, delete_sources] = GetParam();
  const auto r = read_sources(c.linea, c.treno, delete_sources);
  EXPECT_FALSE(r->io_error.has_value());
  EXPECT_EQ(r->s.numero_errore, c.numero);
  EXPECT_EQ(r->s.posizione_errore, c.posizione.value_or(0));
  ASSERT_EQ(faults_of(r->s).size(), c.guasti);
  const auto guasti = faults_of(r->s);
  const auto& g = guasti.back();
  EXPECT_EQ(g.number, c.numero);
  EXPECT_EQ(g.position, c.posizione);
  EXPECT_EQ(g.file, c.file == quale::linea ? kLineFile : kServiceFile);
  EXPECT_EQ(g.line, c.line);
  if (delete_sources) {
    EXPECT_EQ(r->line_present(), c.linea_resta);
    EXPECT_EQ(r->service_present(), c.treno_resta);
  } else {
    // An author's sources are never deleted or changed.
    EXPECT_EQ(r->line_present(), c.linea.has_value());
    EXPECT_EQ(r->service_present(), c.treno.has_value());
    if (c.linea) {
      EXPECT_EQ(r->fs.files[kLineFile], *c.linea);
    }
    if (c.treno) {
      EXPECT_EQ(r->fs.files[kServiceFile], *c.treno);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Table, ReaderErrors, ::testing::Combine(::testing::ValuesIn(casi()), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).nome) +
                                  (std::get<1>(info.param) ? "_Deleting" : "_Keeping");
                         });

TEST(ReaderErrors, LeftOverFifteenSkipsTheEndFills) {
  const auto r = read_sources(linea(3000, {"pendenza, 9901, 0"}),
                              treno({"velocita, 0, 50", "velocita, 200, 60", "segnale, 500, 2, 2, 3, 0, 0, 2, 2,1,0, 0",
                                     "sabbia, 9"}));
  EXPECT_EQ(r->s.numero_errore, 15);
  EXPECT_EQ(r->s.percorso[3].velocita, 10);
  EXPECT_EQ(r->s.percorso[4].velocita, 0) << "no end-of-reading fill";
  EXPECT_EQ(r->s.tabella_sim[riga_ripetizione].i1, 0);
  EXPECT_EQ(r->s.percorso[11].tipo, 1) << "the signal itself was placed";
}

TEST(ReaderErrors, FifteenInTheServiceFileStillRunsTheEndSteps) {
  const auto r = read_sources(righe({"[generale]", "lunghezza percorso, 3000", "progressiva chilometrica uno, 25, 0, 0",
                                     "[x]"}),
                              treno({"velocita, 0, 50", "aderenza, 9901, 3"}));
  // The chainage-row check replaces 15 with 2.
  EXPECT_EQ(r->s.numero_errore, 2);
  EXPECT_EQ(r->s.posizione_errore, 9901);
  ASSERT_EQ(faults_of(r->s).size(), 2u);
  EXPECT_EQ(faults_of(r->s)[0].number, 15);
  EXPECT_EQ(r->s.percorso[197].velocita, 10);
}

TEST(ReaderErrors, AFailedDeletionStopsTheCompile) {
  auto r = std::make_unique<InMemoryRead>();
  r->fs.files[kLineFile] = kLinea;
  r->fs.files[kServiceFile] = kTreno;
  r->s.nome_linea = "L";
  r->s.nome_treno = "T";
  r->s.genera_linea = true;
  FaultyFileSystem guasto_al_primo(r->fs, 1);
  Sources src{guasto_al_primo, kFolder, true, std::nullopt};
  memorizza_dati(r->s, src);
  ASSERT_TRUE(src.io_error.has_value());
  EXPECT_EQ(src.io_error->path, kLineFile);
  EXPECT_TRUE(r->service_present()) << "the service file was not read";
  EXPECT_EQ(r->s.percorso[0].velocita, 0);
}

TEST(ReaderErrors, AnUnreadableSourceIsAFileSystemFailure) {
  TempDir dir;
  ::mkdir(dir.file("L_linea.txt").c_str(), 0700);
  PosixFileSystem fs;
  stato_compilazione s;
  s.nome_linea = "L";
  s.nome_treno = "T";
  Sources src{fs, dir.path(), true, std::nullopt};
  memorizza_dati(s, src);
  ASSERT_TRUE(src.io_error.has_value());
  EXPECT_EQ(src.io_error->path, dir.file("L_linea.txt"));
  EXPECT_TRUE(faults_of(s).empty());
  EXPECT_TRUE(file_exists(dir.file("L_linea.txt")));
}

TEST(ReaderErrors, FaultLinesReadAsTheUserSeesThem) {
  const auto r = read_sources(kLinea, treno({"abbattimento, 1000, 60", "abbattimento, 1000, 60"}));
  ASSERT_EQ(r->s.diagnostiche.size(), 1u);
  EXPECT_EQ(format_diagnostic(r->s.diagnostiche[0]),
            "d/L_T-.txt:3:1: error: an abbattimento at 1000 m: cell 20 already holds a speed board [E7]\n"
            "d/L_T-.txt:2:1: note: the cell is held by the speed board written here");
}

}  // namespace
}  // namespace scenario::testing
