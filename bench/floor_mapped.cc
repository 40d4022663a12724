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

bool failed(const std::optional<scenario::IoError>& e) {
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
  const std::string ref = argv[1];
  const auto folder = program_folder();
  if (!folder) return 3;
  const std::string line = nome_linea_incorporata;
  const std::string train = nome_treno_incorporato;
  const std::vector<std::string> texts = {nomi::linea_txt(line), nomi::treno_txt(line, train),
                                          nomi::note(line, train),
                                          nomi::rallentamenti(line, train),
                                          nomi::scheda(line, train)};
  const std::vector<std::string> binaries = {nomi::linea_dat(line), nomi::sim(line, train),
                                             nomi::dat(line, train)};

  std::fputs("Attendere\n", stderr);
  PosixFileSystem fs;
  for (const auto& name : texts) {
    if (failed(publish(fs, {{join_path(*folder, name), bench::map_file(join_path(ref, name))}}))) return 3;
  }
  std::vector<OutputFile> set;
  for (const auto& name : binaries) {
    set.push_back({join_path(*folder, name), bench::map_file(join_path(ref, name))});
  }
  if (failed(publish(fs, set))) return 3;
  for (size_t i = 0; i < 2; ++i) {
    if (failed(fs.remove(join_path(*folder, texts[i])))) return 3;
  }
  return 0;
}
