// Decompiling binary files back to sources: the round trip as a property of
// every valid scenario, the simplest sources, and damaged files that must be
// named cell by cell and never pass as a round trip.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/binary_files.h"
#include "model/file_names.h"
#include "platform/file_system.h"
#include "roundtrip/decompile.h"
#include "run/run.h"
#include "scenario/line_description.h"
#include "scenario/service_description.h"
#include "support/scenario_generator.h"
#include "support/test_support.h"

namespace scenario::testing {
namespace {

using roundtrip::compile_in_memory;
using roundtrip::decompile;
using roundtrip::decompile_outcome;
using roundtrip::binary_files;

const std::string kLinea = nome_linea_incorporata;
const std::string kTreno = nome_treno_incorporato;

struct SourceTexts {
  std::string linea;
  std::string treno;
};

SourceTexts embedded_sources() {
  MemoryFileSystem fs;
  EXPECT_FALSE(dati_linea(fs, "d", kLinea, kTreno));
  EXPECT_FALSE(dati_treno(fs, "d", kLinea, kTreno));
  return {fs.files.at(join_path("d", nomi::linea_txt(kLinea))),
          fs.files.at(join_path("d", nomi::treno_txt(kLinea, kTreno)))};
}

std::string list_diagnostics(const Diagnostics& d) {
  std::string out;
  for (const auto& x : d) out += format_diagnostic(x) + "\n";
  return out;
}

// Compiles the sources (which must compile without faults), decompiles the
// files, and checks that the decompiled sources compile to the same bytes.
// Returns the decompile for further checks.
decompile_outcome expect_round_trip(const SourceTexts& src, bool with_plan, const std::string& what) {
  const auto primo = compile_in_memory(src.linea, src.treno, kLinea, kTreno, with_plan);
  EXPECT_TRUE(primo.written) << what;
  EXPECT_TRUE(primo.faults.empty()) << what << ": " << (primo.faults.empty() ? "" : primo.faults[0]);
  EXPECT_EQ(primo.file.linea.has_value(), with_plan) << what;
  decompile_outcome e = decompile(primo.file, kLinea, kTreno);
  EXPECT_TRUE(e.round_trip) << what << "\n" << list_diagnostics(e.diagnostiche);
  // Independently of decompile's own check: the written text compiles to
  // the very bytes.
  const auto secondo = compile_in_memory(e.linea, e.servizio, kLinea, kTreno, with_plan);
  EXPECT_TRUE(secondo.faults.empty()) << what;
  EXPECT_TRUE(secondo.file.sim == primo.file.sim) << what << ": .sim differs";
  EXPECT_TRUE(secondo.file.dat == primo.file.dat) << what << ": .dat differs";
  EXPECT_TRUE(secondo.file.linea == primo.file.linea) << what << ": track plan differs";
  return e;
}

size_t rows_with(const std::string& testo, const std::string& chiave) {
  size_t n = 0;
  for (size_t p = testo.find("\n" + chiave); p != std::string::npos; p = testo.find("\n" + chiave, p + 1)) ++n;
  return n;
}

TEST(Decompile, EmbeddedScenarioRoundTripsWithTheSimplestRows) {
  const SourceTexts src = embedded_sources();
  const auto e = expect_round_trip(src, true, "embedded");
  // Only no-track-plan could warn, and the plan is there.
  EXPECT_TRUE(e.diagnostiche.empty()) << list_diagnostics(e.diagnostiche);
  // One speed row per change: the embedded file repeats 90 at 24,000 m,
  // 100 at 40,000 m and 95 at 86,900 m.
  EXPECT_EQ(rows_with(e.servizio, "velocita,"), rows_with(src.treno, "velocita,") - 3);
  EXPECT_EQ(e.servizio.find("velocita, 24000,"), std::string::npos);
  // What the compile adds comes back by compiling: no board of the
  // derivation is written as a row, nor any stop point or mark.
  EXPECT_EQ(rows_with(e.servizio, "abbattimento"), 0u) << e.servizio;
  // Every row of the other kinds comes back, one for one.
  for (const char* chiave : {"stazione,", "segnale,", "rallentamento,"}) {
    EXPECT_EQ(rows_with(e.servizio, chiave), rows_with(src.treno, chiave)) << chiave;
  }
  for (const char* chiave : {"montagna,", "cartello_indicatore,", "indicatori_vmax,"}) {
    EXPECT_EQ(rows_with(e.linea, chiave), rows_with(src.linea, chiave)) << chiave;
  }
  // Curves from the heading change: the same class, hand, start and length.
  EXPECT_NE(e.linea.find("\ncurvad4, 800, 150\r\n"), std::string::npos) << e.linea;
  EXPECT_NE(e.linea.find("\ncurvas2, 31900, 1500\r\n"), std::string::npos);
  // The chainage rows come back in the form the sort turns into the table.
  EXPECT_NE(e.linea.find("\nprogressiva chilometrica uno, 0, 46000, 1\r\n"), std::string::npos);
  EXPECT_NE(e.linea.find("\nprogressiva chilometrica tre, 49000, -49000, 0\r\n"), std::string::npos);
}

TEST(Decompile, WithoutTrackPlanSaysCurvesAreLostAndRoundTripsTheOtherFiles) {
  const auto e = expect_round_trip(embedded_sources(), false, "embedded without plan");
  ASSERT_EQ(e.diagnostiche.size(), 1u) << list_diagnostics(e.diagnostiche);
  EXPECT_EQ(e.diagnostiche[0].code, "no-track-plan");
  EXPECT_EQ(e.diagnostiche[0].severity, Severity::kWarning);
  EXPECT_NE(e.diagnostiche[0].message.find("curves cannot be recovered"), std::string::npos);
  EXPECT_EQ(rows_with(e.linea, "curva"), 0u);
}

// Every scenario of the generator, with and without the track plan.
class DecompileGenerated : public ::testing::TestWithParam<uint64_t> {};

TEST_P(DecompileGenerated, CompileDecompileCompileGivesTheSameBytes) {
  const RandomScenario g = generate_scenario(GetParam());
  for (bool with_plan : {true, false}) {
    expect_round_trip({g.linea, g.treno}, with_plan,
                      "seed " + std::to_string(GetParam()) + (with_plan ? " with" : " without") + " plan");
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, DecompileGenerated, ::testing::Range<uint64_t>(1, 161));

TEST(DecompileGenerated, LongestRouteRoundTrips) {
  const RandomScenario g = generate_long_route(1);
  ASSERT_EQ(g.lunghezza, 1'000'000);
  for (bool with_plan : {true, false}) expect_round_trip({g.linea, g.treno}, with_plan, "1,000,000 m");
}

// Small sources whose bytes need more than the plainest rows: each must
// compile cleanly and come back to the same bytes.
struct SourceCase {
  const char* nome;
  const char* linea;     // list rows of the line description
  const char* servizio;  // rows of the service description
  const char* generale = "";  // rows of the line's general section
};

const SourceCase kSourceCases[] = {
    {"signal whose sx * 3 + dx passes 9", "", "segnale, 5000, 5, 1, 2, 3, 1, 0, 1, 2, 3, 0\r\n"},
    {"signal whose sx * 3 + dx is far above 9, on either side of 250", "",
     "segnale, 5000, 97, 1,1,1, 0, 0, 1,1,1, 0\r\nsegnale, 6000, 90, 1,1,1, 3, 2, 1,1,1, 0\r\n"
     "segnale, 7000, -97, 1,1,1, 0, 1, 1,1,1, 0\r\n"},
    {"signal whose two nearer approach marks the next signal covered, with marks that its own "
     "two far ones would also fit",
     "", "segnale, 3000, 1, 2,1,0, 0, -960, 2,1,1, 0\r\nsegnale, 3200, 1, 2,5,0, 1, 1, 2,0,0, 0\r\n"},
    {"signal whose far approach marks fit a candidate above dato4's digit, after one below it "
     "fitted the next signal's marks",
     "", "segnale, 600, 1, 2,1,0, 0, 74, 0,0,0, 0\r\nsegnale, 800, 1, 0,5,0, 1, 1, 2,0,0, 0\r\n"},
    {"signal whose two nearer approach marks a later signal covered with marks of another "
     "candidate, its farthest one covered by a signal before it",
     "", "segnale, 1500, 1, 2,1,1, 1, 1, 3,1,1, 0\r\nsegnale, 1705, 2, 4,5,0, 1, 11963, 3,1,10, 0\r\n"
     "segnale, 1200, 1, 1,1,1, 0, 1, 1,1,1, 0\r\n"},
    {"signal whose two middle approach marks a station's stop marks covered, one of them fitting "
     "another candidate, its farthest covered by a later signal",
     "", "segnale, 5000, -1, 1,1,1, 0, 1, 1,1,1, 0\r\nsegnale, 4700, 1, 1,1,1, 0, 1, 1,1,1, 0\r\n"
     "stazione, 4750, 4, 400, 0, 0, 0, 0,0,0, 0,0,0, 0, 7, 0, 0, A\r\n"},
    {"signal tempo 1 .. 100 and above 255",
     "", "segnale, 5000, 2, 1,1,1, 0, 1, 1,1,1, 50\r\nsegnale, 6000, 2, 1,1,1, 0, 1, 1,1,1, 300\r\n"},
    {"tunnel of kind 2 three cells after another", "montagna, 1000, 2000, 1\r\nmontagna, 2174, 3000, 12\r\n", ""},
    {"tunnel right after one the compile turned into kind 3",
     "montagna, 1000, 2000, 1\r\nmontagna, 3000, 8000, 2\r\nmontagna, 2100, 3000, 1\r\n", ""},
    {"tunnels 150 m apart become kind 3", "montagna, 1000, 2000, 11\r\nmontagna, 2150, 3000, 2\r\n", ""},
    {"stations of every stop-area form", "",
     "stazione, 2000, 4, 400, 0, 0, 1, 0,0,0, 0,0,0, 0, 7, 0, 0, A\r\n"
     "stazione, 4000, 5, 300, 1, 1, 1, 1,2,3, 4,5,6, 7, 7, 5, 30, B\r\n"
     "stazione, 6000, 7, 200, 0, 0, 1, 0,0,0, 0,0,0, 0, 7,10, 0, C\r\n"
     "stazione, 8000, 30, 400, 0, 0, 0, 0,0,0, 0,0,0, 0, 0, 0, 0, D\r\n"},
    {"speed boards the derivation does not place", "",
     "rallentamento, 10000, 60, 1000, 0, 1, 0\r\nabbattimento, 15000, 0\r\n"
     "abbattimento, 15500, 180\r\nabbattimento, 16000, 200\r\n"},
    {"speed boards whose speed does not fit 16 bits", "",
     "abbattimento, 15000, 2147483647\r\nabbattimento, 16000, 32768\r\nabbattimento, 17000, 65536\r\n"},
    {"slow-down within 1500 m of the start", "", "rallentamento, 1500, 30, 200, 1, 1, 30\r\n"},
    {"slow-downs between two multiples of 50 m, their advance marks a cell further back", "",
     "rallentamento, 3025, 60, 500, 0, 1, 3\r\nrallentamento, 9049, 40, 300, 1, 1, 0\r\n"
     "rallentamento, 12825, 50, 99, 1, 1, 0\r\nrallentamento, 15025, 50, 0, 1, 1, 0\r\n"},
    {"slow-down whose first advance mark a speed board recorded after it covered", "",
     "rallentamento, 1825, 2, 2, 4, 1, 0\r\nabbattimento, 650, -70\r\n"},
    {"slow-downs of negative length, their ends before their starts", "",
     "rallentamento, 5000, 60, -500, 0, 1, 2\r\nrallentamento, 9000, 40, -3000, 1, 1, 0\r\n"},
    {"two slow-downs whose advance marks would share cells, the first with them", "",
     "rallentamento, 3600, 60, 500, 0, 1, 0\r\nrallentamento, 3625, 60, 500, 0, 0, 0\r\n"},
    {"two slow-downs whose advance marks would share cells, the one 25 m on with them, unnumbered", "",
     "rallentamento, 3625, 60, 500, 0, 1, 0\r\nrallentamento, 3600, 60, 500, 0, 0, 40\r\n"},
    {"station approach mark over a signal's", "",
     "segnale, 3000, 1, 1,1,1, 0, 1, 1,1,1, 0\r\nstazione, 3000, 4, 400, 0, 0, 0, 0,0,0, 0,0,0, 0, 7, 0, 0, A\r\n"},
    {"chainage zones whose lower starts tie", "", "",
     "progressiva chilometrica uno, 2000, 100, 0\r\nprogressiva chilometrica due, 2000, 200, 1\r\n"
     "progressiva chilometrica tre, 10000, -10000, 0\r\n"},
    {"gradient rows at the last position a row may have", "pendenza, 26900, 3\r\npendenza, 26900, 4\r\n", ""},
    {"text boards with commas, edge blanks and none", 
     "cartello_indicatore, 1000, \" (A, B) \"\r\ncartello_indicatore, 2000,\r\n", ""},
};

TEST(Decompile, SourcesThatNeedMoreThanThePlainestRowsComeBack) {
  for (const SourceCase& c : kSourceCases) {
    const std::string linea = std::string("[generale]\r\nlunghezza percorso, 20000\r\n") + c.generale +
                              "[liste]\r\n" + c.linea + "[fine]\r\n";
    const std::string servizio =
        std::string("[generale]\r\nvelocita, 0, 100\r\naderenza, 0, 100\r\n") + c.servizio + "[fine]\r\n";
    expect_round_trip({linea, servizio}, true, c.nome);
  }
}

// Bytes changed after the compile: the decompile writes the nearest sources,
// names what they cannot produce, and does not claim a round trip.
struct Damage {
  const char* nome;
  void (*applica)(binary_files&);
  const char* atteso;  // a piece of one warning
};

void put_u8(std::string& s, size_t at, uint8_t v) { s[at] = static_cast<char>(v); }

// Cell 851 holds the embedded scenario's signal at 42,500 m; its approach
// marks are on cells 849, 847, 845, 843.
constexpr size_t kCellaSegnale = 851;

const Damage kDamages[] = {
    {"object code no row places", [](binary_files& f) { put_u8(f.dat, 602 * layout::dat_cella, 9); },
     "cell 602 (km 15+900, 30100 m) cannot be produced: tipo 9 in the file, 0 from the sources"},
    {"approach mark of a signal",
     [](binary_files& f) { put_u8(f.dat, (kCellaSegnale - 2) * layout::dat_cella + 10, 77); },
     "cell 849"},
    {"integrity code of the table",
     [](binary_files& f) {
       // Row 85's orario is the last 4 bytes before row 86 (row 86: 34 + 9 bytes).
       const size_t at = f.sim.size() - (34 + 9) - 4;
       put_u8(f.sim, at, static_cast<uint8_t>(f.sim[at] + 1));
     },
     "row 85 (line and header row) cannot be produced: orario"},
    {"slow-down end without its start",
     [](binary_files& f) { put_u8(f.dat, 602 * layout::dat_cella, 2); },
     "cell 602: a slow-down end without a start cannot be produced"},
    {"a point of the track plan",
     [](binary_files& f) {
       // Point 5000's first coordinate: tag, then 8 bytes of the double.
       const size_t at = 4 + 4 + 10 * (5000 - 2) + 2 + 3;
       put_u8(f.linea.value(), at, static_cast<uint8_t>((*f.linea)[at] ^ 0x10));
     },
     "track plan points 5000 .. 5000 cannot be produced"},
    {"a stretch of cells, named once",
     [](binary_files& f) {
       for (size_t c = 720; c <= 729; ++c) put_u8(f.dat, c * layout::dat_cella + layout::dat_tempo, 7);
     },
     "cells 720 .. 729 (km 10+000 .. 9+550, 36000 .. 36450 m) cannot be produced: tempo 7 in the file, 0 from the sources"},
    {"route length against the cells",
     [](binary_files& f) { f.dat.resize(f.dat.size() - 20 * layout::dat_cella); },
     "route length 88000 m does not give the route file's 1881 cells"},
};

TEST(Decompile, DamagedFilesNameWhatCannotBeProducedAndClaimNothing) {
  const SourceTexts src = embedded_sources();
  const auto buono = compile_in_memory(src.linea, src.treno, kLinea, kTreno, true);
  ASSERT_TRUE(buono.written);
  for (const Damage& d : kDamages) {
    binary_files f = buono.file;
    d.applica(f);
    const auto e = decompile(f, kLinea, kTreno);
    EXPECT_TRUE(e.decoded) << d.nome;
    EXPECT_FALSE(e.round_trip) << d.nome;
    EXPECT_FALSE(e.linea.empty()) << d.nome << ": the nearest sources are still written";
    bool trovato = false;
    for (const auto& x : e.diagnostiche) {
      EXPECT_EQ(x.severity, Severity::kWarning) << d.nome;
      trovato = trovato || x.message.find(d.atteso) != std::string::npos;
    }
    EXPECT_TRUE(trovato) << d.nome << ": no warning names \"" << d.atteso << "\"\n"
                         << list_diagnostics(e.diagnostiche);
  }
}

// Rows that cover what an earlier row placed compile cleanly, but one row per
// object cannot give them back: the decompile names the cell and claims no
// round trip, and the property leaves such sources out.
struct Covering {
  const char* nome;
  const char* linea;
  const char* servizio;
  const char* atteso;
};

const Covering kCoverings[] = {
    {"a tunnel over another tunnel's markers", "montagna, 3100, 3300, 11\r\nmontagna, 1300, 6400, 1\r\n", "",
     "tunnel markers out of step with the tunnel from 1300 m"},
    {"tunnels of two kinds side by side, apart only by a row that marks nothing",
     "montagna, 1000, 2000, 1\r\nmontagna, 5000, 10, 0\r\nmontagna, 2000, 3000, 2\r\n", "",
     "cell 40: a tunnel of kind 2 that starts 0 m after the previous one ends"},
    {"a stop point over a signal", "",
     "segnale, 3000, 1, 1,2,3, 0, 1, 1,2,3, 0\r\n"
     "stazione, 2900, 4, 400, 0, 0, 0, 0,0,0, 0,0,0, 0, 7, 0, 0, A\r\n",
     "cell 61: a station's stop point over the values of an earlier object"},
    {"a stop point over a slow-down's warning board", "",
     "rallentamento, 4500, 85, 450, 0, 0, 0\r\n"
     "stazione, 3200, 4, 400, 0, 0, 0, 0,0,0, 0,0,0, 0, 7, 0, 0, A\r\n",
     "cell 67: a station's stop point over the warning board or an advance mark of the slow-down at 4500 m"},
    {"a stop point over one of a slow-down's advance marks", "",
     "rallentamento, 4500, 85, 450, 0, 1, 0\r\n"
     "stazione, 3150, 4, 400, 0, 0, 0, 0,0,0, 0,0,0, 0, 7, 0, 0, A\r\n",
     "cell 66: a station's stop point over the warning board or an advance mark of the slow-down at 4500 m"},
    {"a stop point over a text board", "cartello_indicatore, 3000, (X)\r\n",
     "stazione, 2900, 4, 400, 0, 0, 0, 0,0,0, 0,0,0, 0, 7, 0, 0, A\r\n",
     "row 80: a board text that no text board names"},
};

TEST(Decompile, RowsThatCoverEachOtherAreNamedNotWrittenBack) {
  for (const Covering& k : kCoverings) {
    const std::string linea =
        std::string("[generale]\r\nlunghezza percorso, 20000\r\n[liste]\r\n") + k.linea + "[fine]\r\n";
    const std::string servizio = std::string("[generale]\r\nvelocita, 0, 100\r\n") + k.servizio + "[fine]\r\n";
    const auto c = compile_in_memory(linea, servizio, kLinea, kTreno, true);
    ASSERT_TRUE(c.faults.empty()) << k.nome << ": " << c.faults[0];
    const auto e = decompile(c.file, kLinea, kTreno);
    EXPECT_FALSE(e.round_trip) << k.nome;
    bool nominato = false;
    for (const auto& d : e.diagnostiche) {
      nominato = nominato || (d.code == "decompile-unsupported" && d.message.find(k.atteso) != std::string::npos);
    }
    EXPECT_TRUE(nominato) << k.nome << "\n" << list_diagnostics(e.diagnostiche);
    EXPECT_EQ(roundtrip::check_round_trip(linea, servizio, true), "") << k.nome;
  }
}

TEST(Decompile, FilesThatDoNotFitTheLayoutAreRefusedWithTheOffset) {
  const SourceTexts src = embedded_sources();
  binary_files f = compile_in_memory(src.linea, src.treno, kLinea, kTreno, false).file;
  f.sim.resize(100);
  const auto e = decompile(f, kLinea, kTreno);
  EXPECT_FALSE(e.decoded);
  EXPECT_FALSE(e.round_trip);
  ASSERT_FALSE(e.diagnostiche.empty());
  EXPECT_EQ(e.diagnostiche[0].severity, Severity::kError);
  EXPECT_NE(e.diagnostiche[0].message.find("at byte"), std::string::npos);
}

TEST(Decompile, PropertyHoldsForCleanSourcesAndIsSilentForFaultyOnes) {
  const SourceTexts src = embedded_sources();
  EXPECT_EQ(roundtrip::check_round_trip(src.linea, src.treno, true), "");
  // A compile with faults makes no claim either way.
  EXPECT_EQ(roundtrip::check_round_trip("[generale]\r\n", src.treno, true), "");
}

// The command: files on disk, status, messages, and the written sources
// compiled again by the compile command.
class DecompileCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    const SourceTexts src = embedded_sources();
    write_file(bin.file(nomi::linea_txt(kLinea)), src.linea);
    write_file(bin.file(nomi::treno_txt(kLinea, kTreno)), src.treno);
  }
  ProcessResult compila(const std::string& dir, const std::string& out, bool with_plan) {
    std::vector<std::string> a{"compile", "--dir", dir, "--line", kLinea, "--train", kTreno, "--out", out};
    if (!with_plan) a.push_back("--no-track-plan");
    return run_program("scenario-tool", a);
  }
  ProcessResult decompila_in(const std::string& out) {
    return run_program("scenario-tool",
                       {"decompile", "--dir", bin.path(), "--line", kLinea, "--train", kTreno, "--out", out});
  }
  TempDir bin, src, rifatto;
};

TEST_F(DecompileCommand, WritesSourcesThatCompileToTheSameFiles) {
  for (bool with_plan : {true, false}) {
    ASSERT_EQ(compila(bin.path(), bin.path(), with_plan).status, 0);
    if (!with_plan) std::remove(bin.file(nomi::linea_dat(kLinea)).c_str());
    const auto r = decompila_in(src.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("round trip checked"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("no-track-plan") != std::string::npos, !with_plan) << r.err;
    ASSERT_EQ(compila(src.path(), rifatto.path(), with_plan).status, 0);
    for (const std::string& n : {nomi::sim(kLinea, kTreno), nomi::dat(kLinea, kTreno)}) {
      EXPECT_TRUE(read_file(rifatto.file(n)) == read_file(bin.file(n))) << n;
    }
    if (with_plan) {
      EXPECT_TRUE(read_file(rifatto.file(nomi::linea_dat(kLinea))) ==
                  read_file(bin.file(nomi::linea_dat(kLinea))));
    }
  }
}

TEST_F(DecompileCommand, HandEditedFileIsNamedAndTheStatusSaysSo) {
  ASSERT_EQ(compila(bin.path(), bin.path(), true).status, 0);
  std::string dat = read_file(bin.file(nomi::dat(kLinea, kTreno)));
  dat[602 * layout::dat_cella] = 9;
  write_file(bin.file(nomi::dat(kLinea, kTreno)), dat);
  const auto r = decompila_in(src.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.find("round trip checked"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("warning: cell 602 (km 15+900, 30100 m) cannot be produced"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("[decompile-mismatch]"), std::string::npos);
  EXPECT_NE(r.err.find("do NOT compile to the same bytes"), std::string::npos);
  EXPECT_TRUE(file_exists(src.file(nomi::linea_txt(kLinea))));
}

TEST_F(DecompileCommand, MissingFilesAndBadUsage) {
  EXPECT_EQ(decompila_in(src.path()).status, 3);
  EXPECT_EQ(run_program("scenario-tool", {"decompile", "--dir", bin.path()}).status, 64);
}

}  // namespace
}  // namespace scenario::testing
