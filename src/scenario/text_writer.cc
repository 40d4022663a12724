#include "scenario/text_writer.h"

#include <cstdarg>
#include <cstdio>

namespace scenario {

std::string componi_testo(const std::vector<std::string>& tabella) {
  size_t size = 0;
  for (const auto& line : tabella) {
    if (line == fine_del_file) break;
    size += line.size() + 2;
  }
  std::string out;
  out.reserve(size);
  for (const auto& line : tabella) {
    if (line == fine_del_file) break;
    out += line;
    out += "\r\n";
  }
  return out;
}

std::string formato(const char* modello, ...) {
  va_list argomenti;
  va_start(argomenti, modello);
  va_list copia;
  va_copy(copia, argomenti);
  const int n = std::vsnprintf(nullptr, 0, modello, copia);
  va_end(copia);
  std::string testo(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(testo.data(), testo.size() + 1, modello, argomenti);
  va_end(argomenti);
  return testo;
}

std::optional<IoError> scrivi_testo(FileSystem& fs, const std::string& path,
                                    const std::vector<std::string>& tabella) {
  const std::string text = componi_testo(tabella);
  return publish(fs, {{path, text}});
}

}  // namespace scenario
