// The drawing core's decisions: the extent of the turned plan, kilometre
// post ticks and labels, label placement in a crowded stretch, and the
// objects read from the route cells.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "drawing/features.h"
#include "drawing/geometry.h"
#include "drawing/labels.h"
#include "drawing/posts.h"
#include "drawing/svg.h"
#include "tools/tool_fixture.h"

namespace scenario::disegno {
namespace {

using scenario::testing::stato_di_prova;

matrice_punti piano(int32_t ultimo, double (*x)(int32_t), double (*y)(int32_t)) {
  matrice_punti m;
  m.dimensiona(ultimo);
  for (int32_t i = 0; i <= ultimo - 2; ++i) m.imposta_doppio(i, x(i), y(i));
  return m;
}

TEST(TurnedPlan, ExtentAlongAndAcrossTheRoute) {
  // A route heading north, then an L turning east after 1,000 m: the chord
  // from start to end becomes +x; the extent is measured in that frame.
  const matrice_punti nord = piano(3000, [](int32_t) { return 0.0; },
                                   [](int32_t i) { return double(i); });
  const piano_girato a(nord, 2000);
  const rettangolo e = a.estensione(0, 2000);
  EXPECT_NEAR(e.x0, 0, 1e-9);
  EXPECT_NEAR(e.x1, 2000, 1e-9);
  EXPECT_NEAR(e.altezza(), 0, 1e-9);
  // Only the stretch asked for, and the run-off points beyond the length.
  EXPECT_NEAR(a.estensione(500, 800).larghezza(), 300, 1e-9);
  EXPECT_NEAR(a.estensione(0, 3000).x1, 2998, 1e-9);  // the last two points are empty

  const matrice_punti elle = piano(2000 + 7000, [](int32_t i) { return i <= 1000 ? 0.0 : double(i - 1000); },
                                   [](int32_t i) { return i <= 1000 ? double(i) : 1000.0; });
  const piano_girato b(elle, 2000);
  const rettangolo f = b.estensione(0, 2000);
  EXPECT_NEAR(f.larghezza(), std::hypot(1000.0, 1000.0), 1e-6);
  // The corner stands off the chord by half the diagonal, on the left.
  EXPECT_NEAR(f.y1, std::hypot(1000.0, 1000.0) / 2, 1e-6);
  EXPECT_NEAR(f.y0, 0, 1e-6);
}

TEST(TurnedPlan, DamagedAndEmptyPlans) {
  matrice_punti m = piano(100, [](int32_t) { return 0.0; }, [](int32_t i) { return double(i); });
  m.imposta_doppio(50, std::nan(""), 3);
  m.imposta_doppio(60, HUGE_VAL, 3);
  const piano_girato p(m, 98);
  const rettangolo e = p.estensione(0, 100);
  EXPECT_TRUE(std::isfinite(e.x0) && std::isfinite(e.x1) && std::isfinite(e.y0) && std::isfinite(e.y1));
  EXPECT_NEAR(p.a(50).x, 49, 1e-9);  // a damaged point takes the one before
  matrice_punti vuoto;
  vuoto.dimensiona(100);
  const piano_girato q(vuoto, 90);
  EXPECT_TRUE(q.vuoto());
  EXPECT_EQ(q.estensione(0, 100).larghezza(), 0);
}

std::array<record_sim, righe_tabella_sim> zone_di_prova() {
  // Counting down from 12 km (flag 1, stored with 100 m more), then up from
  // 0 at route position 6,000 m.
  std::array<record_sim, righe_tabella_sim> t{};
  t[riga_progressiva_uno].fine = 12100;
  t[riga_progressiva_uno].progressiva = 1;
  t[riga_progressiva_tre].inizio = 6000;
  t[riga_progressiva_tre].fine = -6000;
  return t;
}

TEST(AxisTicks, RegularLabelsAndZoneStarts) {
  const chilometrica km(zone_di_prova());
  // 0.05 px per metre: 50 px per km, so the step is 2 km.
  const auto t = tacche_asse(km, 0, 10001, 0.05, 64);
  std::vector<std::string> etichette;
  for (const auto& x : t) {
    if (!x.testo.empty()) etichette.push_back(std::to_string(x.metro) + "=" + x.testo);
  }
  const std::vector<std::string> attese = {"0=12+000", "2000=10+000", "4000=8+000",
                                           "6000=0+000", "8000=2+000", "10000=4+000"};
  EXPECT_EQ(etichette, attese);
  // Both zone starts are marked as such.
  int inizi = 0;
  for (const auto& x : t) inizi += x.inizio_zona;
  EXPECT_EQ(inizi, 2);

  // 0.02 px per metre: the step is 5 km, and the 10+000 tick, 40 px from
  // the zone start at 0, keeps its tick but gives way with its label.
  std::set<std::string> testi;
  bool tacca_10 = false;
  for (const auto& x : tacche_asse(km, 0, 10001, 0.02, 64)) {
    if (!x.testo.empty()) testi.insert(x.testo);
    tacca_10 = tacca_10 || (x.metro == 2000 && x.post == 10000 && x.testo.empty());
  }
  EXPECT_EQ(testi, (std::set<std::string>{"12+000", "0+000"}));
  EXPECT_TRUE(tacca_10);
}

TEST(KilometreStretches, PiecesAndKilometreOptions) {
  const chilometrica km(zone_di_prova());
  const auto p = tratti_chilometrici(km, 0, 10000);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].post_inizio, 12000);
  EXPECT_EQ(p[0].verso, -1);
  EXPECT_EQ(p[1].inizio, 6000);
  EXPECT_EQ(p[1].verso, 1);
  const struct {
    const char* testo;
    std::optional<int64_t> metro;
  } casi[] = {{"2.5", 2500},      {"11+000", 1000}, {"0+500", 6500}, {"7+000", 5000},
              {"99+000", std::nullopt}, {"abc", std::nullopt}, {"1+", std::nullopt}, {"", std::nullopt}};
  for (const auto& c : casi) EXPECT_EQ(leggi_chilometro(c.testo, km, 10000), c.metro) << c.testo;
}

TEST(Labels, NeverOverlapInACrowdedStretch) {
  // Thirty markers 12 px apart along a straight line, each with a name far
  // wider than the spacing: whatever is placed must not overlap.
  occupazione occ({0, 0, 800, 400});
  std::vector<punto> segni;
  for (int i = 0; i < 30; ++i) {
    const punto p{100 + 12.0 * i, 200};
    segni.push_back(p);
    occ.aggiungi_segno(scatola::diritta(p.x - 5, p.y - 5, p.x + 5, p.y + 5));
  }
  for (double x = 0; x <= 800; x += 4) occ.aggiungi_punto({x, 200});
  int poste = 0;
  for (const punto& p : segni) {
    etichetta e{"STAZIONE NUMERO " + std::to_string(poste), 11.5, 72, true, true, "label"};
    if (metti_etichetta(occ, p, {0, -1}, e, false) || metti_etichetta(occ, p, {0, -1}, e, true)) ++poste;
  }
  const auto& box = occ.etichette();
  ASSERT_EQ(box.size(), static_cast<size_t>(poste));
  // Fewer than a third find room (9 today); a floor against a placement
  // that gives up, not a target.
  EXPECT_GE(poste, 9);
  for (size_t i = 0; i < box.size(); ++i) {
    for (size_t j = i + 1; j < box.size(); ++j) EXPECT_FALSE(box[i].interseca(box[j])) << i << " " << j;
    for (const punto& p : segni) EXPECT_FALSE(box[i].contiene(p)) << i;
    EXPECT_GE(box[i].x0(), 0);
    EXPECT_LE(box[i].x1(), 800);
  }
}

TEST(Labels, TurnedBoxesMeetOnlyWhenTheyTouch) {
  const double r = std::sqrt(0.5);
  const struct {
    scatola a, b;
    bool meet;
  } casi[] = {
      {scatola::diritta(0, 0, 10, 10), scatola::diritta(5, 5, 15, 15), true},
      {scatola::diritta(0, 0, 10, 10), scatola::diritta(11, 0, 20, 10), false},
      // A diamond whose corner points at an upright box's corner: apart,
      // though their upright bounds overlap.
      {scatola::diritta(0, 0, 10, 10), {{17, 17}, r, r, 5, 5}, false},
      {scatola::diritta(0, 0, 10, 10), {{13, 13}, r, r, 5, 5}, true},
  };
  for (const auto& c : casi) {
    EXPECT_EQ(c.a.interseca(c.b), c.meet);
    EXPECT_EQ(c.b.interseca(c.a), c.meet);
  }
}

TEST(RouteObjects, EveryKindAtItsPosition) {
  stato_compilazione st = stato_di_prova();
  auto metti = [&](int c, uint8_t tipo, int16_t d1) {
    st.percorso[static_cast<size_t>(c)].tipo = tipo;
    st.percorso[static_cast<size_t>(c)].dato1 = d1;
  };
  metti(61, 14, 79);  // a text board that names no tunnel
  st.tabella_sim[79].testo = "(P.L.)(km 3+000)";
  metti(71, 6, 1800);
  metti(80, 12, 60);   // abbattimento with a speed
  metti(81, 13, 0);    // abbattimento without
  metti(140, 12, 180); // a board of the derivation rules
  metti(126, 4, 40);
  metti(125, 5, 1);
  st.percorso[99].avvicinamento = 81;
  scenario_letto s;
  s.tabella = st.tabella_sim;
  s.celle = st.percorso;
  const auto oggetti = elementi_percorso(s);
  std::map<std::string, std::vector<std::string>> per_genere;
  for (const auto& o : oggetti) {
    per_genere[nome_genere(o.tipo)].push_back(std::to_string(o.metro) + (o.nome.empty() ? "" : " " + o.nome));
  }
  using V = std::vector<std::string>;
  EXPECT_EQ(per_genere["text-board"], (V{"1900 GALLERIA ROVELLO m.1000", "3000 P.L. km 3+000"}));
  EXPECT_EQ(per_genere["speed-indicator"], (V{"3500 1800 0 0"}));
  EXPECT_EQ(per_genere["abbattimento"], (V{"4000 60", "4050 no speed"}));
  EXPECT_EQ(per_genere["derived-board"], (V{"7000 180"}));
  EXPECT_EQ(per_genere["warning-board"], (V{"6250 40 km/h"}));
  EXPECT_EQ(per_genere["advance-mark"], (V{"6250 1"}));
  EXPECT_EQ(per_genere["approach-mark"], (V{"4950 81"}));
  EXPECT_EQ(per_genere["signal"], (V{"2500", "5000", "10000"}));
  EXPECT_EQ(per_genere["slowdown"], (V{"7450 40 km/h"}));
  EXPECT_EQ(per_genere["tunnel"], (V{"2000 ROVELLO", "8200"}));
  EXPECT_EQ(per_genere["station"], (V{"1000 BORGO PROVA", "5000 MONTE <&> PROVA", "9000 FINE PROVA"}));

  // When the compile says which cells the rules changed, that decides.
  s.derivata.assign(s.celle.size(), false);
  s.derivata[80] = true;
  std::set<int32_t> derivati;
  for (const auto& o : elementi_percorso(s)) {
    if (o.tipo == genere::tabella_derivata) derivati.insert(o.metro);
  }
  EXPECT_EQ(derivati, (std::set<int32_t>{4000}));
}

}  // namespace
}  // namespace scenario::disegno
