#include "documents/documents.h"

#include "model/file_names.h"

namespace scenario {

std::vector<std::string> tabella_note() { return {std::string(fine_del_file)}; }
std::vector<std::string> tabella_rallentamenti() { return {std::string(fine_del_file)}; }
std::vector<std::string> tabella_scheda() { return {std::string(fine_del_file)}; }

std::optional<IoError> dati_note(FileSystem& fs, const std::string& cartella,
                                 const std::string& nome_linea, const std::string& nome_treno) {
  return scrivi_testo(fs, join_path(cartella, nomi::note(nome_linea, nome_treno)), tabella_note());
}

std::optional<IoError> dati_rallentamenti(FileSystem& fs, const std::string& cartella,
                                          const std::string& nome_linea,
                                          const std::string& nome_treno) {
  return scrivi_testo(fs, join_path(cartella, nomi::rallentamenti(nome_linea, nome_treno)),
                      tabella_rallentamenti());
}

std::optional<IoError> dati_scheda(FileSystem& fs, const std::string& cartella,
                                   const std::string& nome_linea, const std::string& nome_treno) {
  return scrivi_testo(fs, join_path(cartella, nomi::scheda(nome_linea, nome_treno)),
                      tabella_scheda());
}

}  // namespace scenario
