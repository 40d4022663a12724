// The one-shot run of the program.
#pragma once

#include <ostream>
#include <string>

#include "platform/file_system.h"

namespace scenario {

inline constexpr const char* nome_linea_incorporata = "Borgo Varnello_Calmea";
inline constexpr const char* nome_treno_incorporato = "Reg 27594";

// Writes the embedded scenario's two sources and three crew documents into
// `cartella`, compiles the sources into the three binary files there and
// deletes the sources. Messages go to `err`; returns the exit status.
int esegui(FileSystem& fs, const std::string& cartella, std::ostream& err);

}  // namespace scenario
