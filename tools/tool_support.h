// Helpers shared by the export, dump and plot commands: option parsing and
// the escaping of scenario texts (8-bit Windows-1252 bytes) for JSON and SVG.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands.h"

namespace scenario::tool {

struct command_options {
  std::map<std::string, std::string> values;  // "--out" -> "DIR"
  // Every option with a value, in the order given, repeats kept.
  std::vector<std::pair<std::string, std::string>> in_order;
  std::vector<std::string> switches;          // options without a value, as given
  std::vector<std::string> positionals;
  bool help = false;                          // --help or -h was given

  bool has(const std::string& a_switch) const;
  std::string value(const std::string& name, const std::string& fallback = {}) const;
  // Every value given to an option that may be repeated.
  std::vector<std::string> values_of(const std::string& name) const;
};

// Splits `args` into options with a value (`--name VALUE` or `--name=VALUE`),
// switches and positional arguments. Returns a message for an unknown option
// or an option without its value.
std::optional<std::string> parse_options(const args_t& args, const std::vector<std::string>& with_value,
                                         const std::vector<std::string>& switches, command_options* out);

// Creates the folder `path` and any missing folder above it; a folder that
// already exists is fine. Returns "PATH: reason" when it cannot be made.
std::optional<std::string> make_folder(const std::string& path);

// What a command accepts: options with a value, switches, and the options it
// cannot go without. Positional arguments are refused.
struct command_spec {
  const char* name;  // "compile"
  const char* help;  // the --help text, printed again after a usage fault
  std::vector<std::string> with_value;
  std::vector<std::string> switches;
  std::vector<std::string> required;
};

// Reads a command's arguments into `out`. Returns the status the command
// ends with when it must not go on: 0 after printing its help for --help,
// kUsage after printing the fault and the help; nothing otherwise.
std::optional<int> read_command(const command_spec& spec, const args_t& args, command_options* out);

// The bytes of a scenario text, read as Windows-1252, in UTF-8.
std::string in_utf8(std::string_view text);
// A JSON string literal (quotes included) of a scenario text.
std::string json_string(std::string_view text);
// A scenario text made safe for XML character data and attribute values.
std::string xml_text(std::string_view text);

}  // namespace scenario::tool
