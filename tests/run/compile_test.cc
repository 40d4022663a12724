#include "run/compile.h"

#include <sstream>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "model/binary_files.h"
#include "model/file_names.h"
#include "run/errors.h"
#include "support/test_support.h"

namespace scenario {
namespace {

constexpr const char* kLinea = "Borgo Varnello_Calmea";
constexpr const char* kTreno = "Reg 27594";

// A compiled model as the readers leave it: sized, names in rows 85 and 86.
stato_compilazione read_model(bool genera_linea) {
  stato_compilazione s;
  s.nome_linea = kLinea;
  s.nome_treno = kTreno;
  s.genera_linea = genera_linea;
  dimensiona(s, 88000);
  s.tabella_sim[riga_linea].testo = kLinea;
  s.tabella_sim[riga_ripetizione].testo = kTreno;
  return s;
}

std::string out(const std::string& name) { return join_path("out", name); }

// Older outputs of every name, longer than anything the compile writes.
MemoryFileSystem disk_with_older_outputs() {
  MemoryFileSystem disk;
  for (const auto& name : {nomi::linea_dat(kLinea), nomi::sim(kLinea, kTreno),
                           nomi::dat(kLinea, kTreno)}) {
    disk.files[out(name)] = std::string(3'000'000, 'x');
  }
  return disk;
}

struct GuardCase {
  const char* slot;
  void (*fill)(stato_compilazione&);
  int number;
};

class HeaderGuard : public ::testing::TestWithParam<GuardCase> {};

TEST_P(HeaderGuard, RefusesAFilledSlotAndWritesNothing) {
  stato_compilazione s = read_model(con_matrice_linea);
  GetParam().fill(s);
  MemoryFileSystem disk = disk_with_older_outputs();
  const auto before = disk.files;
  CompileOutcome esito;
  concludi_compilazione(s, disk, "out", esito);
  ASSERT_EQ(esito.guard_error, GetParam().number);
  EXPECT_TRUE(esito.written.empty());
  EXPECT_EQ(disk.files, before);
  EXPECT_EQ(exit_status(esito, s), 1);
  std::ostringstream err;
  report(err, esito, s);
  EXPECT_EQ(err.str(), " Errore n. " + std::to_string(GetParam().number) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Slots, HeaderGuard,
    ::testing::Values(
        GuardCase{"row85_i1", [](stato_compilazione& s) { s.tabella_sim[85].i1 = 1; }, 1250},
        GuardCase{"cell1_dato1", [](stato_compilazione& s) { s.percorso[1].dato1 = -1; }, 1250},
        GuardCase{"row85_orario", [](stato_compilazione& s) { s.tabella_sim[85].orario = 7; }, 1251},
        GuardCase{"cell1_dato2", [](stato_compilazione& s) { s.percorso[1].dato2 = 3; }, 1251}),
    [](const auto& info) { return std::string(info.param.slot); });

TEST(Compile, StampsHeaderAndCodesAndReplacesOlderFilesWhole) {
  stato_compilazione s = read_model(con_matrice_linea);
  MemoryFileSystem disk = disk_with_older_outputs();
  CompileOutcome esito;
  concludi_compilazione(s, disk, "out", esito);
  ASSERT_FALSE(esito.io_error);
  EXPECT_EQ(esito.written, (std::vector<std::string>{nomi::linea_dat(kLinea), nomi::sim(kLinea, kTreno),
                                                     nomi::dat(kLinea, kTreno)}));
  EXPECT_EQ(disk.files.size(), 3u);
  EXPECT_EQ(disk.files[out(nomi::linea_dat(kLinea))].size(), 380004u);  // every point empty
  EXPECT_EQ(disk.files[out(nomi::sim(kLinea, kTreno))].size(), 2988u);
  const std::string& dat = disk.files[out(nomi::dat(kLinea, kTreno))];
  ASSERT_EQ(dat.size(), 28515u);
  EXPECT_EQ(dat.substr(16, 2), "\x01\x14");
  EXPECT_EQ(s.tabella_sim[riga_linea].i1, 610);
  EXPECT_NE(s.tabella_sim[riga_linea].orario, 0);
  EXPECT_NE(s.percorso[1].dato2, 0);
  EXPECT_EQ(exit_status(esito, s), 0);
}

TEST(Compile, WithoutTrackPlanNeitherCreatesNorTouchesIt) {
  stato_compilazione s = read_model(senza_matrice_linea);
  MemoryFileSystem disk;
  disk.files[out(nomi::linea_dat(kLinea))] = "older plan";
  CompileOutcome esito;
  concludi_compilazione(s, disk, "out", esito);
  EXPECT_EQ(esito.written, (std::vector<std::string>{nomi::sim(kLinea, kTreno), nomi::dat(kLinea, kTreno)}));
  EXPECT_EQ(disk.files[out(nomi::linea_dat(kLinea))], "older plan");
  EXPECT_EQ(disk.files.size(), 3u);
}

// A model read with a fault of the reader, a warning and a fault of the
// rules (a slow-down start at cell 30 with all three windows before it full).
stato_compilazione model_with_faults() {
  stato_compilazione s = read_model(con_matrice_linea);
  aggiungi_diagnostica(s, diagnostica_errore(15, 99000, {"line.txt", 12, 1}));
  Diagnostic avviso;
  avviso.severity = Severity::kWarning;
  avviso.code = "unknown-keyword";
  avviso.where = {"line.txt", 3, 1};
  avviso.message = "'pendanza' matches no keyword";
  aggiungi_diagnostica(s, avviso);
  s.percorso[30].tipo = oggetto::inizio_rallentamento;
  s.percorso[30].dato1 = 120;
  s.percorso[32].tipo = oggetto::fine_rallentamento;
  for (int c : {25, 24, 23, 19, 18, 17, 12, 11, 10}) s.percorso[static_cast<size_t>(c)].tipo = oggetto::segnale;
  return s;
}

TEST(Compile, TheOneShotCompileWritesAFaultyModelAndReportsErrorsThenWarnings) {
  stato_compilazione s = model_with_faults();
  MemoryFileSystem disk;
  CompileOutcome esito;
  concludi_compilazione(s, disk, "out", esito);
  EXPECT_EQ(esito.written.size(), 3u);
  EXPECT_FALSE(esito.held_back);
  EXPECT_EQ(exit_status(esito, s), 2);
  EXPECT_EQ(s.numero_errore, 12);
  EXPECT_EQ(s.posizione_errore, 1500);
  std::ostringstream err;
  report(err, esito, s);
  EXPECT_EQ(err.str(),
            "line.txt:12:1: error: position beyond the end of the route [E15]\n"
            "error: no free cell for a speed board of 180 in cells 23 to 25, in front of the slow-down "
            "in cell 30, metres 1500 to 1549 [E12]\n"
            "line.txt:3:1: warning: 'pendanza' matches no keyword [unknown-keyword]\n");
}

TEST(Compile, AFaultKeepsTheOlderFilesByteForByteUnlessAskedToWrite) {
  for (const bool scrivi : {false, true}) {
    stato_compilazione s = model_with_faults();
    MemoryFileSystem disk = disk_with_older_outputs();
    const auto before = disk.files;
    CompileOptions opzioni;
    opzioni.output_folder = "out";
    opzioni.write_despite_faults = scrivi;
    CompileOutcome esito;
    concludi_compilazione(s, disk, opzioni, esito);
    EXPECT_EQ(exit_status(esito, s), 2) << scrivi;
    EXPECT_EQ(esito.held_back, !scrivi);
    EXPECT_EQ(esito.written.size(), scrivi ? 3u : 0u);
    EXPECT_EQ(disk.files == before, !scrivi) << "older files " << (scrivi ? "replaced" : "kept");
  }
}

TEST(Compile, WarningsAloneWriteUnlessCountedAsErrors) {
  struct fault_case {
    WarningPolicy politica;
    bool scritto;
    int stato;
    size_t diagnostiche;
  };
  const fault_case cases[] = {{{}, true, 0, 1},
                       {{{"unknown-keyword"}, true}, true, 0, 0},
                       {{{}, true}, false, 2, 1}};
  for (const fault_case& k : cases) {
    stato_compilazione s = read_model(con_matrice_linea);
    Diagnostic avviso;
    avviso.severity = Severity::kWarning;
    avviso.code = "unknown-keyword";
    aggiungi_diagnostica(s, avviso);
    MemoryFileSystem disk = disk_with_older_outputs();
    CompileOptions opzioni;
    opzioni.output_folder = "out";
    opzioni.write_despite_faults = false;
    opzioni.warnings = k.politica;
    CompileOutcome esito;
    concludi_compilazione(s, disk, opzioni, esito);
    EXPECT_EQ(!esito.written.empty(), k.scritto);
    EXPECT_EQ(exit_status(esito, s), k.stato);
    EXPECT_EQ(s.diagnostiche.size(), k.diagnostiche);
    EXPECT_EQ(s.numero_errore, 0) << "a warning never sets a fault number";
  }
}

TEST(Compile, UnsizedRouteWritesNothing) {
  stato_compilazione s;
  s.nome_linea = kLinea;
  s.nome_treno = kTreno;
  MemoryFileSystem disk;  // no sources at all
  CompileOptions opzioni;
  opzioni.source_folder = "in";
  opzioni.output_folder = "out";
  CompileOutcome esito = memorizza_percorso(s, con_matrice_linea, disk, opzioni);
  EXPECT_TRUE(esito.nothing_to_write);
  EXPECT_TRUE(disk.files.empty());
  EXPECT_EQ(exit_status(esito, s), 1);
}

TEST(Compile, AFailedWriteOnDiskKeepsTheOlderFilesAndNamesThePath) {
  testing::TempDir dir;
  const std::string sim = dir.file(nomi::sim(kLinea, kTreno));
  const std::string linea = dir.file(nomi::linea_dat(kLinea));
  testing::write_file(linea, "older plan");
  ASSERT_EQ(::mkdir(sim.c_str(), 0755), 0);  // a directory where ".sim" must go
  stato_compilazione s = read_model(con_matrice_linea);
  PosixFileSystem disk;
  CompileOutcome esito;
  concludi_compilazione(s, disk, dir.path(), esito);
  ASSERT_TRUE(esito.io_error);
  EXPECT_EQ(exit_status(esito, s), 3);
  std::ostringstream err;
  report(err, esito, s);
  EXPECT_EQ(err.str().rfind(sim + ": ", 0), 0u) << err.str();
  EXPECT_TRUE(testing::read_file(linea) == "older plan");
  EXPECT_EQ(testing::list_dir(dir.path()),
            (std::vector<std::string>{nomi::sim(kLinea, kTreno), nomi::linea_dat(kLinea)}));
}

TEST(Minimum, ReturnsTheSmallerAndTheFirstOnTies) {
  EXPECT_EQ(minimo(180, 200), 180);
  EXPECT_EQ(minimo(180, 120), 120);
  EXPECT_EQ(minimo(180, 180), 180);
}

}  // namespace
}  // namespace scenario
