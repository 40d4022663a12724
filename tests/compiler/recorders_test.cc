#include "compiler/recorders.h"

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/model.h"
#include "support/cell_diff.h"
#include "support/faults_seen.h"

namespace scenario {
namespace {

// 88,000 m of line: cells 0 .. 1900.
constexpr int32_t kLunghezza = 88000;
constexpr int kUltima = 1900;

using testing::describe_cell;
using testing::cell_differences;

// A sized route whose allocation ends exactly at cell P, so that a write
// past it lands in the sanitizer's red zone. posizione_errore holds a mark
// that a recorder must never touch.
stato_compilazione percorso_pronto() {
  stato_compilazione s;
  dimensiona(s, kLunghezza);
  s.percorso.shrink_to_fit();
  s.posizione_errore = 777;
  return s;
}

// What every recorder call must leave alone, whatever it returned: the
// refusal is reported by the reader, from the returned result.
void controlla_effetti_collaterali(const stato_compilazione& s, int32_t) {
  EXPECT_EQ(s.ultima_cella(), kUltima);
  EXPECT_EQ(s.posizione_errore, 777) << "recorders leave the position to the reader";
  EXPECT_TRUE(s.diagnostiche.empty()) << "recorders leave the diagnostics to the reader";
  EXPECT_EQ(s.numero_errore, 0) << "recorders leave the fault number to the reader";
}

struct occupied_cell {
  int cella;
  uint8_t tipo;
};

void occupa(stato_compilazione& s, const std::vector<occupied_cell>& celle) {
  for (const auto& o : celle) s.percorso[static_cast<size_t>(o.cella)].tipo = o.tipo;
}

// ---------------------------------------------------------------- tunnels

struct riga_montagna {
  int32_t inizio, fine, tipo;
};

struct mountain_case {
  const char* nome;
  std::vector<riga_montagna> precedenti;  // rows recorded before the one under test
  riga_montagna riga;
  std::vector<occupied_cell> occupate;
  int prima, ultima;        // cells of the row under test that get galleria
  uint8_t galleria;
  std::vector<int> marcatori;  // cells that become 11
};

void PrintTo(const mountain_case& c, std::ostream* os) { *os << c.nome; }

class TunnelRecorder : public ::testing::TestWithParam<mountain_case> {};

TEST_P(TunnelRecorder, MarksItsCellsAndEveryFourthEmptyOne) {
  const mountain_case& k = GetParam();
  stato_compilazione s = percorso_pronto();
  for (const auto& r : k.precedenti) ASSERT_EQ(memo_montagna(s, r.inizio, r.fine, r.tipo).numero, 0);
  occupa(s, k.occupate);
  std::vector<cella> attese = s.percorso;
  for (int c = k.prima; c <= k.ultima; ++c) attese[static_cast<size_t>(c)].galleria = k.galleria;
  for (int c : k.marcatori) attese[static_cast<size_t>(c)].tipo = 11;

  const int32_t r = memo_montagna(s, k.riga.inizio, k.riga.fine, k.riga.tipo).numero;

  EXPECT_EQ(r, 0);
  controlla_effetti_collaterali(s, 0);
  EXPECT_EQ(cell_differences(attese, s.percorso), std::vector<std::string>{});
  const auto n = k.precedenti.size() + 1;
  EXPECT_EQ(s.numero_montagne, static_cast<int32_t>(n));
  EXPECT_EQ(s.montagna_inizio[n], k.riga.inizio);
  EXPECT_EQ(s.montagna_fine[n], k.riga.fine);
}

INSTANTIATE_TEST_SUITE_P(
    Recorders, TunnelRecorder,
    ::testing::Values(
        mountain_case{"first_row_1600_2700_type_11", {}, {1600, 2700, 11}, {}, 32, 53, 1,
                      {35, 39, 43, 47, 51}},
        mountain_case{"markers_only_on_empty_cells", {}, {1600, 2700, 11},
                      {{39, 1}, {43, 11}, {47, 6}}, 32, 53, 1, {35, 43, 51}},
        mountain_case{"type_below_11_has_no_markers", {}, {1600, 2700, 2}, {}, 32, 53, 2, {}},
        mountain_case{"type_10_is_not_above_10", {}, {1600, 2700, 10}, {}, 32, 53, 10, {}},
        mountain_case{"type_12_150_m_after_previous_is_3_with_markers",
                      {{1000, 2000, 11}}, {2150, 3000, 12}, {}, 43, 59, 3, {46, 50, 54, 58}},
        mountain_case{"type_12_151_m_after_previous_is_2_with_markers",
                      {{1000, 2000, 11}}, {2151, 3000, 12}, {}, 43, 59, 2, {46, 50, 54, 58}},
        mountain_case{"overlapping_previous_is_3", {{1000, 2000, 11}}, {1900, 2500, 1}, {}, 38,
                      49, 3, {}},
        mountain_case{"empty_row_still_counts_for_the_150_m_rule",
                      {{1000, 1000, 11}}, {1150, 2000, 1}, {}, 23, 39, 3, {}},
        mountain_case{"half_cells_round_to_even", {}, {1675, 2725, 1}, {}, 34, 54, 1, {}},
        mountain_case{"galleria_keeps_the_low_8_bits", {}, {1600, 1800, 300}, {}, 32, 35, 34,
                      {35}},
        // Outside the route: only cells 0 .. P are marked, and the markers keep
        // their places counted from the tunnel's own first cell.
        mountain_case{"end_beyond_the_route_is_cut_at_P", {}, {94000, 96000, 11}, {}, 1880,
                      kUltima, 1, {1883, 1887, 1891, 1895, 1899}},
        mountain_case{"start_before_the_route_is_cut_at_0", {}, {-500, 500, 11}, {}, 0, 9, 1,
                      {1, 5, 9}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(TunnelTable, AnEmptyRowMarksNothingButIsCounted) {
  stato_compilazione s = percorso_pronto();
  const std::vector<cella> prima = s.percorso;
  EXPECT_EQ(memo_montagna(s, 1000, 1000, 11).numero, 0);
  EXPECT_EQ(cell_differences(prima, s.percorso), std::vector<std::string>{});
  EXPECT_EQ(s.numero_montagne, 1);
}

TEST(TunnelTable, RefusesTheEightyFirstTunnelWithoutTouchingAnything) {
  stato_compilazione s = percorso_pronto();
  for (int32_t n = 0; n < 80; ++n) {
    ASSERT_EQ(memo_montagna(s, 1000 + 1000 * n, 1200 + 1000 * n, 11).numero, 0) << n;
  }
  EXPECT_EQ(s.numero_montagne, 80);
  EXPECT_EQ(s.montagna_inizio[80], 80000);
  const stato_compilazione prima = s;

  EXPECT_EQ(memo_montagna(s, 85000, 86000, 11).numero, 25);

  controlla_effetti_collaterali(s, 25);
  EXPECT_EQ(s.numero_montagne, 80);
  EXPECT_EQ(s.montagna_inizio, prima.montagna_inizio);
  EXPECT_EQ(s.montagna_fine, prima.montagna_fine);
  EXPECT_EQ(cell_differences(prima.percorso, s.percorso), std::vector<std::string>{});
}

// ---------------------------------------------------------------- slow-downs

struct cell_mark {
  int cella;
  uint8_t tipo;
  int16_t dato1, dato2, dato3;
};

struct slowdown_case {
  const char* nome;
  int32_t x, v, l, f_tt, f_ta, d_v;
  std::vector<occupied_cell> occupate;
  int32_t numero;             // returned and left in numero_errore
  std::vector<cell_mark> marche;  // every cell written; nothing else may change
};

void PrintTo(const slowdown_case& c, std::ostream* os) { *os << c.nome; }

class SlowDownRecorder : public ::testing::TestWithParam<slowdown_case> {};

TEST_P(SlowDownRecorder, WritesItsMarksInOrder) {
  const slowdown_case& k = GetParam();
  stato_compilazione s = percorso_pronto();
  occupa(s, k.occupate);
  std::vector<cella> attese = s.percorso;
  for (const cell_mark& m : k.marche) {
    cella& c = attese[static_cast<size_t>(m.cella)];
    c.tipo = m.tipo;
    c.dato1 = m.dato1;
    c.dato2 = m.dato2;
    c.dato3 = m.dato3;
  }

  EXPECT_EQ(memo_rallentamento(s, k.x, k.v, k.l, k.f_tt, k.f_ta, k.d_v).numero, k.numero);

  controlla_effetti_collaterali(s, k.numero);
  EXPECT_EQ(cell_differences(attese, s.percorso), std::vector<std::string>{});
}

const std::vector<cell_mark> kMarche49900 = {{1005, 2, 40, 40, 0}, {999, 3, 40, 40, 0},
                                         {975, 4, 40, 40, 0},  {974, 5, 1, 1, 0},
                                         {973, 5, 2, 2, 0},    {972, 5, 3, 3, 0},
                                         {971, 5, 4, 4, 0}};

INSTANTIATE_TEST_SUITE_P(
    Recorders, SlowDownRecorder,
    ::testing::Values(
        slowdown_case{"example_49900", 49900, 40, 300, 0, 1, 40, {}, 0, kMarche49900},
        slowdown_case{"on_tunnel_markers", 49900, 40, 300, 0, 1, 40,
                           {{1005, 11}, {999, 11}, {975, 11}, {971, 11}}, 0, kMarche49900},
        slowdown_case{"no_d_v_leaves_dato2",
                           49900,
                           40,
                           300,
                           2,
                           1,
                           0,
                           {},
                           0,
                           {{1005, 2, 40, 0, 2},
                            {999, 3, 40, 0, 2},
                            {975, 4, 40, 0, 0},
                            {974, 5, 1, 0, 0},
                            {973, 5, 2, 0, 0},
                            {972, 5, 3, 0, 0},
                            {971, 5, 4, 0, 0}}},
        slowdown_case{"no_f_ta_no_advance_marks", 49900, 40, 300, 0, 0, 40, {}, 0,
                           {{1005, 2, 40, 40, 0}, {999, 3, 40, 40, 0}, {975, 4, 40, 40, 0}}},
        slowdown_case{"at_1500_no_warning_even_with_f_ta", 1500, 30, 500, 0, 1, 0,
                           {{7, 1}},  // where its warning would be: not looked at
                           0, {{41, 2, 30, 0, 0}, {31, 3, 30, 0, 0}}},
        slowdown_case{"at_1550_warning_and_advance_marks",
                           1550,
                           30,
                           500,
                           0,
                           1,
                           0,
                           {},
                           0,
                           {{42, 2, 30, 0, 0},
                            {32, 3, 30, 0, 0},
                            {8, 4, 30, 0, 0},
                            {7, 5, 1, 0, 0},
                            {6, 5, 2, 0, 0},
                            {5, 5, 3, 0, 0},
                            {4, 5, 4, 0, 0}}},
        slowdown_case{"zero_length_start_wins", 49900, 40, 0, 1, 0, 0, {}, 0,
                           {{999, 3, 40, 0, 1}, {975, 4, 40, 0, 0}}},
        slowdown_case{"same_cell_start_wins", 49900, 40, 20, 1, 0, 0, {}, 0,
                           {{999, 3, 40, 0, 1}, {975, 4, 40, 0, 0}}},
        slowdown_case{"low_16_bits", 49900, 70000, 300, -1, 0, 40000, {}, 0,
                           {{1005, 2, 4464, -25536, -1},
                            {999, 3, 4464, -25536, -1},
                            {975, 4, 4464, -25536, 0}}},
        slowdown_case{"warning_taken_17", 49900, 40, 300, 0, 1, 40, {{975, 1}, {999, 1}},
                           17, {}},
        slowdown_case{"start_taken_18", 49900, 40, 300, 0, 1, 40, {{999, 12}, {1005, 1}},
                           18, {}},
        slowdown_case{"end_taken_19", 49900, 40, 300, 0, 1, 40, {{1005, 4}}, 19, {}},
        slowdown_case{"advance_taken_20_keeps_the_main_marks", 49900, 40, 300, 0, 1, 40,
                           {{972, 14}}, 20,
                           {{1005, 2, 40, 40, 0}, {999, 3, 40, 40, 0}, {975, 4, 40, 40, 0}}},
        // The end of a slow-down beyond the route is skipped; a start outside
        // the route cannot be recorded at all.
        slowdown_case{"end_beyond_the_route_is_skipped",
                           94800,
                           60,
                           1000,
                           0,
                           1,
                           0,
                           {},
                           0,
                           {{1897, 3, 60, 0, 0},
                            {1873, 4, 60, 0, 0},
                            {1872, 5, 1, 0, 0},
                            {1871, 5, 2, 0, 0},
                            {1870, 5, 3, 0, 0},
                            {1869, 5, 4, 0, 0}}},
        slowdown_case{"start_before_the_route_25", -100, 60, 1000, 0, 1, 0, {}, 25, {}},
        slowdown_case{"start_beyond_the_route_25", 95000, 60, 100, 0, 1, 0, {}, 25, {}}),
    [](const auto& info) { return std::string(info.param.nome); });

// ---------------------------------------------------------------- signals

struct signal_case {
  const char* nome;
  int32_t posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
  std::vector<occupied_cell> occupate;
  int32_t numero;
  int cella;  // the signal's cell, -1 when nothing is placed
  std::array<int16_t, 4> dati;
  uint8_t tempo_cella;
  std::vector<std::pair<int, uint8_t>> avvicinamenti;
};

void PrintTo(const signal_case& c, std::ostream* os) { *os << c.nome; }

class SignalRecorder : public ::testing::TestWithParam<signal_case> {};

TEST_P(SignalRecorder, PlacesTheSignalAndItsApproachMarks) {
  const signal_case& k = GetParam();
  stato_compilazione s = percorso_pronto();
  occupa(s, k.occupate);
  std::vector<cella> attese = s.percorso;
  if (k.cella >= 0) {
    cella& c = attese[static_cast<size_t>(k.cella)];
    c.tipo = 1;
    c.dato1 = k.dati[0];
    c.dato2 = k.dati[1];
    c.dato3 = k.dati[2];
    c.dato4 = k.dati[3];
    c.tempo = k.tempo_cella;
  }
  for (const auto& [n, v] : k.avvicinamenti) attese[static_cast<size_t>(n)].avvicinamento = v;

  EXPECT_EQ(memo_segnale(s, k.posizione, k.sx, k.s1, k.s2, k.s3, k.rapp, k.dx, k.d1, k.d2, k.d3,
                         k.tempo)
                .numero,
            k.numero);

  controlla_effetti_collaterali(s, k.numero);
  EXPECT_EQ(cell_differences(attese, s.percorso), std::vector<std::string>{});
}

const std::vector<std::pair<int, uint8_t>> kAvv851 = {{849, 81}, {847, 82}, {845, 83}, {843, 84}};

signal_case con_tempo(const char* nome, int32_t sx, int32_t tempo, uint8_t atteso) {
  const uint8_t aspetto = static_cast<uint8_t>((sx * 3 + 2) * 10);
  return {nome, 42500, sx, 2, 3, 0, 0, 2, 2, 1, 0, tempo, {}, 0, 851,
          {22, 31, 0, static_cast<int16_t>(sx * 3 + 2)}, atteso,
          {{849, aspetto + 1}, {847, aspetto + 2}, {845, aspetto + 3}, {843, aspetto + 4}}};
}

INSTANTIATE_TEST_SUITE_P(
    Recorders, SignalRecorder,
    ::testing::Values(
        signal_case{"example_42500", 42500, 2, 2, 3, 0, 0, 2, 2, 1, 0, 210, {}, 0, 851,
                     {22, 31, 0, 8}, 210, kAvv851},
        con_tempo("tempo_0_stays_0", 2, 0, 0), con_tempo("tempo_1_becomes_101", 2, 1, 101),
        con_tempo("tempo_100_becomes_101", 2, 100, 101),
        con_tempo("tempo_101_stays", 2, 101, 101),
        con_tempo("tempo_keeps_low_8_bits", 2, 300, 44),
        con_tempo("negative_tempo_low_8_bits", 2, -5, 251),
        con_tempo("tempo_only_when_sx_is_2", 1, 210, 0),
        signal_case{"replaces_a_tunnel_marker", 42500, 2, 2, 3, 0, 0, 2, 2, 1, 0, 210,
                     {{851, 11}}, 0, 851, {22, 31, 0, 8}, 210, kAvv851},
        signal_case{"marks_go_on_taken_cells_too", 42500, 2, 2, 3, 0, 0, 2, 2, 1, 0, 210,
                     {{849, 12}, {843, 3}}, 0, 851, {22, 31, 0, 8}, 210, kAvv851},
        signal_case{"taken_cell_16", 42500, 2, 2, 3, 0, 0, 2, 2, 1, 0, 210, {{851, 3}}, 16, -1,
                     {}, 0, {}},
        signal_case{"fields_keep_low_bits", 42500, 9, 4000, -1, 0, 7000, 9, 5, 0, 0, 0, {}, 0,
                     851, {-25531, -10, 0, 4500}, 0,
                     {{849, 105}, {847, 106}, {845, 107}, {843, 108}}},
        signal_case{"75_m_rounds_to_cell_2", 75, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, {}, 0, 2,
                     {0, 0, 0, 0}, 0, {{0, 1}}},
        signal_case{"125_m_rounds_to_cell_4", 125, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, {}, 0, 4,
                     {0, 0, 0, 0}, 0, {{2, 1}, {0, 2}}},
        // Approach marks before cell 0 are skipped; a signal whose own cell
        // is outside the route is refused.
        signal_case{"marks_before_cell_0_skipped", 100, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, {}, 0, 3,
                     {0, 0, 0, 4}, 0, {{1, 41}}},
        signal_case{"signal_in_cell_1_has_no_marks", 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, {}, 0, 1,
                     {0, 0, 0, 4}, 0, {}},
        signal_case{"before_the_route_25", -100, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, {}, 25, -1, {}, 0,
                     {}},
        signal_case{"beyond_the_route_25", 95000, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, {}, 25, -1, {},
                     0, {}}),
    [](const auto& info) { return std::string(info.param.nome); });

// ---------------------------------------------------------------- boards

struct indicator_case {
  const char* nome;
  int32_t posizione, vas, vbs, vcs, strisces, vad, vbd, vcd, strisced;
  std::vector<occupied_cell> occupate;
  int32_t numero;
  int cella;  // -1 when nothing is written
  uint8_t tipo;
  std::array<int16_t, 4> dati;
};

void PrintTo(const indicator_case& c, std::ostream* os) { *os << c.nome; }

class SpeedIndicatorRecorder : public ::testing::TestWithParam<indicator_case> {};

TEST_P(SpeedIndicatorRecorder, StoresTheRoundedSpeeds) {
  const indicator_case& k = GetParam();
  stato_compilazione s = percorso_pronto();
  occupa(s, k.occupate);
  std::vector<cella> attese = s.percorso;
  if (k.cella >= 0) {
    cella& c = attese[static_cast<size_t>(k.cella)];
    c.tipo = k.tipo;
    c.dato1 = k.dati[0];
    c.dato2 = k.dati[1];
    c.dato3 = k.dati[2];
    c.dato4 = k.dati[3];
  }

  EXPECT_EQ(memo_indicatori_v_max(s, k.posizione, k.vas, k.vbs, k.vcs, k.strisces, k.vad, k.vbd,
                                  k.vcd, k.strisced)
                .numero,
            k.numero);

  controlla_effetti_collaterali(s, k.numero);
  EXPECT_EQ(cell_differences(attese, s.percorso), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Recorders, SpeedIndicatorRecorder,
    ::testing::Values(
        indicator_case{"example_85900", 85900, 90, 95, 95, 2, 0, 0, 0, 0, {}, 0, 1719, 6,
                        {1800, 1900, 1900, 20}},
        indicator_case{"rounds_to_nearest", 85900, 60, 60, -1, 0, 12, 13, -3, 0, {}, 0, 1719, 6,
                        {1202, 1203, -21, 0}},
        indicator_case{"on_a_tunnel_marker", 85900, 90, 95, 95, 2, 0, 0, 0, 0, {{1719, 11}}, 0,
                        1719, 6, {1800, 1900, 1900, 20}},
        indicator_case{"taken_cell_21", 85900, 90, 95, 95, 2, 0, 0, 0, 0, {{1719, 14}}, 21, -1,
                        0, {}},
        indicator_case{"16_bit_limits_fit", 85900, 1638, -1638, 0, 4000, 35, -40, 0, 5, {}, 0,
                        1719, 6, {32767, -32768, 0, -25531}},
        // A speed that does not fit 16 bits fails the reading; what was
        // stored before it stays, as with any other failed store.
        indicator_case{"first_speed_too_big_25", 85900, 1638, 0, 0, 0, 40, 0, 0, 0, {}, 25, 1719,
                        6, {0, 0, 0, 0}},
        indicator_case{"third_speed_too_small_25", 85900, 1, 2, -1639, 3, 0, 0, 0, 0, {}, 25,
                        1719, 6, {20, 40, 0, 0}},
        indicator_case{"before_the_route_25", -100, 90, 95, 95, 2, 0, 0, 0, 0, {}, 25, -1, 0,
                        {}},
        indicator_case{"beyond_the_route_25", 95000, 90, 95, 95, 2, 0, 0, 0, 0, {}, 25, -1, 0,
                        {}}),
    [](const auto& info) { return std::string(info.param.nome); });

}  // namespace
}  // namespace scenario
