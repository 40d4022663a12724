// Memory for large buffers that are written once from end to end.
#pragma once

#include <cstddef>

namespace scenario {

// Blocks of this size and more are mapped from the system in whole huge
// pages (2 MB); smaller ones come from the heap.
inline constexpr std::size_t memoria_mappata_da = std::size_t{1} << 20;

// `size` zeroed bytes, owned. A large block (from memoria_mappata_da up) is
// mapped from the system, aligned to 2 MB, rounded up to whole 2 MB and
// offered huge pages: the system hands it out zeroed, so it is not cleared a
// second time, and filling it costs a page fault every 2 MB rather than
// every 4 kB. Rounding a block of 1 to 2 MB up costs at most as much memory
// again, and lets the system back it with one huge page instead of up to
// 511 small ones (the track plan of an 88 km route is 1.9 MB). Throws
// std::bad_alloc when there is no memory.
class memoria_azzerata {
 public:
  memoria_azzerata() = default;
  explicit memoria_azzerata(std::size_t size);
  ~memoria_azzerata();
  memoria_azzerata(memoria_azzerata&& other) noexcept;
  memoria_azzerata& operator=(memoria_azzerata&& other) noexcept;
  memoria_azzerata(const memoria_azzerata&) = delete;
  memoria_azzerata& operator=(const memoria_azzerata&) = delete;

  char* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  void rilascia() noexcept;

  char* p_ = nullptr;
  std::size_t mappati_ = 0;  // bytes mapped from the system; 0 when from the heap
};

}  // namespace scenario
