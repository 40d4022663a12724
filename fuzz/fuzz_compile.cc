// Arbitrary bytes as a line and a service description (see dividi_ingresso),
// compiled in memory through to the binary files. Any crash, sanitizer report
// or broken property of the outputs is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "roundtrip/decompile.h"
#include "support/compile_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace scenario::testing;
  const auto in = dividi_ingresso(std::string_view(reinterpret_cast<const char*>(data), size));
  // Bit 2 of the flags byte asks for a second compile, compared byte for byte.
  const bool ripeti = size > 0 && (data[0] & 4) != 0;
  const auto r = compila_e_verifica(in, ripeti);
  if (!r.violazione.empty()) {
    std::fprintf(stderr, "property broken: %s\n", r.violazione.c_str());
    std::abort();
  }
  // Inputs that compile without faults decompile to sources of the same bytes.
  if (r.stato_uscita == 0 && in.treno) {
    const auto v = scenario::roundtrip::verifica_andata_ritorno(in.linea, *in.treno, in.genera_linea);
    if (!v.empty()) {
      std::fprintf(stderr, "round trip broken: %s\n", v.c_str());
      std::abort();
    }
  }
  return 0;
}
