#include "platform/memory.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#include <sys/mman.h>

namespace scenario {

namespace {

constexpr std::size_t huge_page = std::size_t{2} << 20;

}  // namespace

ZeroedBuffer::ZeroedBuffer(std::size_t size) {
  if (size < mapped_from_size) {
    p_ = static_cast<char*>(std::calloc(size == 0 ? 1 : size, 1));
    if (p_ == nullptr) throw std::bad_alloc();
    return;
  }
  const std::size_t length = (size + huge_page - 1) / huge_page * huge_page;
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
  ::madvise(p_, mapped_, MADV_HUGEPAGE);
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
