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

bool is_warning_code(std::string_view code) {
  for (std::string_view c : kWarningCodes) {
    if (c == code) return true;
  }
  return false;
}

bool has_errors(const Diagnostics& diagnostics) {
  for (const Diagnostic& d : diagnostics) {
    if (d.severity == Severity::kError) return true;
  }
  return false;
}

void apply_policy(Diagnostics& diagnostics, const WarningPolicy& policy) {
  Diagnostics kept;
  kept.reserve(diagnostics.size());
  for (Diagnostic& d : diagnostics) {
    if (d.severity == Severity::kWarning) {
      bool allowed = false;
      for (const std::string& a : policy.allowed) allowed = allowed || a == d.code;
      if (allowed) continue;
      if (policy.warnings_are_errors) d.severity = Severity::kError;
    }
    kept.push_back(std::move(d));
  }
  diagnostics = std::move(kept);
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
