#include "compiler/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <string>
#include <vector>

#include "compiler/reader_fixture.h"
#include "support/faults_seen.h"

namespace scenario::testing {
namespace {

// Route of 3000 m: L = 10000, P = 200.
constexpr int kLunghezza = 3000;
constexpr int kP = 200;
constexpr int kL = 10000;

TEST(LineReader, GradientCellsOfAnEightyEightKilometreRoute) {
  const auto r = read_sources(linea(88000, {"pendenza,   0,    0", "pendenza,  45200,   -8",
                                            "pendenza,  46500,   0"}),
                              treno());
  ASSERT_EQ(r->s.numero_errore, 0);
  ASSERT_EQ(r->s.ultima_cella(), 1900);
  const auto& p = r->s.percorso;
  for (int c = 0; c <= 903; ++c) ASSERT_EQ(p[c].pendenza, 100) << c;
  for (int c = 904; c <= 929; ++c) ASSERT_EQ(p[c].pendenza, 92) << c;
  for (int c = 930; c <= 1897; ++c) ASSERT_EQ(p[c].pendenza, 100) << c;
  for (int c = 1898; c <= 1900; ++c) EXPECT_EQ(p[c].pendenza, 0) << "cells P-2 .. P stay 0";
}

struct gradient_case {
  const char* nome;
  std::vector<std::string> rows;
  std::vector<int> prime_celle;  // pendenza of cells 0, 1, 2, ...
  int resto;                     // pendenza of the following cells up to P - 3
};

class GradientRows : public ::testing::TestWithParam<gradient_case> {};

TEST_P(GradientRows, FillTheCellsBeforeEachEntry) {
  std::string testo = righe({"[generale]", "lunghezza percorso, 3000", "[pendenze]"});
  for (const auto& v : GetParam().rows) testo += v + "\r\n";
  testo += "[fine]\r\n";
  const auto r = read_sources(testo, treno());
  ASSERT_EQ(r->s.numero_errore, 0);
  const auto& prime = GetParam().prime_celle;
  for (size_t c = 0; c < prime.size(); ++c) EXPECT_EQ(r->s.percorso[c].pendenza, prime[c]) << c;
  for (int c = static_cast<int>(prime.size()); c <= kP - 3; ++c) {
    ASSERT_EQ(r->s.percorso[c].pendenza, GetParam().resto) << c;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GradientRows,
    ::testing::Values(
        // n = near(20 / 50) = 0: nothing filled; the later gradient covers all.
        gradient_case{"PositionBelowHalfACellFillsNothing", {"pendenza, 0, 5", "pendenza, 20, -3"}, {97}, 97},
        // n = near(75 / 50) = 2.
        gradient_case{"HalvesRoundToEven", {"pendenza, 0, 5", "pendenza, 75, -3"}, {105, 105, 97}, 97},
        gradient_case{"SamePositionStillWritesOneCell",
                      {"pendenza, 0, 1", "pendenza, 100, 2", "pendenza, 100, 3"},
                      {101, 101, 102, 103},
                      103},
        gradient_case{"NoEntryLeavesLevelZeroPlus100", {}, {100}, 100},
        // Only the low 8 bits of gradient + 100 are kept.
        gradient_case{"LowEightBits", {"pendenza, 0, 200"}, {44}, 44}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(LineReader, SizesTheRouteFromItsLength) {
  const auto r = read_sources(linea(88000), treno());
  EXPECT_EQ(r->s.tabella_sim[riga_treno].fine, 88000);
  EXPECT_EQ(r->s.percorso.size(), 1901u);
  EXPECT_EQ(r->s.matrice_linea.ultimo(), 95000);

  const auto senza_piano = read_sources(linea(88000), treno(), true, senza_matrice_linea);
  EXPECT_EQ(senza_piano->s.percorso.size(), 1901u);
  EXPECT_FALSE(senza_piano->s.matrice_linea.dimensionata());
}

TEST(LineReader, AcceptsALengthOfOneMillionAndRefusesOneMore) {
  const auto r = read_sources(linea(1000000), treno());
  EXPECT_EQ(r->s.numero_errore, 0);
  EXPECT_EQ(r->s.ultima_cella(), 20140);

  const auto oltre = read_sources(linea(1000001), treno());
  EXPECT_EQ(oltre->s.numero_errore, 1);
  EXPECT_EQ(oltre->s.tabella_sim[riga_treno].fine, 1000001);
  EXPECT_FALSE(oltre->s.dimensionato());
  EXPECT_FALSE(oltre->line_present());
  EXPECT_TRUE(oltre->service_present()) << "the service file is neither read nor deleted";
}

TEST(LineReader, GeneralSectionEntries) {
  const auto r = read_sources(righe({"[generale]", "LUNGHEZZA PERCORSO,    88000",
                                     "progressiva chilometrica uno,    0,    46000,    1",
                                     "progressiva chilometrica due,    46000,    -46000,    0",
                                     "progressiva chilometrica tre,    49000,    -49000,    0",
                                     "sfondo uno,    3", "sfondo due,    1", "sfondo tre,    2",
                                     "ripetizione segnali 4 codici,    0,    90000", "[fine]"}),
                              treno());
  ASSERT_EQ(r->s.numero_errore, 0);
  const auto& t = r->s.tabella_sim;
  EXPECT_EQ(t[riga_treno].fine, 88000);
  // Sorted by decreasing start; the row flagged 1 gets 100 more.
  EXPECT_EQ(std::tie(t[81].inizio, t[81].fine, t[81].progressiva), std::make_tuple(49000, -49000, 0));
  EXPECT_EQ(std::tie(t[82].inizio, t[82].fine, t[82].progressiva), std::make_tuple(46000, -46000, 0));
  EXPECT_EQ(std::tie(t[83].inizio, t[83].fine, t[83].progressiva), std::make_tuple(0, 46100, 1));
  EXPECT_EQ(t[riga_linea].inizio, 3);
  EXPECT_EQ(t[riga_linea].progressiva, 1) << "sfondo due goes to progressiva";
  EXPECT_EQ(t[riga_linea].fine, 2) << "sfondo tre goes to fine";
  EXPECT_EQ(std::tie(t[86].inizio, t[86].fine, t[86].progressiva), std::make_tuple(0, 90000, 4));
  EXPECT_EQ(t[riga_linea].testo, "L");
  EXPECT_EQ(t[riga_ripetizione].testo, "T");
}

TEST(LineReader, ExactCaseKeywordsIgnoreUpperCase) {
  // Not recognised: its three values are read as keyword fields matching nothing.
  const auto r = read_sources(righe({"[generale]", "lunghezza percorso, 3000",
                                     "PROGRESSIVA CHILOMETRICA UNO,    50,    46000,    0",
                                     "SFONDO UNO, 4", "[fine]"}),
                              treno());
  EXPECT_EQ(r->s.numero_errore, 0);
  EXPECT_EQ(r->s.tabella_sim[83].inizio, 0);
  EXPECT_EQ(r->s.tabella_sim[riga_linea].inizio, 0);
}

struct repeat_case {
  const char* nome;
  std::string voce;
  int32_t numero;
  int32_t progressiva;
};

class SignalRepetition : public ::testing::TestWithParam<repeat_case> {};

TEST_P(SignalRepetition, StoresTheCodeCountOrRefuses) {
  const auto r = read_sources(righe({"[generale]", "lunghezza percorso, 3000", GetParam().voce, "[fine]"}),
                              treno());
  EXPECT_EQ(r->s.numero_errore, GetParam().numero);
  EXPECT_EQ(r->s.tabella_sim[riga_ripetizione].progressiva, GetParam().progressiva);
  EXPECT_EQ(r->line_present(), false);
  // After 3, 4 and 5 the service file is neither read nor deleted.
  EXPECT_EQ(r->service_present(), GetParam().numero != 0);
  if (GetParam().numero != 0) {
    ASSERT_EQ(faults_of(r->s).size(), 1u);
    EXPECT_FALSE(faults_of(r->s)[0].position.has_value());
    EXPECT_EQ(faults_of(r->s)[0].line, 3);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SignalRepetition,
    ::testing::Values(repeat_case{"Four", "ripetizione segnali 4 codici, 0, 90000", 0, 4},
                      repeat_case{"Nine", "ripetizione segnali 9 codici, 100, 900", 0, 9},
                      repeat_case{"FourTestedFirst", "ripetizione segnali 94, 100, 900", 0, 4},
                      repeat_case{"EndZeroStoresZero", "ripetizione segnali 9, 100, 0", 0, 0},
                      repeat_case{"UpperCaseNotRecognised", "RIPETIZIONE SEGNALI 4, 100, 900", 0, 0},
                      repeat_case{"StartNotMultiple", "ripetizione segnali 4, 25, 900", 3, 0},
                      repeat_case{"EndNotMultiple", "ripetizione segnali 4, 100, 925", 4, 0},
                      repeat_case{"NeitherDigit", "ripetizione segnali codici, 100, 900", 5, 0},
                      repeat_case{"NeitherDigitEndZero", "ripetizione segnali, 100, 0", 5, 0}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(LineReader, GeneralSectionSkipsUpToTenDashFieldsInARow) {
  // "x-[a]" would end the section; skipped, the field after it is read in its
  // place. Ten are skipped; an eleventh is taken as the keyword field.
  auto with_dashes = [](int dashes) {
    std::string t = "[generale]\r\nlunghezza percorso, 3000\r\n";
    for (int i = 0; i < dashes; ++i) t += "x-[a]\r\n";
    return t + "sfondo uno, 7\r\n[fine]\r\n";
  };
  EXPECT_EQ(read_sources(with_dashes(10), treno())->s.tabella_sim[riga_linea].inizio, 7);
  EXPECT_EQ(read_sources(with_dashes(11), treno())->s.tabella_sim[riga_linea].inizio, 0);
  // A field that begins with "-" never ends the section.
  const auto r = read_sources(righe({"[generale]", "-[commento]", "-", "-", "-", "-", "-", "-", "-", "-",
                                     "-", "-", "lunghezza percorso, 3000", "[fine]"}),
                              treno());
  EXPECT_EQ(r->s.numero_errore, 0);
  EXPECT_EQ(r->s.ultima_cella(), kP);
}

TEST(LineReader, ListsSkipUpToTwoDashFieldsInARow) {
  // A keyword field holding "-" is passed over; the third in a row is used.
  auto filled_gradient = [](const std::string& list_row) {
    const auto r = read_sources(linea(kLunghezza, {"pendenza, 0, 0", list_row}), treno());
    return r->s.percorso[10].pendenza;
  };
  EXPECT_EQ(filled_gradient("a-, b-, pendenza-, 100, 5"), 105);
  EXPECT_EQ(filled_gradient("a-, b-, c-, pendenza-, 100, 5"), 100);
}

TEST(LineReader, LastFieldIsNeverActedOn) {
  // A text board with a missing position would be error 25 if it were read.
  const auto r = read_sources(righe({"[generale]", "lunghezza percorso, 3000", "[x]", "cartello_indicatore"}),
                              treno());
  EXPECT_EQ(r->s.numero_errore, 0);
  EXPECT_TRUE(faults_of(r->s).empty());
  // The general section may end with the file: the lists are empty.
  const auto g = read_sources(righe({"[generale]", "lunghezza percorso, 3000", "sfondo uno, 2"}), treno());
  EXPECT_EQ(g->s.numero_errore, 0);
  EXPECT_EQ(g->s.tabella_sim[riga_linea].inizio, 2);
  EXPECT_EQ(g->s.percorso[0].pendenza, 100);
}

TEST(LineReader, TrackPlanOfAStraightRoute) {
  const auto r = read_sources(linea(0), treno());
  const matrice_punti& m = r->s.matrice_linea;
  ASSERT_EQ(m.ultimo(), 7000);
  EXPECT_EQ(m.tipo(0), tipo_elemento::intero);
  EXPECT_EQ(m.tipo(1), tipo_elemento::intero);
  EXPECT_EQ(std::make_pair(m.x(1), m.y(1)), std::make_pair(0.0, 1.0));
  for (int i = 2; i <= 6998; ++i) {
    ASSERT_EQ(m.tipo(i), tipo_elemento::doppio) << i;
    ASSERT_EQ(m.x(i), 0.0);
    ASSERT_EQ(m.y(i), static_cast<double>(i));
  }
  EXPECT_EQ(m.tipo(6999), tipo_elemento::vuoto);
  EXPECT_EQ(m.tipo(7000), tipo_elemento::vuoto);
}

TEST(LineReader, CurvePointsKeepTheUnrescaledStep) {
  const auto r = read_sources(linea(kLunghezza, {"curvad4,  100,  50"}), treno());
  ASSERT_EQ(r->s.numero_errore, 0);
  const matrice_punti& m = r->s.matrice_linea;
  EXPECT_EQ(std::make_pair(m.x(100), m.y(100)), std::make_pair(0.0, 100.0));
  // Step (0, 1): x = 0 + (0 + 0.001 * 1), y = 100 + (1 - 0.001 * 0).
  EXPECT_EQ(m.x(101), 0.001);
  EXPECT_EQ(m.y(101), 101.0);
  // Step (0.001, 1).
  EXPECT_EQ(m.x(102), 0.001 + (0.001 + 0.001 * 1.0));
  EXPECT_EQ(m.y(102), 101.0 + (1.0 - 0.001 * 0.001));
  // Each curve metre lengthens the step by sqrt(1 + k^2); the straight after
  // the curve keeps the last step.
  const double passo_x = m.x(150) - m.x(149);
  const double passo_y = m.y(150) - m.y(149);
  const double lunghezza = std::hypot(passo_x, passo_y);
  EXPECT_NEAR(lunghezza, std::pow(std::sqrt(1 + 1e-6), 50), 1e-12);
  EXPECT_GT(lunghezza, 1.0);
  EXPECT_EQ(m.x(151), m.x(150) + (m.x(150) - m.x(149)));
  EXPECT_EQ(m.tipo(kL - 2), tipo_elemento::doppio);
  EXPECT_EQ(m.tipo(kL - 1), tipo_elemento::vuoto);
}

TEST(LineReader, CurveStartingBehindThePlanIndexHasNoStraight) {
  const auto r = read_sources(linea(kLunghezza, {"curvad4, 100, 50", "curvas4, 140, 20", "curvad4, 100, 10"}),
                              treno());
  ASSERT_EQ(r->s.numero_errore, 0);
  const matrice_punti& m = r->s.matrice_linea;
  // Point 151 is the first of the second curve, computed with k = -0.001.
  const double dx = m.x(150) - m.x(149);
  const double dy = m.y(150) - m.y(149);
  EXPECT_EQ(m.x(151), m.x(150) + (dx + -0.001 * dy));
  EXPECT_EQ(m.y(151), m.y(150) + (dy - -0.001 * dx));
}

// The whole plan against the recurrence computed point by point, every value
// to the bit: the reader carries the last two points in registers across a
// run of points and falls back to the general path at the plan's last points.
struct plan_case {
  const char* nome;
  std::vector<std::tuple<std::string, int, int>> curve;  // keyword, start, length
};

class WholeTrackPlan : public ::testing::TestWithParam<plan_case> {};

TEST_P(WholeTrackPlan, MatchesThePointByPointRecurrence) {
  std::string testo = righe({"[generale]", "lunghezza percorso, 3000", "[curve]"});
  for (const auto& [chiave, inizio, lunghezza] : GetParam().curve) {
    testo += chiave + ", " + std::to_string(inizio) + ", " + std::to_string(lunghezza) + "\r\n";
  }
  const auto r = read_sources(testo + "[fine]\r\n", treno());
  ASSERT_EQ(r->s.numero_errore, 0);

  std::vector<double> x(kL + 1), y(kL + 1);
  y[1] = 1;
  int c = 2;
  auto advance = [&](double k) {
    const double dx = x[c - 1] - x[c - 2];
    const double dy = y[c - 1] - y[c - 2];
    x[c] = k == 0 ? x[c - 1] + dx : x[c - 1] + (dx + k * dy);
    y[c] = k == 0 ? y[c - 1] + dy : y[c - 1] + (dy - k * dx);
    ++c;
  };
  for (const auto& [chiave, inizio, lunghezza] : GetParam().curve) {
    const double k = (chiave.back() == '6' ? 0.003 : chiave.back() == '4' ? 0.001 : 0.0002) *
                     (chiave[5] == 's' ? -1 : 1);
    while (c <= inizio) advance(0);
    while (c <= inizio + lunghezza) advance(k);
  }
  const int ultimo_calcolato = std::max(c - 1, kL - 2);
  while (c <= kL - 2) advance(0);

  const matrice_punti& m = r->s.matrice_linea;
  for (int i = 2; i <= ultimo_calcolato; ++i) {
    ASSERT_EQ(m.tipo(i), tipo_elemento::doppio) << i;
    ASSERT_EQ(m.x(i), x[i]) << i;
    ASSERT_EQ(m.y(i), y[i]) << i;
  }
  for (int i = ultimo_calcolato + 1; i <= kL; ++i) EXPECT_EQ(m.tipo(i), tipo_elemento::vuoto) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WholeTrackPlan,
    ::testing::Values(
        plan_case{"CurvesOfBothSidesAndStraights",
                   {{"curvad2", 500, 300}, {"curvas6", 900, 2000}, {"curvad4", 2950, 40}}},
        // The last curve ends at point L - 2, the last point of a finished plan.
        plan_case{"CurveToTheLastMiddlePoint", {{"curvas4", 3100, 6898}}},
        // Points L - 1 and L are kept apart from the others.
        plan_case{"CurveToPointL", {{"curvad6", 9000, 1000}}},
        plan_case{"CurveFromPointTwo", {{"curvad4", 0, 20}, {"curvas2", 10, 5}}}),
    [](const auto& info) { return std::string(info.param.nome); });

struct curve_case {
  const char* chiave;
  double curvatura;
};

class CurveClass : public ::testing::TestWithParam<curve_case> {};

TEST_P(CurveClass, KeywordGivesClassAndHand) {
  const auto r = read_sources(linea(kLunghezza, {std::string(GetParam().chiave) + ", 100, 10"}), treno());
  ASSERT_EQ(r->s.numero_errore, 0);
  // After the straight the step is (0, 1), so x(101) is the curvature itself.
  EXPECT_EQ(r->s.matrice_linea.x(101), GetParam().curvatura);
}

INSTANTIATE_TEST_SUITE_P(Cases, CurveClass,
                         ::testing::Values(curve_case{"curvad1", 0.0001}, curve_case{"curvad2", 0.0002},
                                           curve_case{"curvad3", 0.0004}, curve_case{"curvad4", 0.001},
                                           curve_case{"curvad5", 0.002}, curve_case{"curvad6", 0.003},
                                           curve_case{"curvas3", -0.0004},
                                           curve_case{"CURVAS4", -0.001},
                                           curve_case{"curvad21", 0.0001},
                                           curve_case{"curvad74", 0.001}));

TEST(LineReader, CurvesAreNotEntriesWithoutTheTrackPlan) {
  // Without a plan a curve keyword and its values are fields matching nothing,
  // so a curve without a class digit is no fault.
  const auto r = read_sources(linea(kLunghezza, {"curva, 100, 50", "curvad4, 99999999, 1"}), treno(), true, senza_matrice_linea);
  EXPECT_EQ(r->s.numero_errore, 0);
  EXPECT_TRUE(faults_of(r->s).empty());
}

TEST(LineReader, CurveBeyondTheRouteIsError15AndTheFileIsStillFinished) {
  const auto r = read_sources(linea(kLunghezza, {"pendenza, 0, 3", "curvad4, 9901, 10", "pendenza, 100, 7"}),
                              treno({"velocita, 0, 50"}));
  EXPECT_EQ(r->s.numero_errore, 15);
  EXPECT_EQ(r->s.posizione_errore, 9901);
  // The lists end there (the later gradient is not read); the end processing runs.
  EXPECT_EQ(r->s.percorso[kP - 3].pendenza, 103);
  EXPECT_EQ(r->s.matrice_linea.tipo(kL - 2), tipo_elemento::doppio);
  EXPECT_EQ(r->s.matrice_linea.x(kL - 2), 0.0);
  // The service file is read all the same.
  EXPECT_EQ(r->s.percorso[0].velocita, 10);
  EXPECT_FALSE(r->line_present());
  EXPECT_FALSE(r->service_present());
}

TEST(LineReader, RangeCheckAllowsUpTo50PMinus100) {
  const auto ok = read_sources(linea(kLunghezza, {"cartello_indicatore, 9900, (A)"}), treno());
  EXPECT_EQ(ok->s.numero_errore, 0);
  EXPECT_EQ(ok->s.percorso[199].tipo, 14);
  const auto oltre = read_sources(linea(kLunghezza, {"cartello_indicatore, 9901, (A)"}), treno());
  EXPECT_EQ(oltre->s.numero_errore, 15);
  EXPECT_EQ(oltre->s.posizione_errore, 9901);
}

TEST(LineReader, TextBoardsFillRowsFromEightyDown) {
  const auto r = read_sources(linea(kLunghezza, {"cartello_indicatore,  1550,   (GALLERIA)(ROVELLO )(m.1100  )",
                                                 "cartello_indicatore,  75,   \"(A, B)\" ignored, (C)"}),
                              treno());
  ASSERT_EQ(r->s.numero_errore, 0);
  const auto& p = r->s.percorso;
  EXPECT_EQ(p[32].tipo, 14);
  EXPECT_EQ(p[32].dato1, 80);
  EXPECT_EQ(r->s.tabella_sim[80].testo, "(GALLERIA)(ROVELLO )(m.1100  )");
  // 75 / 50 + 1 = 2.5 rounds to 2; a quoted text keeps its commas.
  EXPECT_EQ(p[2].tipo, 14);
  EXPECT_EQ(p[2].dato1, 79);
  EXPECT_EQ(r->s.tabella_sim[79].testo, "(A, B)");
  EXPECT_EQ(r->s.tabella_sim[78].testo, "");
}

TEST(LineReader, TextBoardReplacesATunnelMarkerButNotAnIndicatorBoard) {
  // The tunnel marks cells 35, 39, ... with code 11.
  const auto r = read_sources(linea(kLunghezza, {"montagna,   1600,  2700,  11",
                                                 "cartello_indicatore, 1700, (X)"}),
                              treno());
  ASSERT_EQ(r->s.numero_errore, 0);
  EXPECT_EQ(r->s.percorso[35].tipo, 14);

  const auto occupata = read_sources(linea(kLunghezza, {"indicatori_vmax, 1700, 90, 95, 95, 2, , , , 0",
                                                        "cartello_indicatore, 1700, (X)"}),
                                     treno());
  EXPECT_EQ(occupata->s.numero_errore, 6);
  EXPECT_EQ(occupata->s.posizione_errore, 1700);
  EXPECT_EQ(occupata->s.percorso[35].tipo, 6);
  EXPECT_EQ(occupata->s.tabella_sim[80].testo, "");
}

TEST(LineReader, HandsTunnelsAndIndicatorBoardsToTheRecorders) {
  const auto r = read_sources(linea(88000, {"montagna,   1600,  2700,  11",
                                            "indicatori_vmax,  85900,  90,  95,  95,  2,  ,  ,  ,  0"}),
                              treno());
  ASSERT_EQ(r->s.numero_errore, 0);
  const auto& p = r->s.percorso;
  EXPECT_EQ(r->s.numero_montagne, 1);
  EXPECT_EQ(p[32].galleria, 1);
  EXPECT_EQ(p[53].galleria, 1);
  EXPECT_EQ(p[35].tipo, 11);
  EXPECT_EQ(p[1719].tipo, 6);
  EXPECT_EQ(p[1719].dato1, 1800);
  EXPECT_EQ(p[1719].dato4, 20);
}

}  // namespace
}  // namespace scenario::testing
