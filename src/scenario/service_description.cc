#include "scenario/service_description.h"

#include "model/file_names.h"

namespace scenario {

std::vector<std::string> tabella_treno() { return {std::string(fine_del_file)}; }

std::optional<IoError> dati_treno(FileSystem& fs, const std::string& cartella,
                                  const std::string& nome_linea, const std::string& nome_treno) {
  return scrivi_testo(fs, join_path(cartella, nomi::treno_txt(nome_linea, nome_treno)),
                      tabella_treno());
}

}  // namespace scenario
