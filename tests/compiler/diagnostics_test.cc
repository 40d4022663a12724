// What an author is told: one table of source rows and the diagnostics
// they give (severity, code, place, a fragment of the message and the place
// of a related note), read as the compile reads, with the rules applied.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "compiler/derivation.h"
#include "compiler/reader_fixture.h"
#include "model/file_names.h"
#include "run/compile.h"
#include "scenario/line_description.h"
#include "scenario/service_description.h"

namespace scenario::testing {
namespace {

struct expected_diagnostic {
  Severity severity;
  const char* code;
  char file;  // 'L' line description, 'T' service description
  int line;
  int column;
  const char* fragment;
  int note_line = 0;  // line of the related note in the same file; 0: none
};

struct diagnostic_case {
  const char* nome;
  std::optional<std::string> linea;
  std::optional<std::string> treno;
  std::vector<expected_diagnostic> expected;
};

void PrintTo(const diagnostic_case& c, std::ostream* os) { *os << c.nome; }

constexpr Severity W = Severity::kWarning;
constexpr Severity E = Severity::kError;

const std::string kLinea = linea(3000);
const std::string kTreno = treno({"velocita, 0, 50"});
// A station at 1000 m of kind 4 and length 800: stop area 600 .. 1400 m, stop
// point in cell 27.
std::string stazione(const std::string& nome) {
  return "stazione, 1000, 4, 800, 0, 0, 0, 0,0,0, 0,0,0, 0, 7,0,0, " + nome;
}
std::string indicatore(int posizione) {
  return "indicatori_vmax, " + std::to_string(posizione) + ", 90, 95, 95, 2, , , , 0";
}
std::string segnale(int posizione) { return "segnale, " + std::to_string(posizione) + ", 0,0,0,0,0,0,0,0,0,0"; }

std::vector<diagnostic_case> diagnostic_cases() {
  return {
      // Warnings.
      {"MisspeltListKeyword", linea(3000, {"pendanza, 700, 3"}), kTreno,
       {{W, "unknown-keyword", 'L', 4, 1, "did you mean 'pendenza'?"}}},
      {"MisspeltServiceKeyword", kLinea, treno({"stazone, 1000, 4"}),
       {{W, "unknown-keyword", 'T', 2, 1, "did you mean 'stazione'?"}}},
      {"UnknownWordWithoutNeighbour", kLinea, treno({"zzzz"}),
       {{W, "unknown-keyword", 'T', 2, 1, "'zzzz' matches no keyword of the service description"}}},
      {"DecimalComma", kLinea, treno({"velocita, 0, 12,5"}),
       {{W, "leftover-values", 'T', 2, 17, "decimal comma"}}},
      {"UnquotedCommaInAName", kLinea, treno({stazione("SAN, MARCO")}),
       {{W, "leftover-values", 'T', 2, 63, "'MARCO' is read as the next keyword (a text with a comma must"}}},
      {"NoGeneralSection", kLinea, righe({"velocita, 0, 30", "[fine]"}),
       {{W, "no-general-section", 'T', 0, 0, "no \"[generale]\" field"}}},
      {"ListsNeverStart", righe({"[generale]", "lunghezza percorso, 3000", "curvad4, 100, 50", "pendenza, 0, 0"}),
       kTreno, {{W, "lists-never-start", 'L', 3, 1, "'curvad4' and every list entry after it are passed over"}}},
      {"ListEntryInAClosedGeneralSection",
       righe({"[generale]", "lunghezza percorso, 3000", "pendenza, 0, 0", "[curve]", "[fine]"}), kTreno,
       {{W, "unknown-keyword", 'L', 3, 1, "'pendenza' is a list entry, but it stands in the general section"}}},
      {"GradientBackwards", linea(3000, {"pendenza, 2000, 1", "pendenza, 700, 2"}), kTreno,
       {{W, "position-backwards", 'L', 5, 1, "a gradient row at 700 m comes after one at 2000 m", 4}}},
      {"SpeedBackwards", kLinea, treno({"velocita, 2000, 50", "velocita, 700, 60"}),
       {{W, "position-backwards", 'T', 3, 1, "a speed row at 700 m comes after one at 2000 m", 2}}},
      {"AdhesionBackwards", kLinea, treno({"aderenza, 2000, 50", "aderenza, 700, 60"}),
       {{W, "position-backwards", 'T', 3, 1, "an adhesion row at 700 m", 2}}},
      {"CurveBeforeThePreviousEnds", linea(3000, {"curvad4, 1000, 200", "curvas4, 1100, 50"}), kTreno,
       {{W, "position-backwards", 'L', 5, 1, "starts before the previous curve ends at 1200 m", 4}}},
      {"TunnelEndFirst", linea(3000, {"montagna, 2000, 1000, 11"}), kTreno,
       {{W, "tunnel-reversed", 'L', 4, 1, "a tunnel from 2000 m to 1000 m: its end is not after its start"}}},
      {"Utf8Name", kLinea, treno({stazione("CITT\xC3\x80")}),
       {{W, "utf8-text", 'T', 2, 1, "is written in UTF-8"}}},
      // The station's approach marks 82 and 84 fall on the signal's 1 and 2.
      {"StopPointOverASignal", kLinea, treno({segnale(1300), stazione("PRIMA")}),
       {{W, "overwritten-object", 'T', 3, 1, "approach mark 82 replaces the approach mark 1 already in cell 25"},
        {W, "overwritten-object", 'T', 3, 1, "approach mark 84 replaces the approach mark 2 already in cell 23"},
        {W, "overwritten-object", 'T', 3, 1, "the station's stop point replaces the signal in cell 27", 2}}},
      {"ApproachMarkOverAnother", kLinea, treno({segnale(2000), "segnale, 2100, 1,0,0,0,0,0,0,0,0,0"}),
       {{W, "overwritten-object", 'T', 3, 1, "replaces the approach mark 1 already in cell 39"},
        {W, "overwritten-object", 'T', 3, 1, "replaces the approach mark 2 already in cell 37"},
        {W, "overwritten-object", 'T', 3, 1, "replaces the approach mark 3 already in cell 35"}}},
      {"KeywordInUpperCase",
       righe({"[generale]", "lunghezza percorso, 3000", "PROGRESSIVA CHILOMETRICA UNO, 0, 46000, 1", "[x]", "[fine]"}),
       kTreno, {{W, "keyword-case", 'L', 3, 1, "is read only in lower case"}}},
      // Errors of the reading: which value, and why.
      {"NotAWholeNumber", linea(3000, {"pendenza, 1x, 0"}), kTreno,
       {{E, "E25", 'L', 4, 11, "'1x' in the row 'pendenza' is not a whole number"}}},
      {"TooLargeForA16BitField", kLinea, treno({"sabbia, 40000"}),
       {{E, "E25", 'T', 2, 9, "'40000' in the row 'sabbia' is too large for its field (-32768 to 32767)"}}},
      {"TooSmallForAByte", kLinea, treno({"stazione, 1000, -1"}),
       {{E, "E25", 'T', 2, 17, "'-1' in the row 'stazione' is too small for its field (0 to 255)"}}},
      {"TooLargeFor32Bits", kLinea, treno({"velocita, 99999999999, 3"}),
       {{E, "E25", 'T', 2, 11, "is too large for its field (-2147483648 to 2147483647)"}}},
      {"RowCutShortByTheEndOfTheFile", kLinea, "[generale]\r\nsegnale, 100, 2\r\n",
       {{E, "E25", 'T', 2, 1, "the row 'segnale' is cut short by the end of the file"}}},
      {"MissingServiceFile", kLinea, std::nullopt, {{E, "E25", 'T', 0, 0, "d/L_T-.txt does not exist"}}},
      {"EmptyServiceFile", kLinea, "", {{E, "E25", 'T', 1, 0, "d/L_T-.txt is empty"}}},
      {"NegativePosition", linea(3000, {"pendenza, -100, 0"}), kTreno,
       {{E, "E25", 'L', 4, 1, "position -100 m: position is negative"}}},
      {"NoRouteLength", righe({"[generale]", "sfondo uno, 1", "[x]", "[fine]"}), kTreno,
       {{E, "E25", 'L', 0, 0, "no route length"}}},
      // A route length too large says so once, without "no route length".
      {"RouteLengthTooLarge", linea(1000001), kTreno,
       {{E, "E1", 'L', 2, 1, "route length 1000001 m is above the largest, 1000000 m"}}},
      {"MissingLineFile", std::nullopt, kTreno, {{E, "E101", 'L', 0, 0, "d/L_linea.txt does not exist"}}},
      {"NoGeneraleInTheLineFile", righe({"a, b", "[fine]"}), kTreno,
       {{E, "E102", 'L', 0, 0, "no \"[generale]\" field"}}},
      {"RepetitionWithoutCodes",
       righe({"[generale]", "lunghezza percorso, 3000", "ripetizione segnali, 0, 50", "[x]"}), kTreno,
       {{E, "E5", 'L', 3, 1, "names neither 4 nor 9 codes"}}},
      {"BeyondTheRoute", kLinea, treno({"velocita, 9950, 50"}),
       {{E, "E15", 'T', 2, 1, "position 9950 m of the row 'velocita' lies beyond the end of the route (at most "
                             "9900 m here)"}}},
      // Occupied cells name the holder and where it was written.
      {"IndicatorOnATextBoard", linea(3000, {"cartello_indicatore, 1700, (X)",
                                             "indicatori_vmax, 1700, 90, 95, 95, 2, , , , 0"}),
       kTreno, {{E, "E21", 'L', 5, 1, "cell 35 (metres 1750 to 1799) already holds a text board", 4}}},
      {"TextBoardOnAnIndicator", linea(3000, {"indicatori_vmax, 1700, 90, 95, 95, 2, , , , 0",
                                              "cartello_indicatore, 1700, (X)"}),
       kTreno, {{E, "E6", 'L', 5, 1, "cell 35 already holds a maximum-speed indicator board", 4}}},
      {"SignalOnAStopPoint", kLinea, treno({stazione("PRIMA"), segnale(1300)}),
       {{E, "E16", 'T', 3, 1, "a signal at 1300 m: signal on an occupied cell; cell 27", 2}}},
      {"SlowDownStartOnASignal", kLinea, treno({segnale(2000), "rallentamento, 2000, 40, 300, 0, 0, 40"}),
       {{E, "E18", 'T', 3, 1, "already holds a signal", 2}}},
      // A fault of the rules is told once, at the row whose object caused it.
      {"AllThreeWindowsFull",
       linea(3000, {indicatore(1200), indicatore(1150), indicatore(1100), indicatore(900), indicatore(850),
                    indicatore(800), indicatore(550), indicatore(500), indicatore(450)}),
       treno({"rallentamento, 1450, 120, 50, 0, 0, 0"}),
       {{E, "E12", 'T', 2, 1, "in cells 23 to 25, in front of the slow-down at 1450 m (cell 30, metres 1500 "
                             "to 1549)"}}},
  };
}

class Diagnostics : public ::testing::TestWithParam<diagnostic_case> {};

TEST_P(Diagnostics, RowsGiveTheseDiagnostics) {
  const diagnostic_case& c = GetParam();
  MemoryFileSystem fs;
  if (c.linea) fs.files[kLineFile] = *c.linea;
  if (c.treno) fs.files[kServiceFile] = *c.treno;
  stato_compilazione s;
  s.nome_linea = "L";
  s.nome_treno = "T";
  CompileOptions opzioni;
  opzioni.source_folder = kFolder;
  opzioni.output_folder = "out";
  memorizza_percorso(s, con_matrice_linea, fs, opzioni);

  std::string listing;
  for (const Diagnostic& d : s.diagnostiche) listing += format_diagnostic(d) + "\n";
  ASSERT_EQ(s.diagnostiche.size(), c.expected.size()) << listing;
  for (size_t i = 0; i < c.expected.size(); ++i) {
    const expected_diagnostic& a = c.expected[i];
    const Diagnostic& d = s.diagnostiche[i];
    const std::string file = a.file == 'L' ? kLineFile : kServiceFile;
    EXPECT_EQ(d.severity, a.severity) << i << "\n" << listing;
    EXPECT_EQ(d.code, a.code) << i;
    EXPECT_EQ(d.where.file, file) << i;
    EXPECT_EQ(d.where.line, a.line) << i << "\n" << listing;
    EXPECT_EQ(d.where.column, a.column) << i << "\n" << listing;
    EXPECT_NE(d.message.find(a.fragment), std::string::npos) << d.message;
    if (a.note_line == 0) {
      EXPECT_TRUE(d.related.empty()) << i;
    } else {
      ASSERT_EQ(d.related.size(), 1u) << i << "\n" << listing;
      EXPECT_EQ(d.related[0].where.file, file);
      EXPECT_EQ(d.related[0].where.line, a.note_line);
    }
    // A fault number goes with every error of the compile and never with a
    // warning.
    EXPECT_EQ(d.fault_number.has_value(), a.severity == E) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, Diagnostics, ::testing::ValuesIn(diagnostic_cases()),
                         [](const auto& info) { return std::string(info.param.nome); });

TEST(Diagnostics, WarningsChangeNoByteAndNoFaultNumber) {
  // The same scenario with and without its warnings' causes compiles to the
  // same bytes: a misspelt row is passed over exactly as before.
  auto compile_service = [](const std::string& service_text) {
    MemoryFileSystem fs;
    fs.files[kLineFile] = linea(3000, {"pendenza, 0, 1"});
    fs.files[kServiceFile] = service_text;
    stato_compilazione s;
    s.nome_linea = "L";
    s.nome_treno = "T";
    CompileOptions opzioni;
    opzioni.source_folder = kFolder;
    opzioni.output_folder = "out";
    memorizza_percorso(s, con_matrice_linea, fs, opzioni);
    EXPECT_EQ(s.numero_errore, 0);
    return std::make_pair(fs.files, s.diagnostiche.size());
  };
  const auto [pulito, nessuna] = compile_service(treno({"velocita, 0, 50"}));
  const auto [con_avvisi, alcune] = compile_service(treno({"velocita, 0, 50", "velocia, 900, 60", "zzz"}));
  EXPECT_EQ(nessuna, 0u);
  EXPECT_EQ(alcune, 2u);
  for (const char* nome : {"out/L_T.sim", "out/L_T.dat", "out/L_linea.dat"}) {
    ASSERT_EQ(pulito.count(nome), 1u) << nome;
    EXPECT_TRUE(pulito.at(nome) == con_avvisi.at(nome)) << nome;
  }
}

TEST(Diagnostics, TheEmbeddedScenarioDrawsNone) {
  MemoryFileSystem fs;
  ASSERT_FALSE(dati_linea(fs, kFolder, "L", "T"));
  ASSERT_FALSE(dati_treno(fs, kFolder, "L", "T"));
  stato_compilazione s;
  s.nome_linea = "L";
  s.nome_treno = "T";
  CompileOptions opzioni;
  opzioni.source_folder = kFolder;
  opzioni.output_folder = "out";
  const CompileOutcome esito = memorizza_percorso(s, con_matrice_linea, fs, opzioni);
  EXPECT_EQ(esito.written.size(), 3u);
  std::string listing;
  for (const Diagnostic& d : s.diagnostiche) listing += format_diagnostic(d) + "\n";
  EXPECT_TRUE(s.diagnostiche.empty()) << listing;
}

TEST(Diagnostics, AFileOfBadRowsIsReportedInPart) {
  // 300 unknown rows in a compile, 300 unreadable ones in a check: the
  // report stops with a note, and a huge file cannot fill the memory.
  std::string ignote = "[generale]\r\n";
  std::string illeggibili = "[generale]\r\n";
  for (int i = 0; i < 300; ++i) {
    ignote += "nota " + std::to_string(i) + "\r\n";
    illeggibili += "sabbia, x" + std::to_string(i) + "\r\n";
  }
  struct diagnostic_case {
    const std::string& treno;
    bool verifica;
    size_t avvisi, errori;
  };
  for (const diagnostic_case& k : {diagnostic_case{ignote, false, 50, 0}, diagnostic_case{illeggibili, true, 0, 200}}) {
    MemoryFileSystem fs;
    fs.files[kLineFile] = kLinea;
    fs.files[kServiceFile] = k.treno + "[fine]\r\n";
    stato_compilazione s;
    s.nome_linea = "L";
    s.nome_treno = "T";
    if (k.verifica) {
      check_sources(s, con_matrice_linea, fs, kFolder, {});
    } else {
      CompileOptions opzioni;
      opzioni.source_folder = kFolder;
      opzioni.output_folder = "out";
      memorizza_percorso(s, con_matrice_linea, fs, opzioni);
    }
    size_t avvisi = 0, errori = 0;
    for (const Diagnostic& d : s.diagnostiche) {
      avvisi += d.severity == Severity::kWarning;
      errori += d.severity == Severity::kError;
    }
    EXPECT_EQ(avvisi, k.avvisi);
    EXPECT_EQ(errori, k.errori);
    ASSERT_FALSE(s.diagnostiche.empty());
    EXPECT_EQ(s.diagnostiche.back().severity, Severity::kNote);
    EXPECT_NE(s.diagnostiche.back().message.find("are not reported"), std::string::npos);
  }
}

TEST(Diagnostics, EveryPlacedObjectAndTableRowKnowsItsRow) {
  const auto r = read_sources(linea(3000, {"cartello_indicatore, 2500, (A)"}),
                              treno({"rallentamento, 1450, 120, 50, 0, 0, 0", stazione("PRIMA"), "sabbia, 3"}), false);
  ASSERT_EQ(r->s.numero_errore, 0);
  stato_compilazione& s = r->s;
  ASSERT_EQ(s.origine_cella.size(), s.percorso.size());
  deriva_percorso(s);
  struct expected_origin {
    size_t cella;
    uint8_t tipo;
    const std::string& file;
    int line;
  };
  for (const expected_origin& o : {expected_origin{51, oggetto::cartello_indicatore, kLineFile, 4},
                                  {30, oggetto::inizio_rallentamento, kServiceFile, 2},
                                  {31, oggetto::fine_rallentamento, kServiceFile, 2},
                                  // The three boards the rules place in front of it.
                                  {25, oggetto::cartello_velocita, kServiceFile, 2},
                                  {19, oggetto::cartello_velocita, kServiceFile, 2},
                                  {12, oggetto::cartello_velocita, kServiceFile, 2},
                                  {27, oggetto::arresto_stazione, kServiceFile, 3}}) {
    EXPECT_EQ(s.percorso[o.cella].tipo, o.tipo) << o.cella;
    EXPECT_EQ(s.luogo_origine(o.cella).file, o.file) << o.cella;
    EXPECT_EQ(s.luogo_origine(o.cella).line, o.line) << o.cella;
  }
  EXPECT_EQ(s.luogo_origine(40).file, "") << "an empty cell has no origin";
  EXPECT_EQ(s.origine_riga[riga_primo_testo].line, 4);
  EXPECT_EQ(s.origine_riga[riga_prima_stazione].line, 3);
  EXPECT_EQ(s.origine_riga[riga_ripetizione].line, 4);
  EXPECT_EQ(s.origine_riga[riga_treno].line, 2) << "the route length";
  EXPECT_EQ(s.origine_riga[riga_treno].file, kLineFile);
}

TEST(Diagnostics, ChainageRowsKeepTheirOriginThroughTheSort) {
  const auto r = read_sources(righe({"[generale]", "lunghezza percorso, 3000", "progressiva chilometrica uno, 0, 46000, 1",
                                     "progressiva chilometrica tre, 1000, 0, 0", "progressiva chilometrica due, 2000, 0, 0",
                                     "[x]", "[fine]"}),
                              kTreno, false);
  ASSERT_EQ(r->s.numero_errore, 0);
  // Sorted by decreasing start: "due" (line 5), "tre" (line 4), "uno" (line 3).
  EXPECT_EQ(r->s.tabella_sim[riga_progressiva_tre].inizio, 2000);
  EXPECT_EQ(r->s.origine_riga[riga_progressiva_tre].line, 5);
  EXPECT_EQ(r->s.origine_riga[riga_progressiva_due].line, 4);
  EXPECT_EQ(r->s.origine_riga[riga_progressiva_uno].line, 3);
}

TEST(Diagnostics, RepetitionRowStoresItsFirstValueBeforeAnUnreadableSecond) {
  const auto r = read_sources(righe({"[generale]", "lunghezza percorso, 3000", "ripetizione segnali 4, 500, 7x", "[x]"}),
                              kTreno, false);
  EXPECT_EQ(r->s.numero_errore, 25);
  EXPECT_EQ(r->s.tabella_sim[riga_ripetizione].inizio, 500);
  EXPECT_EQ(r->s.tabella_sim[riga_ripetizione].fine, 0);
}

}  // namespace
}  // namespace scenario::testing
