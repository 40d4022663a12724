#include "diagnostic_output.h"

#include <sstream>

#include "crew/codes.h"

namespace scenario::tool {

std::optional<std::string> read_warning_policy(const command_options& options, WarningPolicy* out) {
  // The compile's warnings and those of the crew documents' checks.
  auto crew_warning = [](std::string_view code) {
    const crew::CrewCode* c = crew::find_crew_code(code);
    return c != nullptr && c->severity == Severity::kWarning;
  };
  for (const std::string& code : options.values_of("--allow")) {
    if (!is_warning_code(code) && !crew_warning(code)) {
      std::string codes;
      for (std::string_view c : kWarningCodes) codes += (codes.empty() ? "" : ", ") + std::string(c);
      for (const crew::CrewCode& c : crew::crew_codes()) {
        if (c.severity == Severity::kWarning) codes += ", " + std::string(c.code);
      }
      return "--allow " + code + ": no warning has that code (codes: " + codes + ")";
    }
    out->allowed.push_back(code);
  }
  out->warnings_are_errors = options.has("--Werror");
  return std::nullopt;
}

namespace {

std::string int_or_null(int v) { return v > 0 ? std::to_string(v) : "null"; }

void write_location(std::ostringstream& o, const SourceLocation& w) {
  o << "\"file\": " << json_string(w.file) << ", \"line\": " << int_or_null(w.line)
    << ", \"column\": " << int_or_null(w.column);
}

}  // namespace

std::string diagnostic_json(const Diagnostic& d) {
  std::ostringstream o;
  o << "{\"severity\": \"" << severity_name(d.severity) << "\", \"code\": " << json_string(d.code) << ", ";
  write_location(o, d.where);
  o << ", \"source_text\": " << json_string(d.source_text) << ", \"message\": " << json_string(d.message)
    << ", \"fault_number\": " << (d.fault_number ? std::to_string(*d.fault_number) : "null")
    << ", \"position\": " << (d.position ? std::to_string(*d.position) : "null") << ", \"related\": [";
  for (std::size_t i = 0; i < d.related.size(); ++i) {
    o << (i ? ", " : "") << "{";
    write_location(o, d.related[i].where);
    o << ", \"message\": " << json_string(d.related[i].message) << "}";
  }
  o << "]}";
  return o.str();
}

std::string diagnostics_json(const Diagnostics& diagnostics) {
  std::string out = "[";
  for (std::size_t i = 0; i < diagnostics.size(); ++i) {
    if (i) out += ", ";
    out += diagnostic_json(diagnostics[i]);
  }
  return out + "]";
}

std::string diagnostic_lines(const Diagnostics& diagnostics) {
  std::string out;
  for (const Diagnostic& d : diagnostics) out += format_diagnostic(d) + "\n";
  return out;
}

}  // namespace scenario::tool
