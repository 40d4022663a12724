#include "model/binary_files.h"

#include <gtest/gtest.h>

#include "model/coding.h"

namespace scenario {
namespace {

// A route of 88,000 m with its track plan filled as the line reader leaves it.
stato_compilazione route_of_88_km() {
  stato_compilazione s;
  s.genera_linea = true;
  dimensiona(s, 88000);
  auto& m = s.matrice_linea;
  m.imposta_intero(0, 0, 0);
  m.imposta_intero(1, 0, 1);
  for (int32_t i = 2; i <= m.ultimo() - 2; ++i) m.imposta_doppio(i, 0.5 * i, -0.25 * i);
  return s;
}

TEST(Model, SizesFromTheRouteLength) {
  stato_compilazione s = route_of_88_km();
  EXPECT_EQ(s.ultima_cella(), 1900);
  EXPECT_EQ(s.matrice_linea.ultimo(), 95000);
  EXPECT_EQ(s.matrice_linea.tipo(94999), tipo_elemento::vuoto);
  // P = near(L / 50), halves to even.
  EXPECT_EQ(celle_da_lunghezza(-6975), 0);    // 0.5
  EXPECT_EQ(celle_da_lunghezza(-6925), 2);    // 1.5
  EXPECT_EQ(celle_da_lunghezza(1000000), 20140);
}

TEST(BinaryFiles, RouteFileIsFifteenBytesACell) {
  stato_compilazione s = route_of_88_km();
  s.percorso[1].dato1 = 5121;
  s.percorso[2] = cella{14, -1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  const std::string dat = scrivi_percorso(s);
  ASSERT_EQ(dat.size(), 28515u);
  EXPECT_EQ(static_cast<uint8_t>(dat[16]), 1);
  EXPECT_EQ(static_cast<uint8_t>(dat[17]), 20);
  EXPECT_EQ(dat.substr(30, 15), std::string("\x0e\xff\xff\x02\x00\x03\x00\x04\x00\x05\x06\x07\x08\x09\x0a", 15));
}

TEST(BinaryFiles, TrackPlanTagsEachElementWithItsKind) {
  stato_compilazione s = route_of_88_km();
  const std::string linea = scrivi_matrice_linea(s);
  ASSERT_EQ(linea.size(), 1899964u);  // 20·L − 36
  EXPECT_EQ(linea.substr(0, 4), std::string("\x02\x00\x00\x00", 4));  // (0, 0): integer 0
  EXPECT_EQ(coding::DecodeU16(&linea[8]), 5);                         // (2, 0): a double
  EXPECT_EQ(coding::DecodeF64(&linea[10]), 1.0);
  EXPECT_EQ(linea.substr(linea.size() - 2), std::string("\x00\x00", 2));  // (L, 1): empty
  // The second half starts with point (0, 1), then (1, 1) = integer 1.
  const size_t half = linea.size() / 2;
  EXPECT_EQ(linea.substr(half, 8), std::string("\x02\x00\x00\x00\x02\x00\x01\x00", 8));
}

TEST(BinaryFiles, ScenarioTableRowsAre34BytesPlusTheirText) {
  stato_compilazione s;
  const std::string empty = scrivi_tabella_sim(s);
  ASSERT_EQ(empty.size(), 2958u);
  EXPECT_EQ(empty.substr(14, 2), std::string("\0\0", 2));

  s.tabella_sim[riga_linea].testo = "Borgo Varnello_Calmea";
  s.tabella_sim[riga_ripetizione].testo = "Reg 27594";
  EXPECT_EQ(scrivi_tabella_sim(s).size(), 2988u);
}

TEST(BinaryFiles, ScenarioTableFieldsInOrder) {
  stato_compilazione s;
  record_sim& r = s.tabella_sim[0];
  r = record_sim{1, -1, 70000, 3, 4, "AB", 610, -2, 7, 8, 9, 10, 11, 12, 13, 23400};
  const std::string sim = scrivi_tabella_sim(s);
  const std::string expected(
      "\x01"
      "\xff\xff\xff\xff"
      "\x70\x11\x01\x00"
      "\x03\x00\x00\x00"
      "\x04"
      "\x02\x00" "AB"
      "\x62\x02" "\xfe\xff" "\x07\x00" "\x08\x00" "\x09\x00"
      "\x0a\x0b\x0c\x0d"
      "\x68\x5b\x00\x00",
      36);
  EXPECT_EQ(sim.substr(0, 36), expected);
}

}  // namespace
}  // namespace scenario
