// What compile and check share: the options that govern warnings, and the
// diagnostics as JSON.
#pragma once

#include <optional>
#include <string>

#include "model/diagnostics.h"
#include "tool_support.h"

namespace scenario::tool {

// The policy from --allow CODE (repeatable) and --Werror; a message when a
// code given to --allow names no warning.
std::optional<std::string> politica_avvisi(const opzioni_comando& opzioni, WarningPolicy* out);

// One diagnostic as a JSON object: severity, code, file, line, column,
// source_text, message, fault_number, position, related.
std::string json_diagnostica(const Diagnostic& d);
// A JSON array of them.
std::string json_diagnostiche(const Diagnostics& diagnostiche);

// Every diagnostic as format_diagnostic gives it, each ended by a newline.
std::string righe_diagnostiche(const Diagnostics& diagnostiche);

}  // namespace scenario::tool
