// The track plan is kept in the byte form of "_linea.dat". Whatever kinds its
// points are given, in whatever order, it must read back as set and encode to
// the same bytes as an element-by-element encoding of what was set.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "model/binary_files.h"
#include "model/coding.h"
#include "model/model.h"

namespace scenario {
namespace {

struct expected_point {
  tipo_elemento tipo = tipo_elemento::vuoto;
  double x = 0;
  double y = 0;
};

// A plan and, beside it, what each point was last given.
struct plan_fixture {
  explicit plan_fixture(int32_t ultimo) : expected(static_cast<size_t>(ultimo) + 1) {
    s.genera_linea = true;
    s.matrice_linea.dimensiona(ultimo);
  }
  void intero(int32_t i, int16_t x, int16_t y) {
    s.matrice_linea.imposta_intero(i, x, y);
    expected[static_cast<size_t>(i)] = {tipo_elemento::intero, double(x), double(y)};
  }
  void doppio(int32_t i, double x, double y) {
    s.matrice_linea.imposta_doppio(i, x, y);
    expected[static_cast<size_t>(i)] = {tipo_elemento::doppio, x, y};
  }
  // Straight on over da .. a; expected: the plain recurrence.
  void dritto(int32_t da, int32_t a) {
    s.matrice_linea.prolunga_dritto(da, a);
    for (int32_t i = da; i <= a; ++i) {
      const expected_point& p0 = expected[static_cast<size_t>(i - 2)];
      const expected_point& p1 = expected[static_cast<size_t>(i - 1)];
      expected[static_cast<size_t>(i)] = {tipo_elemento::doppio, p1.x + (p1.x - p0.x), p1.y + (p1.y - p0.y)};
    }
  }
  // The points as the line reader leaves them after computing 2 .. fino.
  void fill_as_the_reader(int32_t fino) {
    intero(0, 0, 0);
    intero(1, 0, 1);
    for (int32_t i = 2; i <= fino; ++i) doppio(i, 0.1 * i, -3.5 * i + 1e-9);
  }

  stato_compilazione s;
  std::vector<expected_point> expected;
};

std::string expected_encoding(const std::vector<expected_point>& punti) {
  std::string out;
  for (int meta = 0; meta < 2; ++meta) {
    for (const expected_point& p : punti) {
      const double v = meta == 0 ? p.x : p.y;
      coding::PutU16(&out, static_cast<uint16_t>(p.tipo));
      if (p.tipo == tipo_elemento::intero) coding::PutI16(&out, static_cast<int16_t>(v));
      if (p.tipo == tipo_elemento::doppio) coding::PutF64(&out, v);
    }
  }
  return out;
}

struct plan_case {
  const char* name;
  int32_t ultimo;
  std::function<void(plan_fixture&)> fill;
  bool without_copy;  // the plan is finished: its bytes are the file as they stand
};

class TrackPlanBuffer : public ::testing::TestWithParam<plan_case> {};

TEST_P(TrackPlanBuffer, ReadsBackAsSetAndEncodesElementByElement) {
  const plan_case& c = GetParam();
  plan_fixture p(c.ultimo);
  c.fill(p);
  const matrice_punti& m = p.s.matrice_linea;
  ASSERT_EQ(m.ultimo(), c.ultimo);
  for (int32_t i = 0; i <= c.ultimo; ++i) {
    const expected_point& a = p.expected[static_cast<size_t>(i)];
    ASSERT_EQ(m.tipo(i), a.tipo) << "point " << i;
    ASSERT_EQ(m.x(i), a.x) << "point " << i;
    ASSERT_EQ(m.y(i), a.y) << "point " << i;
  }
  const std::string attesa = expected_encoding(p.expected);
  EXPECT_EQ(scrivi_matrice_linea(p.s), attesa);
  std::string appoggio;
  EXPECT_EQ(immagine_matrice_linea(p.s, appoggio), attesa);
  EXPECT_EQ(m.immagine().has_value(), c.without_copy);

  // A copy of the state is a plan of its own.
  stato_compilazione copia = p.s;
  if (c.ultimo >= 0) {
    p.s.matrice_linea.imposta_doppio(c.ultimo / 2, 7, 7);
    p.s.matrice_linea.imposta_intero(c.ultimo, 7, 7);
  }
  EXPECT_EQ(scrivi_matrice_linea(copia), attesa);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, TrackPlanBuffer,
    ::testing::Values(
        plan_case{"Finished", 40, [](plan_fixture& p) { p.fill_as_the_reader(38); }, true},
        plan_case{"FinishedAtThe88KmRoute", 95000, [](plan_fixture& p) { p.fill_as_the_reader(94998); }, true},
        plan_case{"Fresh", 40, [](plan_fixture&) {}, false},
        // A compile that stopped early leaves the rest of the plan empty.
        plan_case{"StoppedHalfway", 40, [](plan_fixture& p) { p.fill_as_the_reader(20); }, false},
        // A point set ahead of the others leaves those between empty.
        plan_case{"AheadOfTheRest", 40,
             [](plan_fixture& p) {
               p.intero(0, 0, 0);
               p.doppio(25, 2.5, 3.5);
               p.doppio(3, 0.25, 0.75);
             },
             false},
        plan_case{"AheadThenFinished", 40,
             [](plan_fixture& p) {
               p.doppio(30, -1, -2);
               p.fill_as_the_reader(38);
             },
             true},
        // Two runs of doubles with empty points between them.
        plan_case{"GapBetweenTwoRuns", 40,
             [](plan_fixture& p) {
               p.fill_as_the_reader(10);
               for (int32_t i = 15; i <= 38; ++i) p.doppio(i, 0.5 * i, -0.25 * i);
             },
             false},
        // A straight stretch over points set before it, ahead or behind.
        plan_case{"StraightOverAnIntegerSetAhead", 40,
             [](plan_fixture& p) {
               p.intero(0, 0, 0);
               p.intero(1, 0, 1);
               p.intero(30, 5, 6);
               p.dritto(2, 38);
             },
             true},
        plan_case{"StraightInPiecesOverADoubleSetAhead", 200,
             [](plan_fixture& p) {
               p.intero(0, 0, 0);
               p.intero(1, 3, 4);
               p.doppio(150, 1.5, 2.5);
               p.dritto(2, 100);
               p.dritto(101, 198);
             },
             true},
        plan_case{"StraightAgainOverAFinishedPlan", 200,
             [](plan_fixture& p) {
               p.fill_as_the_reader(198);
               p.dritto(2, 198);
             },
             true},
        plan_case{"StraightStoppedShort", 200,
             [](plan_fixture& p) {
               p.intero(0, 0, 0);
               p.intero(1, 0, 1);
               p.dritto(2, 150);
             },
             false},
        plan_case{"StraightAtThe88KmRoute", 95000,
             [](plan_fixture& p) {
               p.intero(0, 0, 0);
               p.intero(1, 1, 1);
               p.dritto(2, 94998);
             },
             true},
        plan_case{"IntegerInTheMiddle", 40,
             [](plan_fixture& p) {
               p.fill_as_the_reader(38);
               p.intero(17, -3, 300);
             },
             false},
        // Changing a point's kind back and forth ends where it ends.
        plan_case{"DoubleIntegerDouble", 40,
             [](plan_fixture& p) {
               p.fill_as_the_reader(38);
               p.intero(17, 1, 2);
               p.doppio(17, 1.25, 2.5);
             },
             true},
        plan_case{"DoubleAtTheStart", 40,
             [](plan_fixture& p) {
               p.fill_as_the_reader(38);
               p.doppio(0, 0.5, -0.5);
             },
             false},
        plan_case{"StartSetTwice", 40,
             [](plan_fixture& p) {
               p.doppio(0, 0.5, -0.5);
               p.fill_as_the_reader(38);
             },
             true},
        plan_case{"ValuesAtTheLastTwoPoints", 40,
             [](plan_fixture& p) {
               p.fill_as_the_reader(38);
               p.doppio(39, 1, 2);
               p.intero(40, 3, 4);
             },
             false},
        plan_case{"ThreePoints", 3, [](plan_fixture& p) { p.fill_as_the_reader(1); }, true},
        plan_case{"TwoPoints", 2,
             [](plan_fixture& p) {
               p.intero(0, 0, 0);
               p.doppio(1, 2, 3);
               p.intero(2, 4, 5);
             },
             false},
        plan_case{"OnePoint", 0, [](plan_fixture& p) { p.doppio(0, 9, 8); }, false},
        plan_case{"Unsized", -1, [](plan_fixture&) {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TrackPlanBuffer, SizingAgainDiscardsThePlan) {
  stato_compilazione s;
  s.matrice_linea.dimensiona(40);
  s.matrice_linea.imposta_doppio(20, 1, 2);
  s.matrice_linea.dimensiona(50);
  EXPECT_EQ(s.matrice_linea.tipo(20), tipo_elemento::vuoto);
  EXPECT_EQ(s.matrice_linea.x(20), 0.0);
  EXPECT_EQ(scrivi_matrice_linea(s).size(), 2u * 2 * 51);
  s.matrice_linea.release();
  EXPECT_FALSE(s.matrice_linea.dimensionata());
  EXPECT_EQ(scrivi_matrice_linea(s), "");
}

// Straight on, the points computed at once must be the sums of the plain
// recurrence bit for bit: from starts whose coordinates cross powers of two
// upwards and downwards, cross zero, reach the range where a step of 1
// rounds, overflow to infinity, or take a step finer than their own binade
// allows; steps that round away, zero steps and signed zeros; in one call
// and split into pieces, and up to the points kept aside at the plan's end.
TEST(TrackPlanBuffer, StraightOnGivesThePlainRecurrenceBitForBit) {
  struct start_point {
    double x0, y0, x1, y1;
  };
  const start_point start_points[] = {
      {0, 0, 0, 1},
      {0.2928932188134524, 0.7071067811865476, 0.9999999999999999, 1.4142135623730951},
      {1023.3, -1023.3, 1023.9000000000001, -1023.9000000000001},
      {-0.001, 4096.2, 0.0007, 4095.9},
      {1e6, 3.0, 1e6 + 1e-7, 3.0 + 1e-17},
      {-0.0, 0.0, 0.0, -0.0},
      {5e-324, -5e-324, 1e-323, -1e-323},
      {12345.678, 8.5, 12345.678, 8.5},
      {-1020.25, 1020.25, -1021.0, 1021.0},
      {9007199254740000.0, -9007199254740000.0, 9007199254740001.0, -9007199254740001.0},
      {1.5e308, -1.5e308, 1.6e308, -1.6e308},
      {12345.678, -1.5e308, 12345.678, -1.6e308},
      {-5e-324, 0.0, -0.0, 5e-324},
      {1023.9999999999999, 0.49999999999999994, 1024.0000000000002, 0.5000000000000001},
      {-3.0, 2.0, -2.999, 1.999},
      {1e-310, 2.0, 3e-310, 2.0 + 4.440892098500626e-16},
  };
  std::vector<start_point> starts(std::begin(start_points), std::end(start_points));
  // And starts drawn at random: coordinates of any magnitude and sign, steps
  // from far below their spacing to far above their size.
  std::mt19937_64 caso(20261211);
  const auto valore = [&] {
    const double mantissa = std::uniform_real_distribution<double>(-2, 2)(caso);
    return std::ldexp(mantissa, std::uniform_int_distribution<int>(-1074, 1023)(caso));
  };
  for (int k = 0; k < 300; ++k) {
    const double x1 = valore(), y1 = valore();
    const double scala = std::ldexp(1.0, std::uniform_int_distribution<int>(-60, 8)(caso));
    starts.push_back({x1 - std::fabs(x1) * scala * 0.7, y1 + std::fabs(y1) * scala, x1, y1});
  }
  constexpr int32_t ultimo = 6000;
  for (const start_point& c : starts) {
    for (int32_t pezzo : {ultimo, 1, 977}) {
      matrice_punti attesa, calcolata;
      for (matrice_punti* m : {&attesa, &calcolata}) {
        m->dimensiona(ultimo);
        m->imposta_doppio(0, c.x0, c.y0);
        m->imposta_doppio(1, c.x1, c.y1);
      }
      attesa.prolunga(2, ultimo, [](double x0, double y0, double x1, double y1, double& x, double& y) {
        x = x1 + (x1 - x0);
        y = y1 + (y1 - y0);
      });
      for (int32_t da = 2; da <= ultimo; da += pezzo) {
        calcolata.prolunga_dritto(da, std::min(ultimo, da + pezzo - 1));
      }
      for (int32_t i = 0; i <= ultimo; ++i) {
        ASSERT_EQ(calcolata.tipo(i), attesa.tipo(i)) << i;
        ASSERT_EQ(std::bit_cast<uint64_t>(calcolata.x(i)), std::bit_cast<uint64_t>(attesa.x(i)))
            << "x of point " << i << " from " << c.x1 << " in pieces of " << pezzo;
        ASSERT_EQ(std::bit_cast<uint64_t>(calcolata.y(i)), std::bit_cast<uint64_t>(attesa.y(i)))
            << "y of point " << i << " from " << c.y1 << " in pieces of " << pezzo;
      }
    }
  }
}

}  // namespace
}  // namespace scenario
