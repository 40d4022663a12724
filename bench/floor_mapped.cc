// The mapped floor of the one-shot run as a process (a second reference
// beside the strict floor of floor_strict.c): it writes the same bytes as the
// run to the same files in its own program folder with the same steps (each
// text file published alone, the three binary files as one set, the two
// sources deleted at the end), and computes nothing. The bytes are mapped
// from reference files in the folder named on the command line, the way a
// program's constant data is mapped from its executable.
#include <cstdio>
#include <string>
#include <vector>

#include "mapped_file.h"
#include "model/file_names.h"
#include "platform/file_system.h"
#include "run/run.h"

namespace {

bool fallito(const std::optional<scenario::IoError>& e) {
  if (e) std::fprintf(stderr, "%s: %s\n", e->path.c_str(), e->reason.c_str());
  return e.has_value();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace scenario;
  if (argc != 2) {
    std::fprintf(stderr, "usage: scenario_floor_mapped REFERENCE_FOLDER\n");
    return 64;
  }
  const std::string rif = argv[1];
  const auto cartella = program_folder();
  if (!cartella) return 3;
  const std::string linea = nome_linea_incorporata;
  const std::string treno = nome_treno_incorporato;
  const std::vector<std::string> testi = {nomi::linea_txt(linea), nomi::treno_txt(linea, treno),
                                          nomi::note(linea, treno),
                                          nomi::rallentamenti(linea, treno),
                                          nomi::scheda(linea, treno)};
  const std::vector<std::string> binari = {nomi::linea_dat(linea), nomi::sim(linea, treno),
                                           nomi::dat(linea, treno)};

  std::fputs("Attendere\n", stderr);
  PosixFileSystem fs;
  for (const auto& nome : testi) {
    if (fallito(publish(fs, {{join_path(*cartella, nome), bench::map_file(join_path(rif, nome))}}))) return 3;
  }
  std::vector<OutputFile> set;
  for (const auto& nome : binari) {
    set.push_back({join_path(*cartella, nome), bench::map_file(join_path(rif, nome))});
  }
  if (fallito(publish(fs, set))) return 3;
  for (size_t i = 0; i < 2; ++i) {
    if (fallito(fs.remove(join_path(*cartella, testi[i])))) return 3;
  }
  return 0;
}
