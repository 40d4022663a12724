// The embedded line description.
#pragma once

#include <string>
#include <vector>

#include "scenario/text_writer.h"

namespace scenario {

// Its lines in file order, closed by the end marker.
std::vector<std::string> tabella_linea();

// Writes nome_linea + "_linea.txt" into `cartella`.
std::optional<IoError> dati_linea(FileSystem& fs, const std::string& cartella,
                                  const std::string& nome_linea, const std::string& nome_treno);

}  // namespace scenario
