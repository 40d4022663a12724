// Memory for large buffers that are written once from end to end.
#pragma once

#include <cstddef>

namespace scenario {

// `size` zeroed bytes, released with std::free; nullptr when there is no
// memory. A large buffer is aligned to 2 MB and offered huge pages, so that
// filling it costs a page fault every 2 MB rather than every 4 kB.
char* alloca_azzerata(std::size_t size);

}  // namespace scenario
