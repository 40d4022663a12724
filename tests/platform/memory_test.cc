#include "platform/memory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>

namespace scenario {
namespace {

// Sizes below, at and above the size from which blocks come from the system
// rather than the heap, and around one huge page.
class ZeroedBufferTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ZeroedBufferTest, IsZeroedWritableToItsEndAndMovable) {
  const std::size_t n = GetParam();
  ZeroedBuffer m(n);
  ASSERT_TRUE(m);
  for (std::size_t i = 0; i < n; i += 4096) ASSERT_EQ(m.get()[i], 0) << i;
  ASSERT_EQ(m.get()[n - 1], 0);
  std::memset(m.get(), 0x5a, n);

  ZeroedBuffer moved(std::move(m));
  EXPECT_FALSE(m);
  EXPECT_EQ(moved.get()[n - 1], 0x5a);
  if (n >= mapped_from_size) {
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(moved.get()) % (std::size_t{2} << 20), 0u);
  }
  // Assigning over a held block gives it back (a heap block left behind
  // would show as a leak under the sanitizers).
  moved = ZeroedBuffer(n);
  EXPECT_EQ(moved.get()[n - 1], 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ZeroedBufferTest,
                         ::testing::Values(std::size_t{1}, std::size_t{4096},
                                           mapped_from_size - 1, mapped_from_size,
                                           std::size_t{1900000},
                                           (std::size_t{2} << 20) - 1, std::size_t{2} << 20,
                                           (std::size_t{2} << 20) + 128, (std::size_t{3} << 20) + 1,
                                           (std::size_t{2} << 20) * 10 + 12345));

}  // namespace
}  // namespace scenario
