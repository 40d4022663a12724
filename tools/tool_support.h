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

struct opzioni_comando {
  std::map<std::string, std::string> valori;  // "--out" -> "DIR"
  // Every option with a value, in the order given, repeats kept.
  std::vector<std::pair<std::string, std::string>> in_ordine;
  std::vector<std::string> interruttori;      // options without a value, as given
  std::vector<std::string> posizionali;
  bool aiuto = false;                         // --help or -h was given

  bool ha(const std::string& interruttore) const;
  std::string valore(const std::string& nome, const std::string& predefinito = {}) const;
  // Every value given to an option that may be repeated.
  std::vector<std::string> valori_di(const std::string& nome) const;
};

// Splits `args` into options with a value (`--name VALUE` or `--name=VALUE`),
// switches and positional arguments. Returns a message for an unknown option
// or an option without its value.
std::optional<std::string> analizza_opzioni(const args_t& args,
                                            const std::vector<std::string>& con_valore,
                                            const std::vector<std::string>& interruttori,
                                            opzioni_comando* out);

// Creates the folder `path` and any missing folder above it; a folder that
// already exists is fine. Returns "PATH: reason" when it cannot be made.
std::optional<std::string> make_folder(const std::string& path);

// The bytes of a scenario text, read as Windows-1252, in UTF-8.
std::string in_utf8(std::string_view testo);
// A JSON string literal (quotes included) of a scenario text.
std::string stringa_json(std::string_view testo);
// A scenario text made safe for XML character data and attribute values.
std::string testo_xml(std::string_view testo);

}  // namespace scenario::tool
