#include "platform/memory.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#include <sys/mman.h>

namespace scenario {

namespace {

constexpr std::size_t huge_page = std::size_t{2} << 20;
// The system's page: mappings are whole pages of it.
constexpr std::size_t small_page = 4096;

}  // namespace

ZeroedBuffer::ZeroedBuffer(std::size_t size) {
  if (size < mapped_from_size) {
    p_ = static_cast<char*>(std::calloc(size == 0 ? 1 : size, 1));
    if (p_ == nullptr) throw std::bad_alloc();
    return;
  }
  // Whole huge pages, and a last one only when the block uses most of it: a
  // huge page is cleared whole at the first touch, which a few bytes over a
  // boundary do not repay (a block of 2 MB and 128 bytes would take 4 MB).
  // A last part used less is mapped in small pages, to the small page.
  const std::size_t whole = size / huge_page * huge_page;
  const bool last_mostly_used = (size - whole) * 2 >= huge_page;
  const std::size_t length =
      last_mostly_used ? whole + huge_page : (size + small_page - 1) / small_page * small_page;
  // One huge page more than needed, so that an aligned start lies within;
  // the unaligned head and the tail are given back.
  void* m = ::mmap(nullptr, length + huge_page, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) throw std::bad_alloc();
  auto* base = static_cast<char*>(m);
  const auto address = reinterpret_cast<std::uintptr_t>(base);
  const std::size_t head = (huge_page - address % huge_page) % huge_page;
  if (head > 0) ::munmap(base, head);
  ::munmap(base + head + length, huge_page - head);
  p_ = base + head;
  mapped_ = length;
  // Only advice: where huge pages are not available the block works as is.
  const std::size_t huge = last_mostly_used ? length : whole;
  if (huge > 0) ::madvise(p_, huge, MADV_HUGEPAGE);
}

ZeroedBuffer::~ZeroedBuffer() { release(); }

ZeroedBuffer::ZeroedBuffer(ZeroedBuffer&& other) noexcept
    : p_(std::exchange(other.p_, nullptr)), mapped_(std::exchange(other.mapped_, 0)) {}

ZeroedBuffer& ZeroedBuffer::operator=(ZeroedBuffer&& other) noexcept {
  if (this != &other) {
    release();
    p_ = std::exchange(other.p_, nullptr);
    mapped_ = std::exchange(other.mapped_, 0);
  }
  return *this;
}

void ZeroedBuffer::release() noexcept {
  if (p_ == nullptr) return;
  if (mapped_ > 0) {
    ::munmap(p_, mapped_);
  } else {
    std::free(p_);
  }
  p_ = nullptr;
  mapped_ = 0;
}

}  // namespace scenario
