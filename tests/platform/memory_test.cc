#include "platform/memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>

namespace scenario {
namespace {

// Sizes below, at and above the size from which blocks come from the system
// rather than the heap, and around one huge page.
class MemoriaAzzerata : public ::testing::TestWithParam<std::size_t> {};

TEST_P(MemoriaAzzerata, IsZeroedWritableToItsEndAndMovable) {
  const std::size_t n = GetParam();
  memoria_azzerata m(n);
  ASSERT_TRUE(m);
  for (std::size_t i = 0; i < n; i += 4096) ASSERT_EQ(m.get()[i], 0) << i;
  ASSERT_EQ(m.get()[n - 1], 0);
  std::memset(m.get(), 0x5a, n);

  memoria_azzerata spostata(std::move(m));
  EXPECT_FALSE(m);
  EXPECT_EQ(spostata.get()[n - 1], 0x5a);
  if (n >= memoria_mappata_da) {
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(spostata.get()) % (std::size_t{2} << 20), 0u);
  }
  // Assigning over a held block gives it back (a heap block left behind
  // would show as a leak under the sanitizers).
  spostata = memoria_azzerata(n);
  EXPECT_EQ(spostata.get()[n - 1], 0);
}

INSTANTIATE_TEST_SUITE_P(Misure, MemoriaAzzerata,
                         ::testing::Values(std::size_t{1}, std::size_t{4096},
                                           memoria_mappata_da - 1, memoria_mappata_da,
                                           std::size_t{1900000},
                                           (std::size_t{2} << 20) - 1, std::size_t{2} << 20,
                                           (std::size_t{2} << 20) * 10 + 12345));

}  // namespace
}  // namespace scenario
