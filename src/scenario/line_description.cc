#include "scenario/line_description.h"

#include "model/file_names.h"

namespace scenario {

std::vector<std::string> tabella_linea() { return {std::string(fine_del_file)}; }

std::optional<IoError> dati_linea(FileSystem& fs, const std::string& cartella,
                                  const std::string& nome_linea, const std::string&) {
  return scrivi_testo(fs, join_path(cartella, nomi::linea_txt(nome_linea)), tabella_linea());
}

}  // namespace scenario
