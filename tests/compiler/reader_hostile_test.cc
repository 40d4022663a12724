// Bad input that the readers refuse or skip without writing outside the
// model's arrays. Each case is read beside a control: the same sources with
// the bad row replaced by one that plainly fails (a field that is not a
// number) or by what a sound reading leaves. Both models must match, cell by
// cell and point by point, so the bad row changed nothing the control did not.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "compiler/reader_fixture.h"
#include "support/faults_seen.h"

namespace scenario::testing {
namespace {

struct hostile_case {
  const char* nome;
  std::optional<std::string> linea;
  std::optional<std::string> treno;
  std::optional<std::string> linea_controllo;
  std::optional<std::string> treno_controllo;
  int32_t numero;
  int riga_diversa = -1;  // a table row the bad row may have filled before its refusal
};

std::string ripeti(const std::string& riga, int volte) {
  std::string t;
  for (int i = 0; i < volte; ++i) t += riga + "\r\n";
  return t;
}

std::string con_liste(int64_t lunghezza, const std::string& liste) {
  return righe({"[generale]", "lunghezza percorso, " + std::to_string(lunghezza), "[liste]"}) + liste +
         "[fine]\r\n";
}

std::string cartelli(int quanti) {
  std::string t;
  for (int i = 0; i < quanti; ++i) t += "cartello_indicatore, " + std::to_string(100 + 50 * i) + ", (T)\r\n";
  return t;
}

std::string montagne(int quante) {
  std::string t;
  for (int i = 1; i <= quante; ++i) {
    t += "montagna, " + std::to_string(100 * i) + ", " + std::to_string(100 * i + 50) + ", 11\r\n";
  }
  return t;
}

const std::string kLinea = linea(3000);
const std::string kTreno = treno({"velocita, 0, 50", "aderenza, 0, 3"});
const std::string kCoda = ", 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, X";

std::vector<hostile_case> casi() {
  return {
      // Negative positions and lengths in the line description.
      {"GradientAtNegativePosition", linea(3000, {"pendenza, 0, 2", "pendenza, -50, 5"}), kTreno,
       linea(3000, {"pendenza, 0, 2", "pendenza, x, 5"}), kTreno, 25},
      {"CurveAtNegativeStart", linea(3000, {"curvad4, -100, 50"}), kTreno, linea(3000, {"curvad4, x, 50"}),
       kTreno, 25},
      {"CurveOfNegativeLength", linea(3000, {"curvad4, 100, 10", "curvad4, 200, -50"}), kTreno,
       linea(3000, {"curvad4, 100, 10", "curvad4, 200, x"}), kTreno, 25},
      // L = 10000: a curve from 9800 over 300 m would run past the last point.
      {"CurveBeyondPointL", linea(3000, {"curvad4, 9800, 201"}), kTreno, linea(3000, {"curvad4, 9800, x"}),
       kTreno, 25},
      {"TunnelAtNegativeStart", linea(3000, {"montagna, -100, 500, 11"}), kTreno,
       linea(3000, {"montagna, x, 500, 11"}), kTreno, 25},
      {"IndicatorAtNegativePosition", linea(3000, {"indicatori_vmax, -100, 90, 95, 95, 2, , , , 0"}), kTreno,
       linea(3000, {"indicatori_vmax, x, 90, 95, 95, 2, , , , 0"}), kTreno, 25},
      {"TextBoardAtNegativePosition", linea(3000, {"cartello_indicatore, -100, (A)"}), kTreno,
       linea(3000, {"cartello_indicatore, x, (A)"}), kTreno, 25},
      // Rows 80 down to 0 hold 81 board texts.
      {"TextBoardBeyondThe81st", con_liste(3000, cartelli(82)), kTreno,
       con_liste(3000, cartelli(81) + "cartello_indicatore, x, (T)\r\n"), kTreno, 25},
      {"TunnelBeyondThe80th", con_liste(3000, montagne(81)), kTreno,
       con_liste(3000, montagne(80) + "montagna, x, 0, 0\r\n"), kTreno, 25},
      // Without a route length nothing is sized.
      {"NoRouteLength", righe({"[generale]", "sfondo uno, 1", "[x]", "pendenza, 0, 1", "[fine]"}), kTreno,
       righe({"[generale]", "sfondo uno, 1", "sfondo due, x", "[x]", "[fine]"}), kTreno, 25},
      {"NegativeRouteLength", linea(-5, {"pendenza, 0, 1"}), kTreno, righe({"[generale]", "lunghezza percorso, x", "[curve]", "pendenza, 0, 1", "[fine]"}),
       kTreno, 25, riga_treno},
      // Fill indices pushed past cell P by rows at the last position
      // (length 0: P = 140, 50·P − 100 = 6900): the extra cells are skipped.
      {"GradientFillPastTheRoute", con_liste(0, "pendenza, 0, 3\r\n" + ripeti("pendenza, 6900, 7", 5)), kTreno,
       con_liste(0, "pendenza, 0, 3\r\n" + ripeti("pendenza, 6900, 7", 3)), kTreno, 0},
      {"AdhesionFillPastTheRoute", linea(0), "[generale]\r\naderenza, 0, 3\r\n" + ripeti("aderenza, 6900, 7", 5),
       linea(0), "[generale]\r\naderenza, 0, 3\r\n" + ripeti("aderenza, 6900, 7", 3), 0},
      {"SpeedFillPastTheRoute", linea(0), "[generale]\r\nvelocita, 0, 30\r\n" + ripeti("velocita, 6900, 70", 5),
       linea(0), "[generale]\r\nvelocita, 0, 30\r\n" + ripeti("velocita, 6900, 70", 3), 0},
      // Negative positions and lengths in the service description.
      {"SpeedAtNegativePosition", kLinea, treno({"velocita, 0, 50", "velocita, -100, 60"}), kLinea,
       treno({"velocita, 0, 50", "velocita, x, 60"}), 25},
      {"AdhesionAtNegativePosition", kLinea, treno({"aderenza, -100, 60"}), kLinea, treno({"aderenza, x, 60"}),
       25},
      {"AbbattimentoAtNegativePosition", kLinea, treno({"abbattimento, -100, 60"}), kLinea,
       treno({"abbattimento, x, 60"}), 25},
      {"SignalAtNegativePosition", kLinea, treno({"segnale, -100, 2, 2, 3, 0, 0, 2, 2,1,0, 0"}), kLinea,
       treno({"segnale, x, 2, 2, 3, 0, 0, 2, 2,1,0, 0"}), 25},
      {"SlowDownAtNegativePosition", kLinea, treno({"rallentamento, -100, 40, 300, 0, 1, 40"}), kLinea,
       treno({"rallentamento, x, 40, 300, 0, 1, 40"}), 25},
      {"StationAtNegativePosition", kLinea, treno({"stazione, -200, 4, 800" + kCoda}), kLinea,
       treno({"stazione, x, 4, 800" + kCoda}), 25, 1},
      {"StationOfNegativeLength", kLinea, treno({"stazione, 1000, 4, -800" + kCoda}), kLinea,
       treno({"stazione, 1000, 4, x" + kCoda}), 25},
      // A stop area reaching past the route has no cell for its stop point.
      {"StationStopPointPastTheRoute", kLinea, treno({"stazione, 1000, 4, 1000000" + kCoda}), kLinea,
       treno({"stazione, 1000, 4, 1000000, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,x, X"}), 25, 1},
      {"StationEndOverflows", kLinea, treno({"stazione, 1000, 7, 2147483600" + kCoda}), kLinea,
       treno({"stazione, 1000, 7, 2147483600, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,x, X"}), 25, 1},
  };
}

class HostileRead : public ::testing::TestWithParam<hostile_case> {};

TEST_P(HostileRead, IsRefusedAndChangesNothingOutsideTheArrays) {
  const auto& c = GetParam();
  const auto r = read_sources(c.linea, c.treno);
  const auto k = read_sources(c.linea_controllo, c.treno_controllo);
  EXPECT_EQ(r->s.numero_errore, c.numero);
  EXPECT_EQ(k->s.numero_errore, c.numero) << "the control must end the same way";
  EXPECT_EQ(faults_of(r->s).size(), faults_of(k->s).size());
  EXPECT_EQ(r->line_present(), k->line_present());
  EXPECT_EQ(r->service_present(), k->service_present());

  ASSERT_EQ(r->s.percorso.size(), k->s.percorso.size());
  for (size_t i = 0; i < r->s.percorso.size(); ++i) {
    ASSERT_EQ(fields(r->s.percorso[i]), fields(k->s.percorso[i])) << "cell " << i;
  }
  const matrice_punti& m = r->s.matrice_linea;
  const matrice_punti& mk = k->s.matrice_linea;
  ASSERT_EQ(m.ultimo(), mk.ultimo());
  for (int32_t i = 0; i <= m.ultimo(); ++i) {
    ASSERT_EQ(m.tipo(i), mk.tipo(i)) << "point " << i;
    ASSERT_EQ(m.x(i), mk.x(i)) << "point " << i;
    ASSERT_EQ(m.y(i), mk.y(i)) << "point " << i;
  }
  EXPECT_EQ(r->s.numero_montagne, k->s.numero_montagne);
  EXPECT_EQ(r->s.montagna_inizio, k->s.montagna_inizio);
  EXPECT_EQ(r->s.montagna_fine, k->s.montagna_fine);
  for (int i = 0; i < righe_tabella_sim; ++i) {
    if (i == c.riga_diversa) continue;
    EXPECT_EQ(fields(r->s.tabella_sim[i]), fields(k->s.tabella_sim[i])) << "row " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileRead, ::testing::ValuesIn(casi()),
                         [](const auto& info) { return std::string(info.param.nome); });

TEST(HostileRead, CurveEndingAtPointLIsAccepted) {
  const auto r = read_sources(linea(3000, {"curvad4, 9800, 200"}), treno());
  EXPECT_EQ(r->s.numero_errore, 0);
  EXPECT_EQ(r->s.matrice_linea.tipo(10000), tipo_elemento::doppio);
}

}  // namespace
}  // namespace scenario::testing
