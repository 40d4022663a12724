#include "support.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "documents/documents.h"
#include "model/file_names.h"
#include "run/run.h"
#include "scenario/line_description.h"
#include "scenario/service_description.h"
#include "support/scenario_generator.h"

namespace scenario::bench {

temp_folder::temp_folder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/scenario-bench-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed: " + pattern);
  path_ = pattern;
}

temp_folder::~temp_folder() {
  if (DIR* d = ::opendir(path_.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") ::unlink((path_ + "/" + name).c_str());
    }
    ::closedir(d);
  }
  ::rmdir(path_.c_str());
}

void sync_to_disk(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot open " + folder);
  const int status = ::syncfs(fd);
  ::close(fd);
  if (status != 0) throw std::runtime_error("syncfs failed on " + folder);
}

generated_sources make_scenario(int km) {
  const int32_t length = km * 1000;
  const int rows = km * 2;
  // The seed only varies the positions; every size gets the same one.
  constexpr uint64_t seed = 20240607;
  testing::RandomScenario g;
  if (length == 1'000'000) {
    g = testing::generate_long_route(seed, rows);
  } else {
    testing::GeneratorOptions o;
    o.lunghezza = length;
    o.righe = rows;
    o.vary_form = false;
    g = testing::generate_scenario(seed, o);
  }
  return generated_sources{std::move(g.linea), std::move(g.treno), g.lunghezza, rows};
}

void write_sources(FileSystem& fs, const std::string& folder, const generated_sources& g) {
  const std::string line = nome_linea_incorporata;
  const std::string train = nome_treno_incorporato;
  auto e = fs.write(join_path(folder, nomi::linea_txt(line)), g.line);
  if (!e) e = fs.write(join_path(folder, nomi::treno_txt(line, train)), g.service);
  if (e) throw std::runtime_error(e->path + ": " + e->reason);
}

stato_compilazione fresh_state() {
  stato_compilazione s;
  s.nome_linea = nome_linea_incorporata;
  s.nome_treno = nome_treno_incorporato;
  return s;
}

CompileOptions options_in(const std::string& folder) {
  CompileOptions o;
  o.source_folder = folder;
  o.output_folder = folder;
  o.delete_sources = false;
  return o;
}

namespace {

std::string contents(const MemoryFileSystem& fs, const std::string& path) {
  auto it = fs.files.find(path);
  if (it == fs.files.end()) throw std::runtime_error("not written: " + path);
  return it->second;
}

std::vector<file_bytes> binaries_in(const MemoryFileSystem& fs, const std::string& folder) {
  const std::string line = nome_linea_incorporata;
  const std::string train = nome_treno_incorporato;
  std::vector<file_bytes> out;
  for (const std::string& name :
       {nomi::linea_dat(line), nomi::sim(line, train), nomi::dat(line, train)}) {
    out.push_back({name, contents(fs, join_path(folder, name))});
  }
  return out;
}

}  // namespace

std::vector<file_bytes> compile_outputs(const generated_sources& g) {
  MemoryFileSystem fs;
  write_sources(fs, "c", g);
  stato_compilazione s = fresh_state();
  const CompileOutcome e = memorizza_percorso(s, con_matrice_linea, fs, options_in("c"));
  if (e.io_error || e.guard_error || e.nothing_to_write || has_errors(s.diagnostiche)) {
    std::ostringstream msg;
    report(msg, e, s);
    throw std::runtime_error("the generated scenario does not compile clean:\n" + msg.str());
  }
  return binaries_in(fs, "c");
}

run_outputs outputs_of_run() {
  const std::string line = nome_linea_incorporata;
  const std::string train = nome_treno_incorporato;
  run_outputs u;
  // The sources are deleted by the run: write them once more to see them.
  MemoryFileSystem sources;
  dati_linea(sources, "c", line, train);
  dati_treno(sources, "c", line, train);
  u.sources = {nomi::linea_txt(line), nomi::treno_txt(line, train)};

  MemoryFileSystem fs;
  std::ostringstream err;
  if (int st = esegui(fs, "c", err); st != 0) {
    throw std::runtime_error("the one-shot run ended with status " + std::to_string(st) + ":\n" +
                             err.str());
  }
  for (const std::string& name : u.sources) {
    u.texts.push_back({name, contents(sources, join_path("c", name))});
  }
  for (const std::string& name :
       {nomi::note(line, train), nomi::rallentamenti(line, train), nomi::scheda(line, train)}) {
    u.texts.push_back({name, contents(fs, join_path("c", name))});
  }
  u.binaries = binaries_in(fs, "c");
  return u;
}

namespace {

void check(const std::optional<IoError>& e) {
  if (e) throw std::runtime_error(e->path + ": " + e->reason);
}

}  // namespace

void floor_compile(FileSystem& fs, const std::string& folder,
                   const std::vector<file_bytes>& binaries) {
  std::vector<OutputFile> set;
  set.reserve(binaries.size());
  for (const auto& f : binaries) set.push_back({join_path(folder, f.name), f.data});
  check(publish(fs, set));
}

void floor_run(FileSystem& fs, const std::string& folder, const run_outputs& u) {
  for (const auto& f : u.texts) check(publish(fs, {{join_path(folder, f.name), f.data}}));
  floor_compile(fs, folder, u.binaries);
  for (const auto& name : u.sources) check(fs.remove(join_path(folder, name)));
}

size_t total_bytes(const std::vector<file_bytes>& files) {
  size_t n = 0;
  for (const auto& f : files) n += f.data.size();
  return n;
}

}  // namespace scenario::bench
