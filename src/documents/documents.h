// The three crew documents: the notes sheet, the slow-down order and the
// timetable card.
#pragma once

#include <string>
#include <vector>

#include "scenario/text_writer.h"

namespace scenario {

std::vector<std::string> tabella_note();
std::vector<std::string> tabella_rallentamenti();
std::vector<std::string> tabella_scheda();

std::optional<IoError> dati_note(FileSystem& fs, const std::string& cartella,
                                 const std::string& nome_linea, const std::string& nome_treno);
std::optional<IoError> dati_rallentamenti(FileSystem& fs, const std::string& cartella,
                                          const std::string& nome_linea,
                                          const std::string& nome_treno);
std::optional<IoError> dati_scheda(FileSystem& fs, const std::string& cartella,
                                   const std::string& nome_linea, const std::string& nome_treno);

}  // namespace scenario
