#include "model/diagnostics.h"

namespace scenario {

const char* severity_name(Severity s) {
  switch (s) {
    case Severity::kError: return "error";
    case Severity::kWarning: return "warning";
    case Severity::kNote: return "note";
  }
  return "error";
}

namespace {

std::string place(const SourceLocation& w) {
  std::string out;
  if (w.file.empty()) return out;
  out = w.file;
  if (w.line > 0) {
    out += ':' + std::to_string(w.line);
    if (w.column > 0) out += ':' + std::to_string(w.column);
  }
  return out + ": ";
}

}  // namespace

std::string format_diagnostic(const Diagnostic& d) {
  std::string out = place(d.where) + severity_name(d.severity) + ": " + d.message;
  if (!d.code.empty()) out += " [" + d.code + "]";
  for (const RelatedLocation& r : d.related) {
    out += '\n' + place(r.where) + "note: " + r.message;
  }
  return out;
}

}  // namespace scenario
