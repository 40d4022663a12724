#include "compiler/service_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/reader_fixture.h"
#include "support/faults_seen.h"

namespace scenario::testing {
namespace {

template <class... A>
std::vector<int> valori(A... a) {
  return {static_cast<int>(a)...};
}

// Route of 3000 m: P = 200.
constexpr int kP = 200;
const std::string kLinea = linea(3000);

TEST(ServiceReader, SpeedRowsFillTheCellsBeforeThem) {
  const auto r = read_sources(kLinea, treno({"velocita,   0,    30", "velocita,     800,   110"}));
  ASSERT_EQ(r->s.numero_errore, 0);
  const auto& p = r->s.percorso;
  for (int c = 0; c <= 15; ++c) ASSERT_EQ(p[c].velocita, 6) << c;
  for (int c = 16; c <= kP - 3; ++c) ASSERT_EQ(p[c].velocita, 22) << c;
  for (int c = kP - 2; c <= kP; ++c) EXPECT_EQ(p[c].velocita, 0) << "the last three cells";
}

TEST(ServiceReader, ProfileRowBehindTheFillIndexStillFillsOneCell) {
  const auto r = read_sources(kLinea, treno({"velocita, 0, 30", "velocita, 800, 50", "velocita, 500, 70",
                                             "aderenza, 0, 100", "aderenza, 500, 300", "aderenza, 100, 20"}));
  ASSERT_EQ(r->s.numero_errore, 0);
  const auto& p = r->s.percorso;
  EXPECT_EQ(p[15].velocita, 6);
  EXPECT_EQ(p[16].velocita, 10);
  EXPECT_EQ(p[17].velocita, 14);
  EXPECT_EQ(p[9].aderenza, 100);
  // Adhesion keeps the low 8 bits: 300 is stored as 44.
  EXPECT_EQ(p[10].aderenza, 44);
  EXPECT_EQ(p[11].aderenza, 20);
  EXPECT_EQ(p[kP - 3].aderenza, 20);
  EXPECT_EQ(p[kP - 2].aderenza, 0);
}

TEST(ServiceReader, TrainRowsAndClock) {
  const auto r = read_sources(kLinea, treno({"numero vetture,    7", "percentuale massa frenata,    125",
                                             "sabbia,    3", "orologio,    6               30            30 "}));
  ASSERT_EQ(r->s.numero_errore, 0);
  const auto& t = r->s.tabella_sim;
  EXPECT_EQ(t[riga_treno].progressiva, 7);
  EXPECT_EQ(t[riga_treno].inizio, 125);
  EXPECT_EQ(t[riga_ripetizione].i1, 3);
  EXPECT_EQ(valori(t[86].i3, t[86].i4, t[86].i5), (std::vector<int>{6, 30, 30}));
}

TEST(ServiceReader, KeywordNeedsAllItsWords) {
  // "percentuale massa" reads no value: "125" is then a keyword field.
  const auto r = read_sources(kLinea, treno({"percentuale massa, 125", "Numero VETTURE, 4"}));
  ASSERT_EQ(r->s.numero_errore, 0);
  EXPECT_EQ(r->s.tabella_sim[riga_treno].inizio, 0);
  EXPECT_EQ(r->s.tabella_sim[riga_treno].progressiva, 4);
}

TEST(ServiceReader, WithoutGeneralNothingIsInterpretedButTheFillsRun) {
  const auto r = read_sources(kLinea, "velocita, 0, 50\r\nvelocita, 100, 60\r\n[fine]\r\n");
  EXPECT_EQ(r->s.numero_errore, 0);
  EXPECT_EQ(r->s.percorso[0].velocita, 0);
  EXPECT_EQ(r->s.percorso[kP - 3].velocita, 0);
  EXPECT_FALSE(r->service_present());
}

TEST(ServiceReader, LastFieldIsNotInterpreted) {
  const auto r = read_sources(kLinea, "[generale]\r\nsabbia, 2\r\nsabbia");
  EXPECT_EQ(r->s.numero_errore, 0);
  EXPECT_EQ(r->s.tabella_sim[riga_ripetizione].i1, 2);
}

TEST(ServiceReader, StationRowFieldsInTheirOrder) {
  const auto r = read_sources(kLinea, treno({"stazione, 200, 4, 800, 11, 12, 1, 14, 15, 16, 17, 18, 19, 20, 7, 4, 5, VALDRESSA",
                                             "stazione, 1500, 4, 600, 21, 22, 1, 24, 25, 26, 27, 28, 29, 30, 8, 0, 0, \"BORGO, EST\""}));
  ASSERT_EQ(r->s.numero_errore, 0);
  const record_sim& a = r->s.tabella_sim[1];
  EXPECT_EQ(a.tipo, 4);
  EXPECT_EQ(a.progressiva, 200);
  EXPECT_EQ(a.b1, 11);
  EXPECT_EQ(valori(a.i1, a.i2, a.i3, a.i4, a.i5),
            (std::vector<int>{14, 15, 17, 18, 19}));
  EXPECT_EQ(valori(a.b2, a.b3), (std::vector<int>{16, 20}));
  EXPECT_EQ(a.orario, 7 * 3600 + 4 * 60 + 5);
  EXPECT_EQ(a.testo, "VALDRESSA");
  // Row 1: b4 and b5 cleared, after the +50 of a non-zero b4 was applied.
  EXPECT_EQ(valori(a.b4, a.b5), (std::vector<int>{0, 0}));
  EXPECT_EQ(a.inizio, -200);
  EXPECT_EQ(a.fine, 650);

  const record_sim& b = r->s.tabella_sim[2];
  EXPECT_EQ(valori(b.b4, b.b5), (std::vector<int>{1, 22}));
  EXPECT_EQ(b.inizio, 1200);
  EXPECT_EQ(b.fine, 1850);
  EXPECT_EQ(b.testo, "BORGO, EST");
  EXPECT_EQ(r->s.percorso[36].tipo, 10);
  EXPECT_EQ(r->s.percorso[36].dato1, 2);
}

TEST(ServiceReader, StationAtTwoHundredMetres) {
  const auto r = read_sources(kLinea, treno({"stazione,   200, 4,  800,  0, 0, 0,  0,0,0,  5,1,1,   60,   7, 4, 0, VALDRESSA"}));
  ASSERT_EQ(r->s.numero_errore, 0);
  const record_sim& a = r->s.tabella_sim[1];
  EXPECT_EQ(a.inizio, -200);
  EXPECT_EQ(a.fine, 600);
  const auto& p = r->s.percorso;
  EXPECT_EQ(p[10].avvicinamento, 81);
  EXPECT_EQ(p[9].avvicinamento, 82);
  EXPECT_EQ(p[8].avvicinamento, 83);
  EXPECT_EQ(p[7].avvicinamento, 84);
  EXPECT_EQ(p[6].avvicinamento, 0);
  EXPECT_EQ(p[11].tipo, 10);
  EXPECT_EQ(p[11].dato1, 1);
}

TEST(ServiceReader, StopPointSetsOnlyTipoAndDato1) {
  // A signal in the stop cell is overwritten; its other fields stay.
  const auto r = read_sources(kLinea, treno({"segnale, 500, 2, 2, 3, 0, 0, 2, 2,1,0, 210",
                                             "stazione, 200, 4, 800, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, A"}));
  ASSERT_EQ(r->s.numero_errore, 0);
  const cella& c = r->s.percorso[11];
  EXPECT_EQ(c.tipo, 10);
  EXPECT_EQ(c.dato1, 1);
  EXPECT_EQ(c.dato2, 31);
  EXPECT_EQ(c.dato4, 8);
  EXPECT_EQ(c.tempo, 210);
}

struct area_case {
  const char* nome;
  int tipo;
  int lunghezza;
  int32_t inizio;
  int32_t fine;
  int cella_arresto;  // -1: none
  bool segni;         // approach marks before the stop cell
};

class StopArea : public ::testing::TestWithParam<area_case> {};

TEST_P(StopArea, DependsOnTheStationType) {
  const auto& c = GetParam();
  // The second station: row 1 clears b4, here b4 = 1 is kept for the types it applies to.
  const std::string riga = "stazione, 2000, " + std::to_string(c.tipo) + ", " +
                           std::to_string(c.lunghezza) + ", 0, 0, 1, 0,0,0, 0,0,0, 0, 0,0,0, X";
  const auto r = read_sources(kLinea, treno({"stazione, 200, 30, 200, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, A", riga}));
  ASSERT_EQ(r->s.numero_errore, 0);
  const record_sim& s = r->s.tabella_sim[2];
  EXPECT_EQ(s.inizio, c.inizio);
  EXPECT_EQ(s.fine, c.fine);
  int arresti = 0;
  int segni = 0;
  for (int i = 0; i <= kP; ++i) {
    if (r->s.percorso[i].tipo == 10) {
      ++arresti;
      EXPECT_EQ(i, c.cella_arresto);
      EXPECT_EQ(r->s.percorso[i].dato1, 2);
    }
    if (r->s.percorso[i].avvicinamento != 0) ++segni;
  }
  EXPECT_EQ(arresti, c.cella_arresto >= 0 ? 1 : 0);
  EXPECT_EQ(segni, c.segni ? 4 : 0);
  if (c.segni) {
    EXPECT_EQ(r->s.percorso[c.cella_arresto - 1].avvicinamento, 81);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, StopArea,
    ::testing::Values(
        // b4 not 0: 50 m more at the end.
        area_case{"Ordinary", 4, 800, 1600, 2450, 48, true},
        area_case{"Short5", 5, 300, 1700, 2150, 42, false},
        area_case{"Short6", 6, 300, 1700, 2150, 42, false},
        area_case{"Long7", 7, 300, 1700, 2300, 45, true},
        area_case{"Long8", 8, 300, 1700, 2300, 45, true},
        area_case{"Kind24", 24, 400, 1800, 2250, 44, true},
        area_case{"Kind25NoStopPoint", 25, 400, 1800, 2250, -1, false}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(ServiceReader, StationSpacingOf350Passes) {
  const std::string prima = "stazione, 200, 30, 200, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, A";
  // Row 1 ends at 300; this one starts at 650.
  const auto ok = read_sources(kLinea, treno({prima, "stazione, 750, 30, 200, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, B"}));
  EXPECT_EQ(ok->s.numero_errore, 0);
  const auto vicina = read_sources(kLinea, treno({prima, "stazione, 700, 30, 200, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, B"}));
  EXPECT_EQ(vicina->s.numero_errore, 22);
  EXPECT_EQ(vicina->s.posizione_errore, 700);
}

TEST(ServiceReader, AbbattimentoRowsPlaceBoards) {
  const auto r = read_sources(kLinea, treno({"abbattimento, 1000, 60", "abbattimento, 1125, 0",
                                             "abbattimento, 1300, 70000"}));
  ASSERT_EQ(r->s.numero_errore, 0);
  const auto& p = r->s.percorso;
  EXPECT_EQ(valori(p[20].tipo, p[20].dato1), (std::vector<int>{12, 60}));
  // 1125 / 50 = 22.5 rounds to 22, without the +1 of the recorders.
  EXPECT_EQ(valori(p[22].tipo, p[22].dato1), (std::vector<int>{13, 0}));
  // The speed keeps its low 16 bits.
  EXPECT_EQ(p[26].dato1, static_cast<int16_t>(70000 & 0xffff));
}

TEST(ServiceReader, HandsSignalsAndSlowDownsToTheRecorders) {
  const auto r = read_sources(linea(88000), treno({"segnale,   42500,   2, 2, 3,  0, 0,    2,  2,1,0, 210",
                                                   "rallentamento,   49900,    40,  300, 0,  1,  40"}));
  ASSERT_EQ(r->s.numero_errore, 0);
  const auto& p = r->s.percorso;
  EXPECT_EQ(p[851].tipo, 1);
  EXPECT_EQ(valori(p[851].dato1, p[851].dato2, p[851].dato3, p[851].dato4),
            (std::vector<int>{22, 31, 0, 8}));
  EXPECT_EQ(p[851].tempo, 210);
  EXPECT_EQ(p[849].avvicinamento, 81);
  EXPECT_EQ(p[843].avvicinamento, 84);
  EXPECT_EQ(p[999].tipo, 3);
  EXPECT_EQ(p[1005].tipo, 2);
  EXPECT_EQ(p[975].tipo, 4);
  EXPECT_EQ(p[974].tipo, 5);
  EXPECT_EQ(p[971].dato1, 4);
}

struct measure_case {
  const char* nome;
  std::string riga;
  bool accettata;
};

class FieldSizes : public ::testing::TestWithParam<measure_case> {};

TEST_P(FieldSizes, ValuesMustFitTheirFields) {
  const auto r = read_sources(kLinea, treno({GetParam().riga, "velocita, 100, 0"}));
  EXPECT_EQ(r->s.numero_errore, GetParam().accettata ? 0 : 25);
  if (!GetParam().accettata) {
    ASSERT_EQ(faults_of(r->s).size(), 1u);
    EXPECT_EQ(faults_of(r->s)[0].file, kServiceFile);
    EXPECT_EQ(faults_of(r->s)[0].line, 2);
    EXPECT_FALSE(r->service_present());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldSizes,
    ::testing::Values(
        // velocita = near(speed / 5) must lie in 0 .. 255: the next row's fill converts it.
        measure_case{"Speed1277", "velocita, 0, 1277", true},
        measure_case{"Speed1278", "velocita, 0, 1278", false},
        measure_case{"SpeedMinus2", "velocita, 0, -2", true},
        measure_case{"SpeedMinus3", "velocita, 0, -3", false},
        measure_case{"Sand32767", "sabbia, 32767", true},
        measure_case{"Sand32768", "sabbia, 32768", false},
        measure_case{"SandMinus32768", "sabbia, -32768", true},
        measure_case{"Clock", "orologio, 6, 30, 70000", false},
        measure_case{"StationByte255", "stazione, 200, 30, 200, 255, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, A", true},
        measure_case{"StationByte256", "stazione, 200, 30, 200, 256, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, A", false},
        measure_case{"StationKindNegative", "stazione, 200, -1, 200, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, A", false},
        measure_case{"Station16Bit", "stazione, 200, 30, 200, 0, 0, 0, 40000,0,0, 0,0,0, 0, 0,0,0, A", false},
        measure_case{"AdhesionKeepsLowBits", "aderenza, 0, 70000", true},
        measure_case{"NotANumber", "sabbia, 1.5", false}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(ServiceReader, SpeedThatDoesNotFitFailsInTheEndFill) {
  const auto r = read_sources(kLinea, treno({"velocita, 0, 30", "velocita, 100, 2000", "sabbia, 4"}));
  EXPECT_EQ(r->s.numero_errore, 25);
  ASSERT_EQ(faults_of(r->s).size(), 1u);
  // Charged to the row that set the speed.
  EXPECT_EQ(faults_of(r->s)[0].line, 3);
  EXPECT_EQ(r->s.tabella_sim[riga_ripetizione].i1, 4);
  EXPECT_EQ(r->s.percorso[1].velocita, 6);
  EXPECT_EQ(r->s.percorso[2].velocita, 0);
}

}  // namespace
}  // namespace scenario::testing
