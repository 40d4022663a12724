#include "diagnostic_output.h"

#include <sstream>

namespace scenario::tool {

std::optional<std::string> politica_avvisi(const opzioni_comando& opzioni, WarningPolicy* out) {
  for (const std::string& codice : opzioni.valori_di("--allow")) {
    if (!is_warning_code(codice)) {
      std::string elenco;
      for (std::string_view c : kWarningCodes) elenco += (elenco.empty() ? "" : ", ") + std::string(c);
      return "--allow " + codice + ": no warning has that code (codes: " + elenco + ")";
    }
    out->allowed.push_back(codice);
  }
  out->warnings_are_errors = opzioni.ha("--Werror");
  return std::nullopt;
}

namespace {

std::string intero_o_null(int v) { return v > 0 ? std::to_string(v) : "null"; }

void luogo(std::ostringstream& o, const SourceLocation& w) {
  o << "\"file\": " << stringa_json(w.file) << ", \"line\": " << intero_o_null(w.line)
    << ", \"column\": " << intero_o_null(w.column);
}

}  // namespace

std::string json_diagnostica(const Diagnostic& d) {
  std::ostringstream o;
  o << "{\"severity\": \"" << severity_name(d.severity) << "\", \"code\": " << stringa_json(d.code) << ", ";
  luogo(o, d.where);
  o << ", \"source_text\": " << stringa_json(d.source_text) << ", \"message\": " << stringa_json(d.message)
    << ", \"fault_number\": " << (d.fault_number ? std::to_string(*d.fault_number) : "null")
    << ", \"position\": " << (d.position ? std::to_string(*d.position) : "null") << ", \"related\": [";
  for (std::size_t i = 0; i < d.related.size(); ++i) {
    o << (i ? ", " : "") << "{";
    luogo(o, d.related[i].where);
    o << ", \"message\": " << stringa_json(d.related[i].message) << "}";
  }
  o << "]}";
  return o.str();
}

std::string json_diagnostiche(const Diagnostics& diagnostiche) {
  std::string out = "[";
  for (std::size_t i = 0; i < diagnostiche.size(); ++i) {
    if (i) out += ", ";
    out += json_diagnostica(diagnostiche[i]);
  }
  return out + "]";
}

std::string righe_diagnostiche(const Diagnostics& diagnostiche) {
  std::string out;
  for (const Diagnostic& d : diagnostiche) out += format_diagnostic(d) + "\n";
  return out;
}

}  // namespace scenario::tool
