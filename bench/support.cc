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

cartella_temporanea::cartella_temporanea() {
  const char* base = std::getenv("TMPDIR");
  std::string modello = std::string(base && *base ? base : "/tmp") + "/scenario-bench-XXXXXX";
  if (::mkdtemp(modello.data()) == nullptr) throw std::runtime_error("mkdtemp failed: " + modello);
  percorso_ = modello;
}

cartella_temporanea::~cartella_temporanea() {
  if (DIR* d = ::opendir(percorso_.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      const std::string nome = e->d_name;
      if (nome != "." && nome != "..") ::unlink((percorso_ + "/" + nome).c_str());
    }
    ::closedir(d);
  }
  ::rmdir(percorso_.c_str());
}

void sincronizza(const std::string& cartella) {
  const int fd = ::open(cartella.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot open " + cartella);
  const int esito = ::syncfs(fd);
  ::close(fd);
  if (esito != 0) throw std::runtime_error("syncfs failed on " + cartella);
}

sorgenti_generate scenario_di(int km) {
  const int32_t lunghezza = km * 1000;
  const int righe = km * 2;
  // The seed only varies the positions; every size gets the same one.
  constexpr uint64_t seme = 20240607;
  testing::scenario_generato g;
  if (lunghezza == 1'000'000) {
    g = testing::genera_percorso_lungo(seme, righe);
  } else {
    testing::opzioni_generatore o;
    o.lunghezza = lunghezza;
    o.righe = righe;
    o.varia_forma = false;
    g = testing::genera_scenario(seme, o);
  }
  return sorgenti_generate{std::move(g.linea), std::move(g.treno), g.lunghezza, righe};
}

void scrivi_sorgenti(FileSystem& fs, const std::string& cartella, const sorgenti_generate& g) {
  const std::string linea = nome_linea_incorporata;
  const std::string treno = nome_treno_incorporato;
  auto e = fs.write(join_path(cartella, nomi::linea_txt(linea)), g.linea);
  if (!e) e = fs.write(join_path(cartella, nomi::treno_txt(linea, treno)), g.treno);
  if (e) throw std::runtime_error(e->path + ": " + e->reason);
}

stato_compilazione stato_nuovo() {
  stato_compilazione s;
  s.nome_linea = nome_linea_incorporata;
  s.nome_treno = nome_treno_incorporato;
  return s;
}

opzioni_compilazione opzioni_in(const std::string& cartella) {
  opzioni_compilazione o;
  o.cartella_sorgenti = cartella;
  o.cartella_uscita = cartella;
  o.elimina_sorgenti = false;
  return o;
}

namespace {

std::string contenuto(const MemoryFileSystem& fs, const std::string& path) {
  auto it = fs.files.find(path);
  if (it == fs.files.end()) throw std::runtime_error("not written: " + path);
  return it->second;
}

std::vector<file_uscita> binari_in(const MemoryFileSystem& fs, const std::string& cartella) {
  const std::string linea = nome_linea_incorporata;
  const std::string treno = nome_treno_incorporato;
  std::vector<file_uscita> out;
  for (const std::string& nome :
       {nomi::linea_dat(linea), nomi::sim(linea, treno), nomi::dat(linea, treno)}) {
    out.push_back({nome, contenuto(fs, join_path(cartella, nome))});
  }
  return out;
}

}  // namespace

std::vector<file_uscita> uscite_compilazione(const sorgenti_generate& g) {
  MemoryFileSystem fs;
  scrivi_sorgenti(fs, "c", g);
  stato_compilazione s = stato_nuovo();
  const esito_compilazione e = memorizza_percorso(s, con_matrice_linea, fs, opzioni_in("c"));
  if (e.errore_io || e.errore_guardia || e.nulla_da_scrivere || has_errors(s.diagnostiche)) {
    std::ostringstream msg;
    riporta(msg, e, s);
    throw std::runtime_error("the generated scenario does not compile clean:\n" + msg.str());
  }
  return binari_in(fs, "c");
}

uscite_esecuzione uscite_esegui() {
  const std::string linea = nome_linea_incorporata;
  const std::string treno = nome_treno_incorporato;
  uscite_esecuzione u;
  // The sources are deleted by the run: write them once more to see them.
  MemoryFileSystem sorgenti;
  dati_linea(sorgenti, "c", linea, treno);
  dati_treno(sorgenti, "c", linea, treno);
  u.sorgenti = {nomi::linea_txt(linea), nomi::treno_txt(linea, treno)};

  MemoryFileSystem fs;
  std::ostringstream err;
  if (int st = esegui(fs, "c", err); st != 0) {
    throw std::runtime_error("the one-shot run ended with status " + std::to_string(st) + ":\n" +
                             err.str());
  }
  for (const std::string& nome : u.sorgenti) {
    u.testi.push_back({nome, contenuto(sorgenti, join_path("c", nome))});
  }
  for (const std::string& nome :
       {nomi::note(linea, treno), nomi::rallentamenti(linea, treno), nomi::scheda(linea, treno)}) {
    u.testi.push_back({nome, contenuto(fs, join_path("c", nome))});
  }
  u.binari = binari_in(fs, "c");
  return u;
}

namespace {

void verifica(const std::optional<IoError>& e) {
  if (e) throw std::runtime_error(e->path + ": " + e->reason);
}

}  // namespace

void floor_compile(FileSystem& fs, const std::string& cartella,
                            const std::vector<file_uscita>& binari) {
  std::vector<OutputFile> set;
  set.reserve(binari.size());
  for (const auto& f : binari) set.push_back({join_path(cartella, f.nome), f.dati});
  verifica(publish(fs, set));
}

void floor_run(FileSystem& fs, const std::string& cartella, const uscite_esecuzione& u) {
  for (const auto& f : u.testi) verifica(publish(fs, {{join_path(cartella, f.nome), f.dati}}));
  floor_compile(fs, cartella, u.binari);
  for (const auto& nome : u.sorgenti) verifica(fs.remove(join_path(cartella, nome)));
}

size_t byte_totali(const std::vector<file_uscita>& files) {
  size_t n = 0;
  for (const auto& f : files) n += f.dati.size();
  return n;
}

}  // namespace scenario::bench
