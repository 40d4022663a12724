// Memory for large buffers that are written once from end to end.
#pragma once

#include <cstddef>

namespace scenario {

// Blocks of this size and more are mapped from the system in whole huge
// pages (2 MB); smaller ones come from the heap.
inline constexpr std::size_t mapped_from_size = std::size_t{1} << 20;

// `size` zeroed bytes, owned. A large block (from mapped_from_size up) is
// mapped from the system, aligned to 2 MB and offered huge pages: the system
// hands it out zeroed, so it is not cleared a second time, and filling it
// costs a page fault every 2 MB rather than every 4 kB. A last 2 MB that the
// block uses more than half of is mapped whole, a huge page too: that costs
// at most as much memory again, and lets the system back it with one huge
// page instead of up to 511 small ones (the track plan of an 88 km route is
// 1.9 MB); a last 2 MB used less is mapped in small pages. Throws
// std::bad_alloc when there is no memory.
class ZeroedBuffer {
 public:
  ZeroedBuffer() = default;
  explicit ZeroedBuffer(std::size_t size);
  ~ZeroedBuffer();
  ZeroedBuffer(ZeroedBuffer&& other) noexcept;
  ZeroedBuffer& operator=(ZeroedBuffer&& other) noexcept;
  ZeroedBuffer(const ZeroedBuffer&) = delete;
  ZeroedBuffer& operator=(const ZeroedBuffer&) = delete;

  char* get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  void release() noexcept;

  char* p_ = nullptr;
  std::size_t mapped_ = 0;  // bytes mapped from the system; 0 when from the heap
};

}  // namespace scenario
