#include "support/compile_check.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <string>
#include <vector>

#include "compiler/fields.h"
#include "model/binary_files.h"
#include "model/coding.h"
#include "model/file_names.h"
#include "model/model.h"
#include "platform/file_system.h"
#include "platform/forwarding_file_system.h"
#include "run/compile.h"
#include "run/errors.h"
#include "run/run.h"
#include "support/faults_seen.h"

namespace scenario::testing {

namespace {

// The field stream read byte by byte, as its header describes it, on plain
// indices: the oracle the fuzz target holds flusso_campi to, read for read,
// whatever way the stream finds its fields.
class campi_di_riferimento {
 public:
  explicit campi_di_riferimento(std::string_view t) : t_(t) {}

  struct lettura {
    bool riuscita = false;
    int32_t valore = 0;
    std::string testo;
    int linea_testo = 0;  // of the field, or of the failure
    int colonna = 0;
    std::string scritto;
    flusso_campi::difetto difetto = flusso_campi::difetto::nessuno;
  };

  lettura testo() {
    lettura r;
    if (p_ >= t_.size()) return oltre();
    salta_spazi();
    apri(r);
    if (p_ < t_.size() && t_[p_] == '"') {
      const size_t inizio = ++p_;
      while (p_ < t_.size() && t_[p_] != '"' && !fine_linea(p_)) ++p_;
      r.testo = std::string(t_.substr(inizio, p_ - inizio));
      if (p_ < t_.size() && t_[p_] == '"') ++p_;
      while (p_ < t_.size() && t_[p_] != ',' && !fine_linea(p_)) ++p_;
      r.scritto = std::string(t_.substr(campo_, p_ - campo_));
    } else {
      while (p_ < t_.size() && t_[p_] != ',' && !fine_linea(p_)) ++p_;
      size_t fine = p_;
      while (fine > campo_ && spazio(t_[fine - 1])) --fine;
      r.testo = r.scritto = std::string(t_.substr(campo_, fine - campo_));
    }
    separatore();
    r.riuscita = true;
    return r;
  }

  lettura numero() {
    lettura r;
    if (p_ >= t_.size()) return oltre();
    salta_spazi();
    apri(r);
    while (p_ < t_.size() && t_[p_] != ',' && !spazio(t_[p_]) && !fine_linea(p_)) ++p_;
    const std::string_view campo = t_.substr(campo_, p_ - campo_);
    r.scritto = std::string(campo);
    std::string_view cifre = campo;
    if (!cifre.empty() && (cifre[0] == '-' || cifre[0] == '+')) cifre.remove_prefix(1);
    const bool numero = campo.empty() || (!cifre.empty() && cifre.find_first_not_of("0123456789") == cifre.npos);
    if (!numero) return fallita(r, flusso_campi::difetto::non_numero);
    // The value of the digits, leading zeros dropped; more than ten digits
    // left is out of range whatever they are.
    cifre.remove_prefix(std::min(cifre.find_first_not_of('0'), cifre.size()));
    int64_t v = 0;
    if (cifre.size() > 10) return fallita(r, flusso_campi::difetto::troppo_grande);
    for (const char c : cifre) v = v * 10 + (c - '0');
    if (!campo.empty() && campo[0] == '-') v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return fallita(r, flusso_campi::difetto::troppo_grande);
    r.valore = static_cast<int32_t>(v);
    salta_spazi();
    separatore();
    r.riuscita = true;
    return r;
  }

 private:
  static bool spazio(char c) { return c == ' ' || c == '\t'; }
  bool fine_linea(size_t i) const { return t_[i] == '\r' || t_[i] == '\n'; }
  void salta_spazi() {
    while (p_ < t_.size() && spazio(t_[p_])) ++p_;
  }
  void apri(lettura& r) {
    campo_ = p_;
    linea_campo_ = linea_;
    r.linea_testo = linea_;
    r.colonna = static_cast<int>(p_ - inizio_linea_) + 1;
  }
  void separatore() {
    if (p_ >= t_.size()) return;
    if (t_[p_] == ',') {
      ++p_;
    } else if (fine_linea(p_)) {
      if (t_[p_++] == '\r' && p_ < t_.size() && t_[p_] == '\n') ++p_;
      ++linea_;
      inizio_linea_ = p_;
    }
  }
  lettura oltre() {
    lettura r;
    r.difetto = flusso_campi::difetto::oltre_la_fine;
    r.linea_testo = linea_campo_ > 0 ? linea_campo_ : linea_;
    return r;
  }
  static lettura fallita(lettura r, flusso_campi::difetto d) {
    r.difetto = d;
    return r;
  }

  std::string_view t_;
  size_t p_ = 0;
  int linea_ = 1;
  size_t inizio_linea_ = 0;
  size_t campo_ = 0;
  int linea_campo_ = 0;
};

// What differs between a read of the stream and the oracle's; empty when
// nothing does.
std::string confronta(const flusso_campi& f, bool riuscita, int32_t valore, const std::string& testo,
                      bool numero, const campi_di_riferimento::lettura& r) {
  const std::string che = numero ? "number read" : "text read";
  if (riuscita != r.riuscita) return che + (riuscita ? " succeeded" : " failed") + " against the oracle";
  if (!riuscita) {
    if (f.ultimo_difetto() != r.difetto) return che + ": another cause of failure than the oracle's";
    if (f.linea_testo_difetto() != r.linea_testo) return che + ": another line of failure than the oracle's";
    if (r.difetto != flusso_campi::difetto::oltre_la_fine &&
        (f.colonna_difetto() != r.colonna || f.scritto_difetto() != r.scritto)) {
      return che + ": another failed field than the oracle's";
    }
    return {};
  }
  if (numero ? valore != r.valore : testo != r.testo) return che + ": another value than the oracle's";
  if (f.linea_testo() != r.linea_testo || f.colonna() != r.colonna) return che + ": another place than the oracle's";
  if (f.scritto() != r.scritto) return che + ": another field as written than the oracle's";
  return {};
}

constexpr const char* source_folder = "sorgenti";
constexpr const char* output_folder = "uscita";

bool ends_with(const std::string& s, std::string_view coda) {
  return s.size() >= coda.size() && s.compare(s.size() - coda.size(), coda.size(), coda) == 0;
}

// A MemoryFileSystem whose file buffers are not freed when a file is
// replaced, renamed over or deleted, nor when the file system goes: they wait
// in a spare list for the next file written. A fuzz target compiles hundreds
// of inputs a second, and a fresh buffer for every output (the track plan is
// 140 kB and more) cost a mapping and its page faults under the sanitizers.
class ReusingMemoryFileSystem final : public ForwardingFileSystem {
 public:
  ReusingMemoryFileSystem() : ForwardingFileSystem(memory_) {}
  ReusingMemoryFileSystem(const ReusingMemoryFileSystem&) = delete;
  ReusingMemoryFileSystem& operator=(const ReusingMemoryFileSystem&) = delete;
  ~ReusingMemoryFileSystem() override {
    for (auto& [path, data] : files) keep_spare(std::move(data));
  }

  std::optional<IoError> write(const std::string& path, std::string_view data) override {
    auto [it, nuovo] = files.try_emplace(path);
    if (nuovo) it->second = take_spare(data.size());
    it->second.assign(data);
    return std::nullopt;
  }
  std::optional<IoError> write_at(const std::string& path, uint64_t offset, std::string_view data) override {
    if (auto [it, nuovo] = files.try_emplace(path); nuovo) {
      it->second = take_spare(static_cast<size_t>(offset) + data.size());
      it->second.clear();
    }
    return ForwardingFileSystem::write_at(path, offset, data);
  }
  std::optional<IoError> rename(const std::string& from, const std::string& to) override {
    if (from != to && files.count(from)) recycle(to);
    return ForwardingFileSystem::rename(from, to);
  }
  std::optional<IoError> remove(const std::string& path) override {
    recycle(path);
    return ForwardingFileSystem::remove(path);
  }

 private:
  MemoryFileSystem memory_;

 public:
  std::map<std::string, std::string>& files = memory_.files;

 private:
  // Only buffers worth keeping, and a few of them: a compile holds at most
  // a set of three outputs, their temporaries and the older files kept aside.
  static constexpr size_t min_spare_size = 4096;
  static constexpr size_t max_spares = 16;
  static std::vector<std::string>& spares() {
    static std::vector<std::string> r;
    return r;
  }
  // The smallest spare buffer that holds `size` bytes, else the largest.
  static std::string take_spare(size_t size) {
    auto& r = spares();
    if (r.empty()) return {};
    auto chosen = r.begin();
    for (auto it = r.begin(); it != r.end(); ++it) {
      const bool fits = it->capacity() >= size;
      const bool chosen_fits = chosen->capacity() >= size;
      if (fits ? !chosen_fits || it->capacity() < chosen->capacity()
                : !chosen_fits && it->capacity() > chosen->capacity()) {
        chosen = it;
      }
    }
    std::string s = std::move(*chosen);
    r.erase(chosen);
    return s;
  }
  static void keep_spare(std::string&& s) {
    auto& r = spares();
    if (s.capacity() >= min_spare_size && r.size() < max_spares) r.push_back(std::move(s));
  }
  void recycle(const std::string& path) {
    if (auto it = files.find(path); it != files.end()) keep_spare(std::move(it->second));
  }
};

struct CompileRun {
  CompileOutcome outcome;
  stato_compilazione stato;
  ReusingMemoryFileSystem fs;
};

void run_compile(const CompileInput& in, CompileRun* c) {
  const std::string linea_txt =
      join_path(source_folder, nomi::linea_txt(nome_linea_incorporata));
  const std::string treno_txt = join_path(
      source_folder, nomi::treno_txt(nome_linea_incorporata, nome_treno_incorporato));
  c->fs.files[linea_txt] = in.linea;
  if (in.treno) c->fs.files[treno_txt] = *in.treno;
  c->stato.nome_linea = nome_linea_incorporata;
  c->stato.nome_treno = nome_treno_incorporato;
  CompileOptions options;
  options.source_folder = source_folder;
  options.output_folder = output_folder;
  options.delete_sources = in.delete_sources;
  if (in.plan_window != 0) options.plan_window = in.plan_window;
  c->outcome = memorizza_percorso(c->stato, in.genera_linea, c->fs, options);
}

// The files of the output folder by name, without copying them.
std::map<std::string, std::string_view> output_files(const ReusingMemoryFileSystem& fs) {
  std::map<std::string, std::string_view> out;
  const std::string prefisso = std::string(output_folder) + "/";
  for (const auto& [path, data] : fs.files) {
    if (path.compare(0, prefisso.size(), prefisso) == 0) out[path.substr(prefisso.size())] = data;
  }
  return out;
}

std::string check_run(const CompileInput& in, const CompileRun& c) {
  const CompileOutcome& e = c.outcome;
  const stato_compilazione& s = c.stato;
  if (e.io_error) {
    // Only a source missing from the run's own folder is a failure of the
    // file system here; it stops the run before anything is written.
    const std::string treno_txt = join_path(
        source_folder, nomi::treno_txt(nome_linea_incorporata, nome_treno_incorporato));
    if (!in.delete_sources || in.treno || e.io_error->path != treno_txt) {
      return "file-system failure in memory: " + e.io_error->path + ": " + e.io_error->reason;
    }
    if (!output_files(c.fs).empty()) return "a run stopped by a missing source wrote its outputs";
    return {};
  }
  const int status = exit_status(e, s);
  if (status < 0 || status > 2) return "exit status " + std::to_string(status);

  for (const auto& g : faults_of(s)) {
    if (testo_errore(g.number) == testo_errore(-1)) {
      return "unknown fault number " + std::to_string(g.number);
    }
  }
  if (!faults_of(s).empty() && s.numero_errore != faults_of(s).back().number) {
    return "numero_errore " + std::to_string(s.numero_errore) + " is not the last fault logged (" +
           std::to_string(faults_of(s).back().number) + ")";
  }

  for (const auto& [path, data] : c.fs.files) {
    if (ends_with(path, ".tmp") || ends_with(path, ".old")) return "left behind: " + path;
  }

  // The author's sources are never touched; the run's own are always
  // deleted once the line reader has opened them.
  const std::string linea_txt =
      join_path(source_folder, nomi::linea_txt(nome_linea_incorporata));
  const std::string treno_txt = join_path(
      source_folder, nomi::treno_txt(nome_linea_incorporata, nome_treno_incorporato));
  auto linea_it = c.fs.files.find(linea_txt);
  auto treno_it = c.fs.files.find(treno_txt);
  if (!in.delete_sources) {
    if (linea_it == c.fs.files.end() || linea_it->second != in.linea) {
      return "the line description was changed or deleted";
    }
    if (in.treno.has_value() != (treno_it != c.fs.files.end()) ||
        (in.treno && treno_it->second != *in.treno)) {
      return "the service description was changed, deleted or created";
    }
  } else if (linea_it != c.fs.files.end()) {
    return "the line description was not deleted";
  }

  const auto out = output_files(c.fs);
  if (e.guard_error || e.nothing_to_write) {
    if (!out.empty()) return "a refused compile wrote " + out.begin()->first;
    if (e.guard_error && *e.guard_error != 1250 && *e.guard_error != 1251) {
      return "guard error " + std::to_string(*e.guard_error);
    }
    return {};
  }

  std::vector<std::string> attesi;
  if (in.genera_linea) attesi.push_back(nomi::linea_dat(nome_linea_incorporata));
  attesi.push_back(nomi::sim(nome_linea_incorporata, nome_treno_incorporato));
  attesi.push_back(nomi::dat(nome_linea_incorporata, nome_treno_incorporato));
  if (e.written != attesi) return "the written list is not the expected set of files";
  if (out.size() != attesi.size()) return "the output folder holds other files";
  for (const auto& nome : attesi) {
    if (!out.count(nome)) return "missing output " + nome;
  }

  if (auto v = check_sim(out.at(attesi[attesi.size() - 2]), nome_linea_incorporata,
                         nome_treno_incorporato);
      !v.empty()) {
    return v;
  }
  size_t celle = 0;
  if (auto v = check_dat(out.at(attesi.back()), &celle); !v.empty()) return v;
  if (in.genera_linea) {
    size_t punti = 0;
    if (auto v = check_linea_dat(out.at(attesi.front()), &punti); !v.empty()) return v;
    // Both arrays are sized from the same route length: P = near(L / 50).
    const double ultimo_punto = static_cast<double>(punti) - 1;
    if (celle != static_cast<size_t>(near(ultimo_punto / 50.0)) + 1) {
      return "route file of " + std::to_string(celle) + " cells beside a track plan of " +
             std::to_string(punti) + " points";
    }
  }
  return {};
}

}  // namespace

CompileInput split_input(std::string_view dati) {
  CompileInput in;
  if (dati.empty()) return in;
  const auto flag = static_cast<uint8_t>(dati[0]);
  in.genera_linea = (flag & 1) != 0;
  in.delete_sources = (flag & 2) != 0;
  if ((flag & 0x80) != 0) in.plan_window = small_plan_window;
  dati.remove_prefix(1);
  const size_t nul = dati.find('\0');
  in.linea = std::string(dati.substr(0, nul));
  if (nul != std::string_view::npos) in.treno = std::string(dati.substr(nul + 1));
  return in;
}

std::string join_input(const CompileInput& in) {
  std::string out;
  out.push_back(static_cast<char>((in.genera_linea ? 1 : 0) | (in.delete_sources ? 2 : 0) |
                                  (in.plan_window == small_plan_window ? 0x80 : 0)));
  out += in.linea;
  if (in.treno) {
    out.push_back('\0');
    out += *in.treno;
  }
  return out;
}

// A check of the same author's sources writes and deletes nothing, and
// agrees with the compile up to the compile's first error: the same
// diagnostics in the same order, that error included (the two read alike
// until then).
std::string check_against_check(const CompileInput& in, const CompileRun& prima) {
  if (in.delete_sources || !in.genera_linea) return {};
  MemoryFileSystem fs;
  fs.files[join_path(source_folder, nomi::linea_txt(nome_linea_incorporata))] = in.linea;
  if (in.treno) {
    fs.files[join_path(source_folder, nomi::treno_txt(nome_linea_incorporata, nome_treno_incorporato))] =
        *in.treno;
  }
  const auto file_prima = fs.files;
  stato_compilazione s;
  s.nome_linea = nome_linea_incorporata;
  s.nome_treno = nome_treno_incorporato;
  const CompileOutcome e = check_sources(s, con_matrice_linea, fs, source_folder, {});
  if (e.io_error) return "a check met a file-system failure in memory: " + e.io_error->path;
  if (fs.files != file_prima || !e.written.empty()) return "a check changed or wrote files";
  const Diagnostics& compilate = prima.stato.diagnostiche;
  size_t n = compilate.size();
  for (size_t i = 0; i < compilate.size(); ++i) {
    if (compilate[i].severity == Severity::kError) {
      n = i + 1;
      break;
    }
  }
  if (s.diagnostiche.size() < n) return "a check reported less than the compile";
  for (size_t i = 0; i < n; ++i) {
    if (format_diagnostic(s.diagnostiche[i]) != format_diagnostic(compilate[i])) {
      return "a check and the compile part at diagnostic " + std::to_string(i) + ": " +
             format_diagnostic(s.diagnostiche[i]) + " / " + format_diagnostic(compilate[i]);
    }
  }
  return {};
}

CheckResult compile_and_check(const CompileInput& in, bool ripeti, bool con_check) {
  CheckResult r;
  CompileRun prima;
  run_compile(in, &prima);
  r.violation = check_run(in, prima);
  if (r.violation.empty() && con_check) r.violation = check_against_check(in, prima);
  r.exit_status = exit_status(prima.outcome, prima.stato);
  r.numero_errore = prima.stato.numero_errore;
  r.guasti = faults_of(prima.stato).size();
  const auto scritte = output_files(prima.fs);
  if (r.violation.empty() && ripeti) {
    // The second compile holds the track plan otherwise: whole if the first
    // sent it to its file in parts, in parts if the first held it whole.
    CompileInput altro = in;
    altro.plan_window = in.plan_window == 0 ? small_plan_window : 0;
    CompileRun seconda;
    run_compile(altro, &seconda);
    if (output_files(seconda.fs) != scritte) {
      r.violation = "a second compile of the same input wrote other bytes";
    } else if (faults_of(seconda.stato).size() != r.guasti ||
               seconda.stato.numero_errore != r.numero_errore) {
      r.violation = "a second compile of the same input logged other faults";
    }
  }
  return r;
}

namespace {

std::string fold_case(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

const char* const keywords[] = {"[generale]", "lunghezza", "percorso", "progressiva", "uno",
                                "due", "tre", "sfondo", "segnali", "ripetizione", "pendenza",
                                "curva", "montagna", "indicatori_v", "indicat", "cartello",
                                "frenata", "massa", "vetture", "velocit", "aderenza", "orologio",
                                "sabbia", "segnale", "rallentamento", "abbattimento", "stazione",
                                "-", "[", "]", ""};

}  // namespace

std::string check_fields(std::string_view dati) {
  if (dati.empty()) return {};
  uint32_t schema = static_cast<uint8_t>(dati[0]) * 0x01010101u;
  const std::string testo(dati.substr(1));
  size_t righe = 1;
  for (char c : testo) righe += (c == '\n' || c == '\r') ? 1 : 0;

  flusso_campi f(testo);
  campi_di_riferimento oracolo(testo);
  size_t letture = 0;
  int linea_testo_precedente = 0;
  std::string campo;
  while (!f.fine()) {
    if (++letture > testo.size()) return "the stream does not reach its end";
    const bool numero = (schema & 1) != 0;
    schema = (schema >> 1) | (schema << 31);
    if (numero) {
      int32_t v = 0;
      const bool letto = f.leggi_numero(v);
      if (std::string d = confronta(f, letto, v, {}, true, oracolo.numero()); !d.empty()) return d;
      if (!letto) {
        if (f.ultimo_difetto() == flusso_campi::difetto::nessuno) {
          return "a failed number read gives no cause";
        }
        // After a refused number the readers stop; go on with a text read,
        // which must succeed before the end. (The oracle's number read
        // stopped at the same place: past the field.)
        if (!f.fine()) {
          if (!f.leggi_testo(campo)) return "a text read failed before the end";
          if (std::string d = confronta(f, true, 0, campo, false, oracolo.testo()); !d.empty()) return d;
        }
      }
    } else {
      const bool letto = f.leggi_testo(campo);
      if (std::string d = confronta(f, letto, 0, campo, false, oracolo.testo()); !d.empty()) return d;
      if (!letto) return "a text read failed before the end";
      const std::string piegato = fold_case(campo);
      for (const char* p : keywords) {
        const bool esatto = campo.find(p) != std::string::npos;
        const bool qualunque = piegato.find(fold_case(p)) != std::string::npos;
        if (contiene(campo, p, confronto::esatto) != esatto ||
            contiene(campo, p, confronto::qualunque_maiuscola) != qualunque) {
          return "keyword matching disagrees with the reference on \"" + campo + "\"";
        }
      }
      if (campo.find_first_of("\r\n") != std::string::npos) return "a text field holds a line end";
    }
    if (f.linea_testo() < linea_testo_precedente) return "the line number went back";
    if (f.linea_testo() < 1 || static_cast<size_t>(f.linea_testo()) > righe) return "line number out of range";
    linea_testo_precedente = f.linea_testo();
  }
  std::string resto;
  int32_t v = 0;
  if (f.leggi_testo(resto) || f.leggi_numero(v)) return "a read past the end succeeded";
  if (f.ultimo_difetto() != flusso_campi::difetto::oltre_la_fine) {
    return "a read past the end gives another cause";
  }
  return {};
}

std::string check_sim(std::string_view sim, const std::string& nome_linea,
                      const std::string& nome_treno) {
  size_t pos = 0;
  for (int riga = 0; riga < righe_tabella_sim; ++riga) {
    if (sim.size() - pos < layout::sim_riga_vuota) {
      return ".sim: row " + std::to_string(riga) + " cut short at byte " + std::to_string(pos);
    }
    const size_t n = coding::DecodeU16(sim.data() + pos + layout::sim_lunghezza_testo);
    if (sim.size() - pos < layout::sim_riga_vuota + n) {
      return ".sim: text of row " + std::to_string(riga) + " runs past the end";
    }
    const std::string_view testo = sim.substr(pos + layout::sim_testo, n);
    const char* coda = sim.data() + pos + layout::sim_testo + n;
    if (riga == riga_linea) {
      if (testo != nome_linea) return ".sim: row 85 does not hold the line name";
      if (coding::DecodeI16(coda + layout::sim_i1) != 610) return ".sim: row 85 i1 is not 610";
    }
    if (riga == riga_ripetizione && testo != nome_treno) {
      return ".sim: row 86 does not hold the train name";
    }
    pos += layout::sim_riga_vuota + n;
  }
  if (pos != sim.size()) return ".sim: " + std::to_string(sim.size() - pos) + " bytes after row 86";
  return {};
}

std::string check_dat(std::string_view dat, size_t* celle) {
  if (dat.size() % layout::dat_cella != 0) return ".dat: not a whole number of cells";
  *celle = dat.size() / layout::dat_cella;
  // The shortest route (length 0) still has L = 7000 and cells 0 .. 140.
  if (*celle < 141) return ".dat: only " + std::to_string(*celle) + " cells";
  if (coding::DecodeI16(dat.data() + layout::dat_cella + layout::dat_dato1) != 5121) {
    return ".dat: cell 1 dato1 is not 5121";
  }
  return {};
}

std::string check_linea_dat(std::string_view linea, size_t* punti) {
  size_t pos = 0;
  size_t elementi = 0;
  while (pos < linea.size()) {
    if (linea.size() - pos < layout::linea_tag) return "_linea.dat: tag cut short";
    const uint16_t tag = coding::DecodeU16(linea.data() + pos);
    size_t dimensione = 0;
    switch (tag) {
      case static_cast<uint16_t>(tipo_elemento::vuoto): dimensione = layout::linea_vuoto; break;
      case static_cast<uint16_t>(tipo_elemento::intero): dimensione = layout::linea_intero; break;
      case static_cast<uint16_t>(tipo_elemento::doppio): dimensione = layout::linea_doppio; break;
      default: return "_linea.dat: unknown tag " + std::to_string(tag) + " at byte " +
                      std::to_string(pos);
    }
    if (linea.size() - pos < dimensione) return "_linea.dat: element cut short";
    pos += dimensione;
    ++elementi;
  }
  if (elementi % 2 != 0) return "_linea.dat: odd number of elements";
  *punti = elementi / 2;
  if (*punti < 7001) return "_linea.dat: only " + std::to_string(*punti) + " points";
  return {};
}

}  // namespace scenario::testing
