#include "platform/memory.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#include <sys/mman.h>

namespace scenario {

namespace {

constexpr std::size_t pagina_grande = std::size_t{2} << 20;

}  // namespace

memoria_azzerata::memoria_azzerata(std::size_t size) {
  if (size < memoria_mappata_da) {
    p_ = static_cast<char*>(std::calloc(size == 0 ? 1 : size, 1));
    if (p_ == nullptr) throw std::bad_alloc();
    return;
  }
  const std::size_t misura = (size + pagina_grande - 1) / pagina_grande * pagina_grande;
  // One huge page more than needed, so that an aligned start lies within;
  // the unaligned head and the tail are given back.
  void* m = ::mmap(nullptr, misura + pagina_grande, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) throw std::bad_alloc();
  auto* base = static_cast<char*>(m);
  const auto indirizzo = reinterpret_cast<std::uintptr_t>(base);
  const std::size_t testa = (pagina_grande - indirizzo % pagina_grande) % pagina_grande;
  if (testa > 0) ::munmap(base, testa);
  ::munmap(base + testa + misura, pagina_grande - testa);
  p_ = base + testa;
  mappati_ = misura;
  // Only advice: where huge pages are not available the block works as is.
  ::madvise(p_, mappati_, MADV_HUGEPAGE);
}

memoria_azzerata::~memoria_azzerata() { rilascia(); }

memoria_azzerata::memoria_azzerata(memoria_azzerata&& other) noexcept
    : p_(std::exchange(other.p_, nullptr)), mappati_(std::exchange(other.mappati_, 0)) {}

memoria_azzerata& memoria_azzerata::operator=(memoria_azzerata&& other) noexcept {
  if (this != &other) {
    rilascia();
    p_ = std::exchange(other.p_, nullptr);
    mappati_ = std::exchange(other.mappati_, 0);
  }
  return *this;
}

void memoria_azzerata::rilascia() noexcept {
  if (p_ == nullptr) return;
  if (mappati_ > 0) {
    ::munmap(p_, mappati_);
  } else {
    std::free(p_);
  }
  p_ = nullptr;
  mappati_ = 0;
}

}  // namespace scenario
