// Names of every file of a scenario, formed from the line and train names.
#pragma once

#include <string>

namespace scenario::nomi {

inline std::string linea_txt(const std::string& linea) { return linea + "_linea.txt"; }
inline std::string treno_txt(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + "-.txt";
}
inline std::string note(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + "_" + "note.txt";
}
inline std::string rallentamenti(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + "_" + "rallentamenti.txt";
}
inline std::string scheda(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + "_" + "scheda_treno.txt";
}
inline std::string linea_dat(const std::string& linea) { return linea + "_linea.dat"; }
inline std::string sim(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + ".sim";
}
inline std::string dat(const std::string& linea, const std::string& treno) {
  return linea + "_" + treno + ".dat";
}

}  // namespace scenario::nomi
