// Measures in child processes, where a process start and the peak resident
// memory count:
//
//   scenario_measure prepare KM DIR    writes the sources of a generated KM km
//                                      scenario into DIR; prints the bytes its
//                                      compile writes
//   scenario_measure compile DIR       compiles the sources in DIR into DIR
//   scenario_measure floor REF DIR     the floor of that compile: writes the
//                                      binary files found in REF into DIR
//                                      with the same steps (publish, one set)
//   scenario_measure sources DIR       writes the embedded scenario's two
//                                      sources into DIR (the one-shot run
//                                      deletes them)
//   scenario_measure empty             does nothing: the memory of a bare process
//   scenario_measure times N CMD ARGS  runs CMD N times; prints the median wall
//                                      time, CPU time and peak resident memory
//   scenario_measure compare N A... -- B... [-- C...]
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

int usage() {
  std::fprintf(stderr,
               "usage: scenario_measure prepare KM DIR | compile DIR | floor REF DIR | sources DIR |"
               " empty |"
               " times N CMD [ARGS...] | compare N A [ARGS...] -- B [ARGS...] [-- C [ARGS...]]...\n");
  return 64;
}

int prepare(int km, const std::string& dir) {
  const generated_sources g = make_scenario(km);
  PosixFileSystem fs;
  write_sources(fs, dir, g);
  const std::vector<file_bytes> binaries = compile_outputs(g);
  std::printf("%zu\n", total_bytes(binaries));
  return 0;
}

int compile_in(const std::string& dir) {
  PosixFileSystem fs;
  stato_compilazione s = fresh_state();
  const CompileOutcome e = memorizza_percorso(s, con_matrice_linea, fs, options_in(dir));
  return e.written.size() == 3 && !has_errors(s.diagnostiche) ? 0 : 1;
}

int write_floor(const std::string& ref, const std::string& dir) {
  const std::string line = nome_linea_incorporata;
  const std::string train = nome_treno_incorporato;
  std::vector<OutputFile> set;
  for (const std::string& name :
       {nomi::linea_dat(line), nomi::sim(line, train), nomi::dat(line, train)}) {
    set.push_back({join_path(dir, name), map_file(join_path(ref, name))});
  }
  PosixFileSystem fs;
  return publish(fs, set) ? 3 : 0;
}

int write_embedded_sources(const std::string& dir) {
  PosixFileSystem fs;
  const std::string line = nome_linea_incorporata;
  const std::string train = nome_treno_incorporato;
  if (dati_linea(fs, dir, line, train) || dati_treno(fs, dir, line, train)) return 3;
  return 0;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct child_measure {
  double ms = 0;      // wall time from fork to the end of the child
  double cpu_ms = 0;  // user and system time of the child
  double kb = 0;      // its peak resident memory
};

// Runs `command` as a child process; false when it did not end with status 0.
bool run_child(char** command, child_measure* m) {
  // Untimed: the run starts with what was written before on the disk.
  ::sync();
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // What the program prints is not measured.
    const int dev_null = ::open("/dev/null", O_WRONLY);
    if (dev_null >= 0) ::dup2(dev_null, STDERR_FILENO);
    ::execv(command[0], command);
    ::_exit(127);
  }
  int status = 0;
  rusage usage_of_child{};
  if (::wait4(pid, &status, 0, &usage_of_child) != pid) return false;
  const auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s: exit status %d\n", command[0],
                 WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return false;
  }
  auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  m->ms = std::chrono::duration<double, std::milli>(end - start).count();
  m->cpu_ms = ms(usage_of_child.ru_utime) + ms(usage_of_child.ru_stime);
  m->kb = static_cast<double>(usage_of_child.ru_maxrss);
  return true;
}

struct series {
  std::vector<double> ms, cpu_ms, kb;
  void add(const child_measure& m) {
    ms.push_back(m.ms);
    cpu_ms.push_back(m.cpu_ms);
    kb.push_back(m.kb);
  }
  // Median wall time, median CPU time, median peak resident memory (kB).
  void print() const {
    std::printf("%.4f %.4f %.0f", median(ms), median(cpu_ms), median(kb));
  }
};

int time_runs(int count, char** command) {
  series s;
  for (int i = 0; i < count; ++i) {
    child_measure m;
    if (!run_child(command, &m)) return 1;
    s.add(m);
  }
  s.print();
  std::printf("\n");
  return 0;
}

// Runs the commands by turns, so that all meet the same load of the machine.
int compare_by_turns(int count, const std::vector<char**>& commands) {
  std::vector<series> s(commands.size());
  for (int i = 0; i < count; ++i) {
    for (size_t k = 0; k < commands.size(); ++k) {
      child_measure m;
      if (!run_child(commands[k], &m)) return 1;
      s[k].add(m);
    }
  }
  for (size_t k = 0; k < s.size(); ++k) {
    if (k > 0) std::printf(" ");
    s[k].print();
  }
  std::printf("\n");
  return 0;
}

}  // namespace
}  // namespace scenario::bench

int main(int argc, char** argv) {
  using namespace scenario::bench;
  try {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "prepare" && argc == 4) return prepare(std::atoi(argv[2]), argv[3]);
    if (mode == "compile" && argc == 3) return compile_in(argv[2]);
    if (mode == "floor" && argc == 4) return write_floor(argv[2], argv[3]);
    if (mode == "sources" && argc == 3) return write_embedded_sources(argv[2]);
    if (mode == "empty" && argc == 2) return 0;
    if (mode == "times" && argc >= 4) return time_runs(std::atoi(argv[2]), argv + 3);
    if (mode == "compare" && argc >= 6) {
      // compare N A [ARGS...] -- B [ARGS...] [-- C [ARGS...]]...
      std::vector<char**> commands{argv + 3};
      for (char** p = argv + 3; *p != nullptr; ++p) {
        if (std::string(*p) != "--") continue;
        *p = nullptr;
        commands.push_back(p + 1);
      }
      for (char** c : commands) {
        if (*c == nullptr) return usage();
      }
      if (commands.size() < 2) return usage();
      return compare_by_turns(std::atoi(argv[2]), commands);
    }
    return usage();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "scenario_measure: %s\n", e.what());
    return 2;
  }
}
