// Writes the seed corpus of the fuzz targets:
//   fuzz_seeds DIR_COMPILE DIR_FIELDS [TEXT_FILE...]
// DIR_COMPILE receives compile inputs (see split_input): the embedded
// scenario, generated scenarios, the small line and service files of the
// readers' tests, and each TEXT_FILE paired with the embedded file of the
// other kind. DIR_FIELDS receives every text alone.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "scenario/line_description.h"
#include "scenario/service_description.h"
#include "scenario/text_writer.h"
#include "support/compile_check.h"
#include "support/scenario_generator.h"

namespace {

using scenario::testing::join_input;
using scenario::testing::CompileInput;

void scrivi(const std::filesystem::path& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << data;
  if (!out) {
    std::cerr << path.string() << ": cannot write\n";
    std::exit(3);
  }
}

std::string crlf(std::initializer_list<const char*> righe) {
  std::string out;
  for (const char* r : righe) out += std::string(r) + "\r\n";
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: fuzz_seeds DIR_COMPILE DIR_FIELDS [TEXT_FILE...]\n";
    return 64;
  }
  const std::filesystem::path dir_compile = argv[1];
  const std::filesystem::path dir_fields = argv[2];
  std::filesystem::create_directories(dir_compile);
  std::filesystem::create_directories(dir_fields);

  const std::string linea = scenario::componi_testo(scenario::tabella_linea());
  const std::string treno = scenario::componi_testo(scenario::tabella_treno());
  int n = 0;
  auto seme = [&](const std::string& nome, const std::string& l,
                  const std::optional<std::string>& t, bool genera) {
    CompileInput in;
    in.linea = l;
    in.treno = t;
    in.genera_linea = genera;
    in.delete_sources = (n % 2) == 1;
    std::string dati = join_input(in);
    if (n % 3 == 0) dati[0] = static_cast<char>(dati[0] | 0x64);  // compile twice
    if (n % 4 == 1) dati[0] = static_cast<char>(dati[0] | 0x18);  // the round trip
    scrivi(dir_compile / (nome + "-" + std::to_string(n++)), dati);
  };
  auto testo = [&](const std::string& nome, const std::string& t) {
    scrivi(dir_fields / nome, t);
  };

  seme("embedded", linea, treno, true);
  seme("embedded", linea, treno, false);
  testo("embedded-line", linea);
  testo("embedded-service", treno);

  for (uint64_t s = 1; s <= 24; ++s) {
    scenario::testing::GeneratorOptions opzioni;
    opzioni.righe = 12;
    // Short routes: the fuzz target compiles a route only up to a length in
    // proportion to the input's size.
    opzioni.lunghezza = 1'000 + static_cast<int32_t>(s) * 250;
    const auto g = scenario::testing::generate_scenario(s, opzioni);
    seme("generated", g.linea, g.treno, s % 3 != 0);
    if (s <= 6) {
      testo("generated-line-" + std::to_string(s), g.linea);
      testo("generated-service-" + std::to_string(s), g.treno);
    }
  }

  // Rows that exercise each reader rule on its own, each in a small scenario.
  const std::string linea_piccola = crlf({
      "[generale]", "lunghezza percorso,    88000",
      "progressiva chilometrica uno,    0,    46000,    1",
      "progressiva chilometrica due,    46000,    -46000,    0",
      "progressiva chilometrica tre,    49000,    -49000,    0", "sfondo uno,    0",
      "sfondo due,    1", "sfondo tre,    0", "ripetizione segnali 4 codici,    0,    90000",
      "[curve]", "curvad4,  800,  150", "curvas3,  1100,  250", "[pendenze]",
      "pendenza,   0,    0", "pendenza,  45200,   -8", "pendenza,  46500,   0", "[montagne]",
      "montagna,   1600,  2700,  11", "montagna,   32050,  32100,  12", "[cartelli]",
      "indicatori_vmax,  85900,  90,  95,  95,  2,  ,  ,  ,  0", "[indicazioni]",
      "cartello_indicatore,  1550,   (GALLERIA)(ROVELLO )(m.1100  )", "[fine]"});
  const std::string treno_piccolo = crlf({
      "[generale]", "numero vetture,    7", "percentuale massa frenata,    125", "sabbia,    0",
      "orologio,    6               30            30 ", "[aderenze]", "aderenza,   0,    100",
      "[vel_limite]", "velocita,   0,    30", "velocita,     800,   110", "[stazioni]",
      "stazione,     200,  4,  800,  1, 0, 0,  4,1,0,  2,1,1,    1,   6,31, 0, BORGO VARNELLO",
      "stazione,    3700, 24,  300,  0, 0, 0,  0,0,0,  5,1,1,   60,   6,36, 0, VALDRESSA",
      "[rallentamenti]", "rallentamento,   49900,    40,  300, 0,  1,  40", "[segnali]",
      "segnale,   42500,   2, 2, 3,  0, 0,    2,  2,1,0, 210",
      "abbattimento,   60000,   120", "[codici]", "[fine]"});
  seme("small", linea_piccola, treno_piccolo, true);
  seme("small", linea_piccola, treno_piccolo, false);
  seme("small-no-service", linea_piccola, std::nullopt, true);
  seme("edge", crlf({"[generale]"}), treno_piccolo, true);
  seme("edge", crlf({"[generale]", "lunghezza percorso, 1000000", "[x]", "curvad6, 100, 990000",
                     "[fine]"}),
       treno_piccolo, true);
  seme("edge", crlf({"[generale]", "lunghezza percorso, 2147483647", "[x]", "[fine]"}),
       treno_piccolo, true);
  testo("small-line", linea_piccola);
  testo("small-service", treno_piccolo);
  testo("edge-quotes", "\"a,b\" c, -12 , +7,,\r\n\"open, 2147483648\n\r-2147483648\t,x");

  // Text files named on the command line: the tests' fixtures.
  for (int i = 3; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    const std::string t = s.str();
    const std::string nome = "fixture-" + std::filesystem::path(argv[i]).stem().string();
    testo(nome, t);
    const bool di_linea = t.find("lunghezza") != std::string::npos ||
                          t.find("LUNGHEZZA") != std::string::npos;
    if (di_linea) {
      seme(nome, t, treno_piccolo, true);
    } else {
      seme(nome, linea_piccola, t, true);
    }
  }
  std::cout << n << " compile seeds in " << dir_compile.string() << "\n";
  return 0;
}
