// The one-shot run of the program.
#pragma once

#include <array>
#include <ostream>
#include <string>

#include "platform/file_system.h"
#include "scenario/text_writer.h"

namespace scenario {

inline constexpr const char* nome_linea_incorporata = "Borgo Varnello_Calmea";
inline constexpr const char* nome_treno_incorporato = "Reg 27594";

// The version that genera_scenario and scenario-tool print for --version.
inline constexpr const char* kVersion = "1.0.0";

// One text file of the embedded scenario: the writer that makes it and the
// name it gets in the folder.
struct testo_incorporato {
  scrittore_testo scrivi;
  std::string (*nome)(const std::string& nome_linea, const std::string& nome_treno);
};

// The five text files in the order the run writes them: the line and the
// service descriptions, then the notes sheet, the slow-down order and the
// timetable card. The run and `scenario-tool export` both write this list.
const std::array<testo_incorporato, 5>& testi_incorporati();

// Writes the embedded scenario's two sources and three crew documents into
// `cartella`, compiles the sources into the three binary files there and
// deletes the sources. Messages go to `err`; returns the exit status.
int esegui(FileSystem& fs, const std::string& cartella, std::ostream& err);

}  // namespace scenario
