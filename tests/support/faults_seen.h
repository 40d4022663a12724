// The faults of a compile as the tests look at them: the errors that carry
// a fault number, in order, with their number, position, file and line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/model.h"

namespace scenario::testing {

struct guasto_visto {
  int32_t numero = 0;
  std::optional<int32_t> posizione;
  std::string file;
  int linea_testo = 0;
};

inline std::vector<guasto_visto> guasti_di(const stato_compilazione& s) {
  std::vector<guasto_visto> out;
  for (const Diagnostic& d : s.diagnostiche) {
    if (d.fault_number) out.push_back({*d.fault_number, d.position, d.where.file, d.where.line});
  }
  return out;
}

// Every diagnostic, one per line, for a failure message.
inline std::string elenco(const stato_compilazione& s) {
  std::string out;
  for (const Diagnostic& d : s.diagnostiche) out += format_diagnostic(d) + "\n";
  return out;
}

}  // namespace scenario::testing
