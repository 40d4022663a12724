#include "platform/memory.h"

#include <cstdlib>
#include <cstring>

#include <sys/mman.h>

namespace scenario {

char* alloca_azzerata(std::size_t size) {
  constexpr std::size_t pagina_grande = std::size_t{2} << 20;
  if (size < pagina_grande) return static_cast<char*>(std::calloc(size == 0 ? 1 : size, 1));
  const std::size_t misura = (size + pagina_grande - 1) / pagina_grande * pagina_grande;
  auto* p = static_cast<char*>(std::aligned_alloc(pagina_grande, misura));
  if (p == nullptr) return nullptr;
  // Only advice: where huge pages are not available the buffer works as is.
  ::madvise(p, misura, MADV_HUGEPAGE);
  std::memset(p, 0, size);
  return p;
}

}  // namespace scenario
