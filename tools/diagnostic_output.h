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
std::optional<std::string> read_warning_policy(const command_options& options, WarningPolicy* out);

// One diagnostic as a JSON object: severity, code, file, line, column,
// source_text, message, fault_number, position, related.
std::string diagnostic_json(const Diagnostic& d);
// A JSON array of them.
std::string diagnostics_json(const Diagnostics& diagnostics);

// Every diagnostic as format_diagnostic gives it, each ended by a newline.
std::string diagnostic_lines(const Diagnostics& diagnostics);

}  // namespace scenario::tool
