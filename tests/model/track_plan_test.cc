// The track plan is kept in the byte form of "_linea.dat". Whatever kinds its
// points are given, in whatever order, it must read back as set and encode to
// the same bytes as an element-by-element encoding of what was set.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/binary_files.h"
#include "model/coding.h"
#include "model/model.h"

namespace scenario {
namespace {

struct punto {
  tipo_elemento tipo = tipo_elemento::vuoto;
  double x = 0;
  double y = 0;
};

// A plan and, beside it, what each point was last given.
struct piano {
  explicit piano(int32_t ultimo) : attesi(static_cast<size_t>(ultimo) + 1) {
    s.genera_linea = true;
    s.matrice_linea.dimensiona(ultimo);
  }
  void intero(int32_t i, int16_t x, int16_t y) {
    s.matrice_linea.imposta_intero(i, x, y);
    attesi[static_cast<size_t>(i)] = {tipo_elemento::intero, double(x), double(y)};
  }
  void doppio(int32_t i, double x, double y) {
    s.matrice_linea.imposta_doppio(i, x, y);
    attesi[static_cast<size_t>(i)] = {tipo_elemento::doppio, x, y};
  }
  // The points as the line reader leaves them after computing 2 .. fino.
  void come_il_lettore(int32_t fino) {
    intero(0, 0, 0);
    intero(1, 0, 1);
    for (int32_t i = 2; i <= fino; ++i) doppio(i, 0.1 * i, -3.5 * i + 1e-9);
  }

  stato_compilazione s;
  std::vector<punto> attesi;
};

std::string codifica_attesa(const std::vector<punto>& punti) {
  std::string out;
  for (int meta = 0; meta < 2; ++meta) {
    for (const punto& p : punti) {
      const double v = meta == 0 ? p.x : p.y;
      coding::PutU16(&out, static_cast<uint16_t>(p.tipo));
      if (p.tipo == tipo_elemento::intero) coding::PutI16(&out, static_cast<int16_t>(v));
      if (p.tipo == tipo_elemento::doppio) coding::PutF64(&out, v);
    }
  }
  return out;
}

struct caso {
  const char* nome;
  int32_t ultimo;
  std::function<void(piano&)> riempi;
  bool senza_copia;  // the plan is finished: its bytes are the file as they stand
};

class TrackPlanBuffer : public ::testing::TestWithParam<caso> {};

TEST_P(TrackPlanBuffer, ReadsBackAsSetAndEncodesElementByElement) {
  const caso& c = GetParam();
  piano p(c.ultimo);
  c.riempi(p);
  const matrice_punti& m = p.s.matrice_linea;
  ASSERT_EQ(m.ultimo(), c.ultimo);
  for (int32_t i = 0; i <= c.ultimo; ++i) {
    const punto& a = p.attesi[static_cast<size_t>(i)];
    ASSERT_EQ(m.tipo(i), a.tipo) << "point " << i;
    ASSERT_EQ(m.x(i), a.x) << "point " << i;
    ASSERT_EQ(m.y(i), a.y) << "point " << i;
  }
  const std::string attesa = codifica_attesa(p.attesi);
  EXPECT_EQ(scrivi_matrice_linea(p.s), attesa);
  std::string appoggio;
  EXPECT_EQ(immagine_matrice_linea(p.s, appoggio), attesa);
  EXPECT_EQ(m.immagine().has_value(), c.senza_copia);

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
        caso{"Finished", 40, [](piano& p) { p.come_il_lettore(38); }, true},
        caso{"FinishedAtThe88KmRoute", 95000, [](piano& p) { p.come_il_lettore(94998); }, true},
        caso{"Fresh", 40, [](piano&) {}, false},
        // A compile that stopped early leaves the rest of the plan empty.
        caso{"StoppedHalfway", 40, [](piano& p) { p.come_il_lettore(20); }, false},
        // A point set ahead of the others leaves those between empty.
        caso{"AheadOfTheRest", 40,
             [](piano& p) {
               p.intero(0, 0, 0);
               p.doppio(25, 2.5, 3.5);
               p.doppio(3, 0.25, 0.75);
             },
             false},
        caso{"AheadThenFinished", 40,
             [](piano& p) {
               p.doppio(30, -1, -2);
               p.come_il_lettore(38);
             },
             true},
        caso{"IntegerInTheMiddle", 40,
             [](piano& p) {
               p.come_il_lettore(38);
               p.intero(17, -3, 300);
             },
             false},
        // Changing a point's kind back and forth ends where it ends.
        caso{"DoubleIntegerDouble", 40,
             [](piano& p) {
               p.come_il_lettore(38);
               p.intero(17, 1, 2);
               p.doppio(17, 1.25, 2.5);
             },
             true},
        caso{"DoubleAtTheStart", 40,
             [](piano& p) {
               p.come_il_lettore(38);
               p.doppio(0, 0.5, -0.5);
             },
             false},
        caso{"StartSetTwice", 40,
             [](piano& p) {
               p.doppio(0, 0.5, -0.5);
               p.come_il_lettore(38);
             },
             true},
        caso{"ValuesAtTheLastTwoPoints", 40,
             [](piano& p) {
               p.come_il_lettore(38);
               p.doppio(39, 1, 2);
               p.intero(40, 3, 4);
             },
             false},
        caso{"ThreePoints", 3, [](piano& p) { p.come_il_lettore(1); }, true},
        caso{"TwoPoints", 2,
             [](piano& p) {
               p.intero(0, 0, 0);
               p.doppio(1, 2, 3);
               p.intero(2, 4, 5);
             },
             false},
        caso{"OnePoint", 0, [](piano& p) { p.doppio(0, 9, 8); }, false},
        caso{"Unsized", -1, [](piano&) {}, false}),
    [](const auto& info) { return std::string(info.param.nome); });

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

}  // namespace
}  // namespace scenario
