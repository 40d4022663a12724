#include "scenario/text_writer.h"

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

std::optional<IoError> scrivi_testo(FileSystem& fs, const std::string& path,
                                    const std::vector<std::string>& tabella) {
  const std::string text = componi_testo(tabella);
  return publish(fs, {{path, text}});
}

}  // namespace scenario
