// The field stream over arbitrary bytes (see check_fields): the first byte
// chooses the order of text and number reads, the rest is the text. Any
// crash, sanitizer report or broken property is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "support/compile_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string violation = scenario::testing::check_fields(
      std::string_view(reinterpret_cast<const char*>(data), size));
  if (!violation.empty()) {
    std::fprintf(stderr, "property broken: %s\n", violation.c_str());
    std::abort();
  }
  return 0;
}
