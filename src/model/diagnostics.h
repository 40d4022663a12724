// What a compile or a check tells a scenario author: each problem is one
// value (severity, stable code, place, message, related places), collected
// in order in one list and printed once, after the work is done.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

enum class Severity { kError, kWarning, kNote };

// A place in a text file; line and column count from 1, 0 when unknown.
// An empty file means no file (a fault of the derivation rules, say).
struct SourceLocation {
  std::string file;
  int line = 0;
  int column = 0;
};

// A second place that explains the first ("the cell is held by the text
// board written here").
struct RelatedLocation {
  SourceLocation where;
  std::string message;
};

struct Diagnostic {
  Severity severity = Severity::kError;
  // Stable code: "E" and the fault number for the compiler's faults
  // ("E16"), a name for warnings and notes ("unknown-keyword").
  std::string code;
  SourceLocation where;
  std::string source_text;  // the field as written, where there is one
  std::string message;
  std::vector<RelatedLocation> related;
  std::optional<int32_t> fault_number;  // the compiler's fault number, for errors
  std::optional<int32_t> position;      // metres along the route, where there is one
};

using Diagnostics = std::vector<Diagnostic>;

const char* severity_name(Severity s);

// The codes of the warnings. Each can be silenced by name, or made an error.
inline constexpr std::string_view kUnknownKeyword = "unknown-keyword";
inline constexpr std::string_view kLeftoverValues = "leftover-values";
inline constexpr std::string_view kNoGeneralSection = "no-general-section";
inline constexpr std::string_view kListsNeverStart = "lists-never-start";
inline constexpr std::string_view kPositionBackwards = "position-backwards";
inline constexpr std::string_view kTunnelReversed = "tunnel-reversed";
inline constexpr std::string_view kUtf8Text = "utf8-text";
inline constexpr std::string_view kOverwrittenObject = "overwritten-object";
inline constexpr std::string_view kKeywordCase = "keyword-case";
inline constexpr std::array<std::string_view, 9> kWarningCodes{
    kUnknownKeyword,    kLeftoverValues,  kNoGeneralSection,  kListsNeverStart, kPositionBackwards,
    kTunnelReversed,    kUtf8Text,        kOverwrittenObject, kKeywordCase};

bool is_warning_code(std::string_view code);

// True when any diagnostic is an error.
bool has_errors(const Diagnostics& diagnostics);

// What the author asked of the warnings: some silenced, the rest possibly
// counted as errors. Fault numbers are never changed by it.
struct WarningPolicy {
  std::vector<std::string> allowed;  // codes of warnings to drop
  bool warnings_are_errors = false;
};

// Drops the allowed warnings and, when asked, turns the others into errors.
void apply_policy(Diagnostics& diagnostics, const WarningPolicy& policy);

// "FILE:LINE:COL: severity: message [code]", leaving out the parts that are
// unknown; each related place follows on its own line as a note.
std::string format_diagnostic(const Diagnostic& d);

}  // namespace scenario
