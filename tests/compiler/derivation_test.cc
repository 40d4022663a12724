#include "compiler/derivation.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/model.h"
#include "support/cell_diff.h"

namespace scenario {
namespace {

// What a cell holds for the rules: its code and its first value.
struct oggetto {
  int cella;
  int tipo;
  int dato1;
};

oggetto segnale(int c) { return {c, 1, 0}; }
oggetto fine(int c) { return {c, 2, 0}; }
oggetto inizio(int c, int velocita) { return {c, 3, velocita}; }
oggetto avviso(int c) { return {c, 4, 0}; }
oggetto marcatore(int c) { return {c, 11, 0}; }
oggetto cartello(int c, int velocita) { return {c, 12, velocita}; }
oggetto occupata(int c) { return {c, 14, 0}; }  // a text board: taken, not a speed board
oggetto b(int c) { return cartello(c, 180); }   // what the rules place

struct expected_fault {
  int32_t numero;
  int32_t posizione;
};

struct derivation_case {
  const char* nome;
  std::vector<oggetto> prima;
  std::vector<oggetto> cambiate;  // every cell the pass changes, as it must be after
  std::vector<expected_fault> guasti = {};
  int32_t lunghezza = 8000;  // 15,000 m of cells: 0 .. 300
};

void PrintTo(const derivation_case& c, std::ostream* os) { *os << c.nome; }

std::vector<oggetto> unisci(std::vector<oggetto> a, const std::vector<oggetto>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

using testing::describe_cell;
using testing::cell_differences;

void poni(std::vector<cella>& p, const oggetto& o) {
  cella& c = p.at(static_cast<size_t>(o.cella));
  c.tipo = static_cast<uint8_t>(o.tipo);
  c.dato1 = static_cast<int16_t>(o.dato1);
}

class Derivation : public ::testing::TestWithParam<derivation_case> {};

TEST_P(Derivation, PlacesExactlyTheseBoards) {
  const derivation_case& k = GetParam();
  stato_compilazione s;
  dimensiona(s, k.lunghezza);
  // The allocation ends at cell P, so a write past it is a sanitizer error.
  s.percorso.shrink_to_fit();
  for (const oggetto& o : k.prima) poni(s.percorso, o);
  // Other fields carry values the rules must keep.
  for (size_t c = 0; c < s.percorso.size(); ++c) {
    s.percorso[c].dato2 = 7;
    s.percorso[c].velocita = 12;
  }
  s.posizione_errore = 777;
  std::vector<cella> attese = s.percorso;
  for (const oggetto& o : k.cambiate) poni(attese, o);

  deriva_percorso(s);

  EXPECT_EQ(cell_differences(attese, s.percorso), std::vector<std::string>{});
  ASSERT_EQ(s.diagnostiche.size(), k.guasti.size());
  for (size_t j = 0; j < k.guasti.size(); ++j) {
    const Diagnostic& d = s.diagnostiche[j];
    EXPECT_EQ(d.severity, Severity::kError) << j;
    EXPECT_EQ(d.fault_number, std::optional<int32_t>(k.guasti[j].numero)) << j;
    EXPECT_EQ(d.code, "E" + std::to_string(k.guasti[j].numero)) << j;
    EXPECT_EQ(d.position, std::optional<int32_t>(k.guasti[j].posizione)) << j;
    EXPECT_EQ(d.where.file, "") << "no text row placed the objects here";
    EXPECT_EQ(d.where.line, 0);
  }
  EXPECT_EQ(s.numero_errore, k.guasti.empty() ? 0 : k.guasti.back().numero);
  EXPECT_EQ(s.posizione_errore, k.guasti.empty() ? 777 : k.guasti.back().posizione);
}

std::string nome_caso(const ::testing::TestParamInfo<derivation_case>& info) {
  return info.param.nome;
}

// Signals before a warning board: those up to 20 cells before it.
INSTANTIATE_TEST_SUITE_P(
    SignalsBeforeAWarningBoard, Derivation,
    ::testing::Values(
        derivation_case{"board_before_the_signal", {avviso(200), segnale(190)}, {b(189)}},
        derivation_case{"existing_board_over_180_is_capped",
                         {avviso(200), segnale(190), cartello(189, 200), segnale(188)},
                         {cartello(189, 180), b(187)}},
        derivation_case{"existing_board_under_180_stays",
                         {avviso(200), segnale(190), cartello(189, 120), segnale(188)},
                         {b(187)}},
        derivation_case{"free_cell_two_before_wins_over_capping",
                         {avviso(200), segnale(190), cartello(189, 200)}, {b(188)}},
        derivation_case{"board_two_before_is_capped",
                         {avviso(200), segnale(190), occupata(189), cartello(188, 250)},
                         {cartello(188, 180)}},
        derivation_case{"no_room_is_11_at_the_signal",
                         {avviso(200), segnale(190), occupata(189), occupata(188)},
                         {},
                         {{11, 9500}}},
        derivation_case{"look_back_goes_on_after_a_fault",
                         {avviso(200), segnale(195), occupata(194), occupata(193), segnale(190)},
                         {b(189)},
                         {{11, 9750}}},
        derivation_case{"every_signal_in_the_window",
                         {avviso(200), segnale(195), segnale(185)}, {b(194), b(184)}},
        derivation_case{"signal_20_cells_back", {avviso(200), segnale(180)}, {b(179)}},
        derivation_case{"signal_21_cells_back_ignored", {avviso(200), segnale(179)}, {}},
        derivation_case{"signal_in_cell_3", {avviso(10), segnale(3)}, {b(2)}},
        derivation_case{"signal_in_cell_2_ignored", {avviso(10), segnale(2)}, {}},
        derivation_case{"tunnel_marker_is_free", {avviso(200), segnale(190), marcatore(189)},
                         {b(189)}},
        derivation_case{"second_warning_adds_a_second_board",
                         {avviso(200), avviso(205), segnale(190)}, {b(189), b(188)}}),
    nome_caso);

// Boards before a slow-down: one in each of three windows before its start.
// The stretches here are fast, so none of them is walked for boards.
INSTANTIATE_TEST_SUITE_P(
    BoardsBeforeASlowDown, Derivation,
    ::testing::Values(
        derivation_case{"start_30", {inizio(30, 120), fine(32)}, {b(25), b(19), b(12)}},
        derivation_case{"signal_on_the_near_cell", {inizio(30, 120), fine(32), segnale(25)},
                         {b(24), b(19), b(12)}},
        derivation_case{"third_cell_of_the_window",
                         {inizio(30, 120), fine(32), occupata(25), occupata(24)},
                         {b(23), b(19), b(12)}},
        derivation_case{"near_window_full_is_12_and_others_still_placed",
                         {inizio(30, 120), fine(32), occupata(25), occupata(24), occupata(23)},
                         {b(19), b(12)},
                         {{12, 1500}}},
        derivation_case{"every_window_full",
                         {inizio(30, 120), fine(32), occupata(25), occupata(24), occupata(23),
                          occupata(19), occupata(18), occupata(17), occupata(12), occupata(11),
                          occupata(10)},
                         {},
                         // One fault for the start, told once though all three windows are full.
                         {{12, 1500}}},
        derivation_case{"tunnel_marker_is_free", {inizio(30, 120), fine(32), marcatore(25)},
                         {b(25), b(19), b(12)}},
        derivation_case{"start_7_none", {inizio(7, 120), fine(9)}, {}},
        derivation_case{"start_8_near", {inizio(8, 120), fine(10)}, {b(3)}},
        derivation_case{"start_13_near", {inizio(13, 120), fine(15)}, {b(8)}},
        derivation_case{"start_14_near_middle", {inizio(14, 120), fine(16)}, {b(9), b(3)}},
        derivation_case{"start_20_near_middle", {inizio(20, 120), fine(22)}, {b(15), b(9)}},
        derivation_case{"start_21_all_three", {inizio(21, 120), fine(23)},
                         {b(16), b(10), b(3)}}),
    nome_caso);

// The boards before a slow-down starting at cell 100.
const std::vector<oggetto> kDavanti100 = {b(95), b(89), b(82)};

// Boards through a slow stretch: one every 8 cells through a stretch below 110, from the start
// at cell 100 to the end at cell 130 unless the case says otherwise.
INSTANTIATE_TEST_SUITE_P(
    BoardsThroughASlowStretch, Derivation,
    ::testing::Values(
        derivation_case{"speed_60_with_signal_135",
                         {inizio(100, 60), fine(130), segnale(135)},
                         unisci(kDavanti100, {b(108), b(116), b(124), b(134)})},
        derivation_case{"signal_on_the_third_board_cell",
                         {inizio(100, 60), fine(130), segnale(124)},
                         unisci(kDavanti100, {b(108), b(116), b(123)})},
        derivation_case{"speed_110_no_walk", {inizio(100, 110), fine(130)}, kDavanti100},
        derivation_case{"speed_109_walks", {inizio(100, 109), fine(130)},
                         unisci(kDavanti100, {b(108), b(116), b(124)})},
        derivation_case{"cell_before_taken_keeps_spacing",
                         {inizio(100, 60), fine(130), occupata(108)},
                         unisci(kDavanti100, {b(107), b(115), b(123)})},
        derivation_case{"cell_after_keeps_spacing",
                         {inizio(100, 60), fine(130), occupata(108), occupata(107)},
                         unisci(kDavanti100, {b(109), b(117), b(125)})},
        derivation_case{"no_room_is_13_and_ends_the_boards",
                         {inizio(100, 60), fine(130), occupata(107), occupata(108),
                          occupata(109)},
                         kDavanti100,
                         {{13, 5400}}},
        derivation_case{"end_before_the_first_board", {inizio(100, 60), fine(105)},
                         kDavanti100},
        derivation_case{"board_due_on_the_end_cell", {inizio(100, 60), fine(108)},
                         unisci(kDavanti100, {b(107)})},
        derivation_case{"board_due_on_the_end_cell_goes_after_it",
                         {inizio(100, 60), fine(108), occupata(107)},
                         unisci(kDavanti100, {b(109)})},
        derivation_case{"tunnel_marker_is_free", {inizio(100, 60), fine(130), marcatore(116)},
                         unisci(kDavanti100, {b(108), b(116), b(124)})}),
    nome_caso);

const std::vector<oggetto> kLento100 = {b(95), b(89), b(82), b(108), b(116), b(124)};

// The board after a slow stretch: before the first signal from the end cell to 12 cells after.
INSTANTIATE_TEST_SUITE_P(
    BoardAfterASlowStretch, Derivation,
    ::testing::Values(
        derivation_case{"signal_12_after_the_end", {inizio(100, 60), fine(130), segnale(142)},
                         unisci(kLento100, {b(141)})},
        derivation_case{"signal_13_after_the_end_ignored",
                         {inizio(100, 60), fine(130), segnale(143)}, kLento100},
        derivation_case{"signal_right_after_the_end",
                         {inizio(100, 60), fine(130), segnale(131)}, unisci(kLento100, {b(129)})},
        derivation_case{"first_signal_only",
                         {inizio(100, 60), fine(130), segnale(133), segnale(136)},
                         unisci(kLento100, {b(132)})},
        derivation_case{"no_room_is_13_at_the_end_cell",
                         {inizio(100, 60), fine(130), segnale(135), occupata(134), occupata(133)},
                         kLento100,
                         {{13, 6500}}},
        // A fast stretch is scanned after its own end, not after the end of an
        // earlier slow stretch.
        derivation_case{"fast_stretch_scans_after_its_own_end",
                         {inizio(40, 60), fine(50), inizio(100, 120), fine(130), segnale(135)},
                         {b(35), b(29), b(22), b(48), b(95), b(89), b(82), b(134)}},
        derivation_case{"signals_before_a_warning_board_see_the_board_placed_ahead",
                         {inizio(100, 60), fine(130), segnale(135), avviso(140)},
                         unisci(kLento100, {b(134), b(133)})}),
    nome_caso);

// The end of the route: cells 0 .. 140. The walk and the scan stop at cell
// P; nothing past it is read or written.
INSTANTIATE_TEST_SUITE_P(
    RouteEnd, Derivation,
    ::testing::Values(
        derivation_case{"walk_without_end_stops_at_P",
                         {inizio(130, 60)},
                         {b(125), b(119), b(112), b(138)},
                         {},
                         0},
        derivation_case{"board_due_on_P", {inizio(132, 60)}, {b(127), b(121), b(114), b(140)},
                         {}, 0},
        derivation_case{"no_cell_after_P_is_13",
                         {inizio(132, 60), occupata(140), occupata(139)},
                         {b(127), b(121), b(114)},
                         {{13, 7000}},
                         0},
        derivation_case{"scan_reaches_a_signal_on_P",
                         {inizio(125, 60), fine(135), segnale(140)},
                         {b(120), b(114), b(107), b(133), b(139)},
                         {},
                         0},
        derivation_case{"fast_stretch_without_end_scans_from_P",
                         {inizio(130, 120), segnale(140)},
                         {b(125), b(119), b(112), b(139)},
                         {},
                         0},
        derivation_case{"cells_P_minus_1_and_P_never_trigger",
                         {segnale(130), avviso(139), inizio(140, 60)},
                         {},
                         {},
                         0},
        derivation_case{"cell_P_minus_2_triggers", {segnale(130), avviso(138)}, {b(129)}, {}, 0},
        derivation_case{"cell_0_never_triggers", {inizio(0, 60)}, {}, {}, 0}),
    nome_caso);

TEST(DerivationWithoutRoute, AnUnsizedRouteIsLeftAlone) {
  stato_compilazione s;
  deriva_percorso(s);
  EXPECT_TRUE(s.percorso.empty());
  EXPECT_EQ(s.numero_errore, 0);
}

}  // namespace
}  // namespace scenario
