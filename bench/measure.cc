// Measures in child processes, where a process start and the peak resident
// memory count:
//
//   scenario_measure prepara KM DIR    writes the sources of a generated KM km
//                                      scenario into DIR; prints the bytes its
//                                      compile writes
//   scenario_measure compila DIR       compiles the sources in DIR into DIR
//   scenario_measure pavimento REF DIR the floor of that compile: writes the
//                                      binary files found in REF into DIR
//                                      with the same steps (publish, one set)
//   scenario_measure sorgenti DIR      writes the embedded scenario's two sources
//                                      into DIR (the one-shot run deletes them)
//   scenario_measure vuoto             does nothing: the memory of a bare process
//   scenario_measure tempi N CMD ARGS  runs CMD N times; prints the median wall
//                                      time, CPU time and peak resident memory
//   scenario_measure confronta N A... -- B... [-- C...]
//                                      runs A, B (and C...) by turns, N times
//                                      each; prints the same three medians of
//                                      each, one command after the other
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "mapped_file.h"
#include "model/file_names.h"
#include "run/run.h"
#include "scenario/line_description.h"
#include "scenario/service_description.h"
#include "support.h"

namespace scenario::bench {
namespace {

int uso() {
  std::fprintf(stderr,
               "usage: scenario_measure prepara KM DIR | compila DIR | pavimento REF DIR | sorgenti DIR |"
               " vuoto |"
               " tempi N CMD [ARGS...] | confronta N A [ARGS...] -- B [ARGS...] [-- C [ARGS...]]...\n");
  return 64;
}

int prepara(int km, const std::string& dir) {
  const sorgenti_generate g = scenario_di(km);
  PosixFileSystem fs;
  scrivi_sorgenti(fs, dir, g);
  const std::vector<file_uscita> binari = uscite_compilazione(g);
  std::printf("%zu\n", byte_totali(binari));
  return 0;
}

int compila(const std::string& dir) {
  PosixFileSystem fs;
  stato_compilazione s = stato_nuovo();
  const esito_compilazione e = memorizza_percorso(s, con_matrice_linea, fs, opzioni_in(dir));
  return e.scritti.size() == 3 && !has_errors(s.diagnostiche) ? 0 : 1;
}

int pavimento(const std::string& rif, const std::string& dir) {
  const std::string linea = nome_linea_incorporata;
  const std::string treno = nome_treno_incorporato;
  std::vector<OutputFile> set;
  for (const std::string& nome :
       {nomi::linea_dat(linea), nomi::sim(linea, treno), nomi::dat(linea, treno)}) {
    set.push_back({join_path(dir, nome), map_file(join_path(rif, nome))});
  }
  PosixFileSystem fs;
  return publish(fs, set) ? 3 : 0;
}

int sorgenti(const std::string& dir) {
  PosixFileSystem fs;
  const std::string linea = nome_linea_incorporata;
  const std::string treno = nome_treno_incorporato;
  if (dati_linea(fs, dir, linea, treno) || dati_treno(fs, dir, linea, treno)) return 3;
  return 0;
}

double mediana(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct misura_figlio {
  double ms = 0;      // wall time from fork to the end of the child
  double cpu_ms = 0;  // user and system time of the child
  double kb = 0;      // its peak resident memory
};

// Runs `comando` as a child process; false when it did not end with status 0.
bool esegui_figlio(char** comando, misura_figlio* m) {
  // Untimed: the run starts with what was written before on the disk.
  ::sync();
  const auto inizio = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // What the program prints is not measured.
    const int nulla = ::open("/dev/null", O_WRONLY);
    if (nulla >= 0) ::dup2(nulla, STDERR_FILENO);
    ::execv(comando[0], comando);
    ::_exit(127);
  }
  int stato = 0;
  rusage uso{};
  if (::wait4(pid, &stato, 0, &uso) != pid) return false;
  const auto fine = std::chrono::steady_clock::now();
  if (!WIFEXITED(stato) || WEXITSTATUS(stato) != 0) {
    std::fprintf(stderr, "%s: exit status %d\n", comando[0],
                 WIFEXITED(stato) ? WEXITSTATUS(stato) : -1);
    return false;
  }
  auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  m->ms = std::chrono::duration<double, std::milli>(fine - inizio).count();
  m->cpu_ms = ms(uso.ru_utime) + ms(uso.ru_stime);
  m->kb = static_cast<double>(uso.ru_maxrss);
  return true;
}

struct serie {
  std::vector<double> ms, cpu_ms, kb;
  void aggiungi(const misura_figlio& m) {
    ms.push_back(m.ms);
    cpu_ms.push_back(m.cpu_ms);
    kb.push_back(m.kb);
  }
  // Median wall time, median CPU time, median peak resident memory (kB).
  void stampa() const {
    std::printf("%.4f %.4f %.0f", mediana(ms), mediana(cpu_ms), mediana(kb));
  }
};

int tempi(int volte, char** comando) {
  serie s;
  for (int i = 0; i < volte; ++i) {
    misura_figlio m;
    if (!esegui_figlio(comando, &m)) return 1;
    s.aggiungi(m);
  }
  s.stampa();
  std::printf("\n");
  return 0;
}

// Runs the commands by turns, so that all meet the same load of the machine.
int confronta(int volte, const std::vector<char**>& comandi) {
  std::vector<serie> s(comandi.size());
  for (int i = 0; i < volte; ++i) {
    for (size_t k = 0; k < comandi.size(); ++k) {
      misura_figlio m;
      if (!esegui_figlio(comandi[k], &m)) return 1;
      s[k].aggiungi(m);
    }
  }
  for (size_t k = 0; k < s.size(); ++k) {
    if (k > 0) std::printf(" ");
    s[k].stampa();
  }
  std::printf("\n");
  return 0;
}

}  // namespace
}  // namespace scenario::bench

int main(int argc, char** argv) {
  using namespace scenario::bench;
  try {
    const std::string modo = argc > 1 ? argv[1] : "";
    if (modo == "prepara" && argc == 4) return prepara(std::atoi(argv[2]), argv[3]);
    if (modo == "compila" && argc == 3) return compila(argv[2]);
    if (modo == "pavimento" && argc == 4) return pavimento(argv[2], argv[3]);
    if (modo == "sorgenti" && argc == 3) return sorgenti(argv[2]);
    if (modo == "vuoto" && argc == 2) return 0;
    if (modo == "tempi" && argc >= 4) return tempi(std::atoi(argv[2]), argv + 3);
    if (modo == "confronta" && argc >= 6) {
      // confronta N A [ARGS...] -- B [ARGS...] [-- C [ARGS...]]...
      std::vector<char**> comandi{argv + 3};
      for (char** p = argv + 3; *p != nullptr; ++p) {
        if (std::string(*p) != "--") continue;
        *p = nullptr;
        comandi.push_back(p + 1);
      }
      for (char** c : comandi) {
        if (*c == nullptr) return uso();
      }
      if (comandi.size() < 2) return uso();
      return confronta(std::atoi(argv[2]), comandi);
    }
    return uso();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "scenario_measure: %s\n", e.what());
    return 2;
  }
}
