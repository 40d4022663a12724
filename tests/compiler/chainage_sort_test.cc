#include "compiler/chainage_sort.h"

#include <array>
#include <ostream>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "model/model.h"

namespace scenario {
namespace {

// start, offset, flag of one chainage row.
using terna = std::tuple<int32_t, int32_t, int32_t>;
using righe = std::array<terna, 3>;  // rows 81, 82, 83

constexpr std::array<int, 3> kRighe = {81, 82, 83};

void scrivi(stato_compilazione& s, const righe& r) {
  for (size_t j = 0; j < 3; ++j) {
    record_sim& row = s.tabella_sim[static_cast<size_t>(kRighe[j])];
    std::tie(row.inizio, row.fine, row.progressiva) = r[j];
  }
}

righe read_sources(const stato_compilazione& s) {
  righe r;
  for (size_t j = 0; j < 3; ++j) {
    const record_sim& row = s.tabella_sim[static_cast<size_t>(kRighe[j])];
    r[j] = {row.inizio, row.fine, row.progressiva};
  }
  return r;
}

struct sort_case {
  const char* nome;
  righe prima;
  righe dopo;
};

void PrintTo(const sort_case& c, std::ostream* os) { *os << c.nome; }

class ChainageSort : public ::testing::TestWithParam<sort_case> {};

TEST_P(ChainageSort, OrdersByStartAndAdjustsFlaggedOffsets) {
  stato_compilazione s;
  scrivi(s, GetParam().prima);
  progressive_ordina(s);
  EXPECT_EQ(read_sources(s), GetParam().dopo);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChainageSort,
    ::testing::Values(
        sort_case{"embedded_line_keeps_order",
                         {{{49000, -49000, 0}, {46000, -46000, 0}, {0, 46000, 1}}},
                         {{{49000, -49000, 0}, {46000, -46000, 0}, {0, 46100, 1}}}},
        sort_case{"ascending_starts_reversed",
                         {{{0, 1, 0}, {46000, 2, 0}, {49000, 3, 0}}},
                         {{{49000, 3, 0}, {46000, 2, 0}, {0, 1, 0}}}},
        sort_case{"equal_lower_starts_put_row_83_before_82",
                         {{{5000, 1, 0}, {1000, 2, 0}, {1000, 3, 0}}},
                         {{{5000, 1, 0}, {1000, 3, 0}, {1000, 2, 0}}}},
        sort_case{"equal_lower_starts_put_row_83_before_81",
                         {{{1000, 1, 0}, {5000, 2, 0}, {1000, 3, 0}}},
                         {{{5000, 2, 0}, {1000, 3, 0}, {1000, 1, 0}}}},
        sort_case{"equal_lower_starts_put_row_82_before_81",
                         {{{1000, 1, 0}, {1000, 2, 0}, {5000, 3, 0}}},
                         {{{5000, 3, 0}, {1000, 2, 0}, {1000, 1, 0}}}},
        sort_case{"flag_follows_its_row",
                         {{{0, 10, 1}, {5000, 20, 0}, {1000, 30, 0}}},
                         {{{5000, 20, 0}, {1000, 30, 0}, {0, 110, 1}}}},
        sort_case{"only_flag_1_adjusts",
                         {{{3000, 10, 2}, {2000, 20, -1}, {1000, 30, 1}}},
                         {{{3000, 10, 2}, {2000, 20, -1}, {1000, 130, 1}}}},
        sort_case{"all_zero_stays_zero", {}, {}},
        sort_case{"no_starts_row_82_offset_leads",
                         {{{0, 0, 0}, {0, 46000, 0}, {0, 0, 0}}},
                         {{{0, 46000, 0}, {0, 0, 0}, {0, 0, 0}}}},
        sort_case{"no_starts_row_81_offset_leads",
                         {{{0, 5, 1}, {0, -6, 0}, {0, 0, 0}}},
                         {{{0, 105, 1}, {0, -6, 0}, {0, 0, 0}}}},
        sort_case{"no_starts_later_positive_offset_wins",
                         {{{0, 5, 0}, {0, 6, 0}, {0, 7, 0}}},
                         {{{0, 7, 0}, {0, 6, 0}, {0, 5, 0}}}},
        sort_case{"no_starts_rows_81_and_82_positive",
                         {{{0, 5, 0}, {0, 6, 1}, {0, -7, 0}}},
                         {{{0, 106, 1}, {0, 5, 0}, {0, -7, 0}}}},
        sort_case{"no_starts_no_positive_offset_clears_flags_too",
                         {{{0, -5, 1}, {0, 0, 1}, {0, -7, 1}}},
                         {}},
        sort_case{"starts_summing_to_zero_go_by_offsets",
                         {{{100, 1, 0}, {-100, 2, 0}, {0, 3, 0}}},
                         {{{0, 3, 0}, {-100, 2, 0}, {100, 1, 0}}}},
        // Rows sharing the greatest start are ordered like rows sharing a lower
        // one (the higher-numbered row first) instead of being cleared.
        sort_case{"two_greatest_starts_are_ordered_not_cleared",
                         {{{5000, 1, 0}, {5000, 2, 1}, {1000, 3, 0}}},
                         {{{5000, 102, 1}, {5000, 1, 0}, {1000, 3, 0}}}},
        sort_case{"three_equal_starts_are_ordered_not_cleared",
                         {{{7000, 1, 0}, {7000, 2, 0}, {7000, 3, 0}}},
                         {{{7000, 3, 0}, {7000, 2, 0}, {7000, 1, 0}}}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST(ChainageSortRows, MovesOnlyTheThreeValuesAndAddsTheHundredOncePerCall) {
  stato_compilazione s;
  scrivi(s, {{{0, 10, 1}, {5000, 20, 0}, {1000, 30, 0}}});
  for (int j : kRighe) {
    s.tabella_sim[static_cast<size_t>(j)].testo = "riga " + std::to_string(j);
    s.tabella_sim[static_cast<size_t>(j)].orario = j;
  }

  progressive_ordina(s);
  EXPECT_EQ(read_sources(s), (righe{{{5000, 20, 0}, {1000, 30, 0}, {0, 110, 1}}}));
  for (int j : kRighe) {
    EXPECT_EQ(s.tabella_sim[static_cast<size_t>(j)].testo, "riga " + std::to_string(j));
    EXPECT_EQ(s.tabella_sim[static_cast<size_t>(j)].orario, j);
  }

  progressive_ordina(s);
  EXPECT_EQ(read_sources(s), (righe{{{5000, 20, 0}, {1000, 30, 0}, {0, 210, 1}}}));
}

}  // namespace
}  // namespace scenario
