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

namespace scenario::drawing {
namespace {

using scenario::testing::sample_state;

matrice_punti make_plan(int32_t last, double (*x)(int32_t), double (*y)(int32_t)) {
  matrice_punti m;
  m.dimensiona(last);
  for (int32_t i = 0; i <= last - 2; ++i) m.imposta_doppio(i, x(i), y(i));
  return m;
}

TEST(TurnedPlan, ExtentAlongAndAcrossTheRoute) {
  // A route heading north, then an L turning east after 1,000 m: the chord
  // from start to end becomes +x; the extent is measured in that frame.
  const matrice_punti north = make_plan(3000, [](int32_t) { return 0.0; },
                                        [](int32_t i) { return double(i); });
  const turned_plan a(north, 2000);
  const rect e = a.extent(0, 2000);
  EXPECT_NEAR(e.x0, 0, 1e-9);
  EXPECT_NEAR(e.x1, 2000, 1e-9);
  EXPECT_NEAR(e.height(), 0, 1e-9);
  // Only the stretch asked for, and the run-off points beyond the length.
  EXPECT_NEAR(a.extent(500, 800).width(), 300, 1e-9);
  EXPECT_NEAR(a.extent(0, 3000).x1, 2998, 1e-9);  // the last two points are empty

  const matrice_punti ell = make_plan(2000 + 7000, [](int32_t i) { return i <= 1000 ? 0.0 : double(i - 1000); },
                                      [](int32_t i) { return i <= 1000 ? double(i) : 1000.0; });
  const turned_plan b(ell, 2000);
  const rect f = b.extent(0, 2000);
  EXPECT_NEAR(f.width(), std::hypot(1000.0, 1000.0), 1e-6);
  // The corner stands off the chord by half the diagonal, on the left.
  EXPECT_NEAR(f.y1, std::hypot(1000.0, 1000.0) / 2, 1e-6);
  EXPECT_NEAR(f.y0, 0, 1e-6);
}

TEST(TurnedPlan, DamagedAndEmptyPlans) {
  matrice_punti m = make_plan(100, [](int32_t) { return 0.0; }, [](int32_t i) { return double(i); });
  m.imposta_doppio(50, std::nan(""), 3);
  m.imposta_doppio(60, HUGE_VAL, 3);
  const turned_plan p(m, 98);
  const rect e = p.extent(0, 100);
  EXPECT_TRUE(std::isfinite(e.x0) && std::isfinite(e.x1) && std::isfinite(e.y0) && std::isfinite(e.y1));
  EXPECT_NEAR(p.at(50).x, 49, 1e-9);  // a damaged point takes the one before
  matrice_punti empty_plan;
  empty_plan.dimensiona(100);
  const turned_plan q(empty_plan, 90);
  EXPECT_TRUE(q.empty());
  EXPECT_EQ(q.extent(0, 100).width(), 0);
}

std::array<record_sim, righe_tabella_sim> test_zones() {
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
  const chilometrica km(test_zones());
  // 0.05 px per metre: 50 px per km, so the step is 2 km.
  const auto t = axis_ticks(km, 0, 10001, 0.05, 64);
  std::vector<std::string> labels;
  for (const auto& x : t) {
    if (!x.text.empty()) labels.push_back(std::to_string(x.metre) + "=" + x.text);
  }
  const std::vector<std::string> expected = {"0=12+000", "2000=10+000", "4000=8+000",
                                             "6000=0+000", "8000=2+000", "10000=4+000"};
  EXPECT_EQ(labels, expected);
  // Both zone starts are marked as such.
  int zone_starts = 0;
  for (const auto& x : t) zone_starts += x.zone_start;
  EXPECT_EQ(zone_starts, 2);

  // 0.02 px per metre: the step is 5 km, and the 10+000 tick, 40 px from
  // the zone start at 0, keeps its tick but gives way with its label.
  std::set<std::string> texts;
  bool tick_10 = false;
  for (const auto& x : axis_ticks(km, 0, 10001, 0.02, 64)) {
    if (!x.text.empty()) texts.insert(x.text);
    tick_10 = tick_10 || (x.metre == 2000 && x.post == 10000 && x.text.empty());
  }
  EXPECT_EQ(texts, (std::set<std::string>{"12+000", "0+000"}));
  EXPECT_TRUE(tick_10);
}

TEST(KilometreStretches, PiecesAndKilometreOptions) {
  const chilometrica km(test_zones());
  const auto p = post_stretches(km, 0, 10000);
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].start_post, 12000);
  EXPECT_EQ(p[0].direction, -1);
  EXPECT_EQ(p[1].start, 6000);
  EXPECT_EQ(p[1].direction, 1);
  const struct {
    const char* text;
    std::optional<int64_t> metre;
  } cases[] = {{"2.5", 2500},      {"11+000", 1000}, {"0+500", 6500}, {"7+000", 5000},
               {"99+000", std::nullopt}, {"abc", std::nullopt}, {"1+", std::nullopt}, {"", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(read_kilometre(c.text, km, 10000), c.metre) << c.text;
}

TEST(Labels, NeverOverlapInACrowdedStretch) {
  // Thirty markers 12 px apart along a straight line, each with a name far
  // wider than the spacing: whatever is placed must not overlap.
  occupancy occ({0, 0, 800, 400});
  std::vector<point> markers;
  for (int i = 0; i < 30; ++i) {
    const point p{100 + 12.0 * i, 200};
    markers.push_back(p);
    occ.add_marker(box::upright(p.x - 5, p.y - 5, p.x + 5, p.y + 5));
  }
  for (double x = 0; x <= 800; x += 4) occ.add_point({x, 200});
  int placed = 0;
  for (const point& p : markers) {
    label e{"STAZIONE NUMERO " + std::to_string(placed), 11.5, 72, true, true, "label"};
    if (place_label(occ, p, {0, -1}, e, false) || place_label(occ, p, {0, -1}, e, true)) ++placed;
  }
  const auto& box = occ.labels();
  ASSERT_EQ(box.size(), static_cast<size_t>(placed));
  // Fewer than a third find room (9 today); a floor against a placement
  // that gives up, not a target.
  EXPECT_GE(placed, 9);
  for (size_t i = 0; i < box.size(); ++i) {
    for (size_t j = i + 1; j < box.size(); ++j) EXPECT_FALSE(box[i].intersects(box[j])) << i << " " << j;
    for (const point& p : markers) EXPECT_FALSE(box[i].contains(p)) << i;
    EXPECT_GE(box[i].x0(), 0);
    EXPECT_LE(box[i].x1(), 800);
  }
}

TEST(Labels, TurnedBoxesMeetOnlyWhenTheyTouch) {
  const double r = std::sqrt(0.5);
  const struct {
    box a, b;
    bool meet;
  } cases[] = {
      {box::upright(0, 0, 10, 10), box::upright(5, 5, 15, 15), true},
      {box::upright(0, 0, 10, 10), box::upright(11, 0, 20, 10), false},
      // A diamond whose corner points at an upright box's corner: apart,
      // though their upright bounds overlap.
      {box::upright(0, 0, 10, 10), {{17, 17}, r, r, 5, 5}, false},
      {box::upright(0, 0, 10, 10), {{13, 13}, r, r, 5, 5}, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.a.intersects(c.b), c.meet);
    EXPECT_EQ(c.b.intersects(c.a), c.meet);
  }
}

TEST(RouteObjects, EveryKindAtItsPosition) {
  stato_compilazione st = sample_state();
  auto put = [&](int c, uint8_t code, int16_t d1) {
    st.percorso[static_cast<size_t>(c)].tipo = code;
    st.percorso[static_cast<size_t>(c)].dato1 = d1;
  };
  put(61, 14, 79);  // a text board that names no tunnel
  st.tabella_sim[79].testo = "(P.L.)(km 3+000)";
  put(71, 6, 1800);
  put(80, 12, 60);   // abbattimento with a speed
  put(81, 13, 0);    // abbattimento without
  put(140, 12, 180); // a board of the derivation rules
  put(126, 4, 40);
  put(125, 5, 1);
  st.percorso[99].avvicinamento = 81;
  loaded_scenario s;
  s.table = st.tabella_sim;
  s.cells = st.percorso;
  const auto objects = route_objects(s);
  std::map<std::string, std::vector<std::string>> by_kind;
  for (const auto& o : objects) {
    by_kind[kind_name(o.kind)].push_back(std::to_string(o.metre) + (o.name.empty() ? "" : " " + o.name));
  }
  using V = std::vector<std::string>;
  EXPECT_EQ(by_kind["text-board"], (V{"1900 GALLERIA ROVELLO m.1000", "3000 P.L. km 3+000"}));
  EXPECT_EQ(by_kind["speed-indicator"], (V{"3500 1800 0 0"}));
  EXPECT_EQ(by_kind["abbattimento"], (V{"4000 60", "4050 no speed"}));
  EXPECT_EQ(by_kind["derived-board"], (V{"7000 180"}));
  EXPECT_EQ(by_kind["warning-board"], (V{"6250 40 km/h"}));
  EXPECT_EQ(by_kind["advance-mark"], (V{"6250 1"}));
  EXPECT_EQ(by_kind["approach-mark"], (V{"4950 81"}));
  EXPECT_EQ(by_kind["signal"], (V{"2500", "5000", "10000"}));
  EXPECT_EQ(by_kind["slowdown"], (V{"7450 40 km/h"}));
  EXPECT_EQ(by_kind["tunnel"], (V{"2000 ROVELLO", "8200"}));
  EXPECT_EQ(by_kind["station"], (V{"1000 BORGO PROVA", "5000 MONTE <&> PROVA", "9000 FINE PROVA"}));

  // When the compile says which cells the rules changed, that decides.
  s.derived.assign(s.cells.size(), false);
  s.derived[80] = true;
  std::set<int32_t> derived_at;
  for (const auto& o : route_objects(s)) {
    if (o.kind == object_kind::derived_board) derived_at.insert(o.metre);
  }
  EXPECT_EQ(derived_at, (std::set<int32_t>{4000}));
}

}  // namespace
}  // namespace scenario::drawing
