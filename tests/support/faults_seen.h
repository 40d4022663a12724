// The faults of a compile as the tests look at them: the errors that carry
// a fault number, in order, with their number, position, file and line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/model.h"

namespace scenario::testing {

struct fault_seen {
  int32_t number = 0;
  std::optional<int32_t> position;
  std::string file;
  int line = 0;
};

inline std::vector<fault_seen> faults_of(const stato_compilazione& s) {
  std::vector<fault_seen> out;
  for (const Diagnostic& d : s.diagnostiche) {
    if (d.fault_number) out.push_back({*d.fault_number, d.position, d.where.file, d.where.line});
  }
  return out;
}

// Every diagnostic, one per line, for a failure message.
inline std::string diagnostic_listing(const stato_compilazione& s) {
  std::string out;
  for (const Diagnostic& d : s.diagnostiche) out += format_diagnostic(d) + "\n";
  return out;
}

}  // namespace scenario::testing
