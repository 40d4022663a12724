// Benchmarks of the compile against its floor: the same output bytes written
// to the same files with the same create-and-rename steps. Each pair runs in
// the same process, one after the other, on the same disk; the table printed
// at the end gives the ratios of their medians.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

#include <unistd.h>

#include "compiler/derivation.h"
#include "compiler/line_reader.h"
#include "compiler/reader.h"
#include "compiler/service_reader.h"
#include "model/binary_files.h"
#include "run/run.h"
#include "support.h"

namespace scenario::bench {
namespace {

// Discards what the run prints.
class flusso_nullo : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Generated scenarios and their outputs, made once per length.
struct dati_scenario {
  sorgenti_generate sorgenti;
  std::vector<file_uscita> binari;
};

const dati_scenario& dati(int km) {
  static std::map<int, std::unique_ptr<dati_scenario>> cache;
  auto& d = cache[km];
  if (!d) {
    d = std::make_unique<dati_scenario>();
    d->sorgenti = scenario_di(km);
    d->binari = uscite_compilazione(d->sorgenti);
  }
  return *d;
}

void imposta_contatori(benchmark::State& state, size_t byte_scritti) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byte_scritti));
  state.counters["out_MB"] = static_cast<double>(byte_scritti) / 1e6;
}

// Untimed: every repetition starts with what was written before on the disk.
void inizia_da_disco(benchmark::State& state, const cartella_temporanea& dir) {
  state.PauseTiming();
  sincronizza(dir.percorso());
  state.ResumeTiming();
}

// --- The one-shot run -------------------------------------------------------

void BM_Esegui(benchmark::State& state) {
  const uscite_esecuzione u = uscite_esegui();
  cartella_temporanea dir;
  PosixFileSystem fs;
  flusso_nullo nullo;
  std::ostream err(&nullo);
  for (auto _ : state) {
    inizia_da_disco(state, dir);
    if (esegui(fs, dir.percorso(), err) != 0) state.SkipWithError("the run failed");
  }
  imposta_contatori(state, byte_totali(u.testi) + byte_totali(u.binari));
}
BENCHMARK(BM_Esegui)->Unit(benchmark::kMicrosecond);

void BM_Pavimento_Esegui(benchmark::State& state) {
  const uscite_esecuzione u = uscite_esegui();
  cartella_temporanea dir;
  PosixFileSystem fs;
  for (auto _ : state) {
    inizia_da_disco(state, dir);
    floor_run(fs, dir.percorso(), u);
  }
  imposta_contatori(state, byte_totali(u.testi) + byte_totali(u.binari));
}
BENCHMARK(BM_Pavimento_Esegui)->Unit(benchmark::kMicrosecond);

// --- The compile of a generated scenario, 10, 100 and 1,000 km ---------------

void BM_Compila(benchmark::State& state) {
  const dati_scenario& d = dati(static_cast<int>(state.range(0)));
  cartella_temporanea dir;
  PosixFileSystem fs;
  scrivi_sorgenti(fs, dir.percorso(), d.sorgenti);
  const opzioni_compilazione opzioni = opzioni_in(dir.percorso());
  for (auto _ : state) {
    inizia_da_disco(state, dir);
    stato_compilazione s = stato_nuovo();
    const esito_compilazione e = memorizza_percorso(s, con_matrice_linea, fs, opzioni);
    if (e.scritti.size() != 3) state.SkipWithError("the compile wrote no set");
    benchmark::DoNotOptimize(s);
  }
  imposta_contatori(state, byte_totali(d.binari));
}
BENCHMARK(BM_Compila)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_Pavimento_Compila(benchmark::State& state) {
  const dati_scenario& d = dati(static_cast<int>(state.range(0)));
  cartella_temporanea dir;
  PosixFileSystem fs;
  for (auto _ : state) {
    inizia_da_disco(state, dir);
    floor_compile(fs, dir.percorso(), d.binari);
  }
  imposta_contatori(state, byte_totali(d.binari));
}
BENCHMARK(BM_Pavimento_Compila)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// --- Each stage alone, on the 1,000 km scenario, files in memory ----------------

constexpr int km_parti = 1000;

// Reads the line description of `testo` into a fresh state.
void leggi_solo_linea(stato_compilazione& s, MemoryFileSystem& fs, const std::string& testo,
                      bool genera_linea, int32_t* riga_testi = nullptr) {
  sorgenti_generate g;
  g.linea = testo;
  scrivi_sorgenti(fs, "m", g);
  s.genera_linea = genera_linea;
  azzera_tabella(s);
  sorgenti src{fs, "m", false, std::nullopt};
  lettura l(s, src);
  leggi_linea(l);
  if (riga_testi) *riga_testi = l.riga_testi;
}

void BM_LeggiLinea(benchmark::State& state) {
  const dati_scenario& d = dati(km_parti);
  const bool genera_linea = state.range(0) != 0;
  MemoryFileSystem fs;
  for (auto _ : state) {
    stato_compilazione s = stato_nuovo();
    leggi_solo_linea(s, fs, d.sorgenti.linea, genera_linea);
    if (has_errors(s.diagnostiche)) state.SkipWithError("the line reader recorded a fault");
    benchmark::DoNotOptimize(s);
  }
  state.counters["in_kB"] = static_cast<double>(d.sorgenti.linea.size()) / 1e3;
}
// 0: without the track plan; 1: with it.
BENCHMARK(BM_LeggiLinea)->ArgName("piano")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The track plan alone: the general section and the curves of the line
// description, and nothing else on the route.
void BM_PianoBinari(benchmark::State& state) {
  const dati_scenario& d = dati(km_parti);
  std::string solo_curve;
  size_t inizio = 0;
  while (inizio < d.sorgenti.linea.size()) {
    size_t fine = d.sorgenti.linea.find('\n', inizio);
    fine = fine == std::string::npos ? d.sorgenti.linea.size() : fine + 1;
    const std::string_view riga(d.sorgenti.linea.data() + inizio, fine - inizio);
    const bool lista = riga.find("pendenza") != riga.npos || riga.find("montagna") != riga.npos ||
                       riga.find("indicatori") != riga.npos || riga.find("cartello") != riga.npos;
    if (!lista) solo_curve.append(riga);
    inizio = fine;
  }
  MemoryFileSystem fs;
  for (auto _ : state) {
    stato_compilazione s = stato_nuovo();
    leggi_solo_linea(s, fs, solo_curve, con_matrice_linea);
    if (has_errors(s.diagnostiche)) state.SkipWithError("the line reader recorded a fault");
    benchmark::DoNotOptimize(s);
  }
  state.counters["punti"] = 2.0 * (d.sorgenti.lunghezza + 7000);
}
BENCHMARK(BM_PianoBinari)->Unit(benchmark::kMillisecond);

void BM_LeggiTreno(benchmark::State& state) {
  const dati_scenario& d = dati(km_parti);
  MemoryFileSystem fs;
  // The route as the line reader leaves it; the service reader adds to it.
  stato_compilazione dopo_linea = stato_nuovo();
  int32_t riga_testi = 0;
  leggi_solo_linea(dopo_linea, fs, d.sorgenti.linea, senza_matrice_linea, &riga_testi);
  scrivi_sorgenti(fs, "m", d.sorgenti);
  for (auto _ : state) {
    state.PauseTiming();
    stato_compilazione s = dopo_linea;
    state.ResumeTiming();
    sorgenti src{fs, "m", false, std::nullopt};
    lettura l(s, src);
    l.linea_chiusa = true;
    l.riga_testi = riga_testi;
    leggi_treno(l);
    if (has_errors(s.diagnostiche)) state.SkipWithError("the service reader recorded a fault");
    benchmark::DoNotOptimize(s);
  }
  state.counters["in_kB"] = static_cast<double>(d.sorgenti.treno.size()) / 1e3;
}
BENCHMARK(BM_LeggiTreno)->Unit(benchmark::kMillisecond);

// The state of a full 1,000 km compile, before the rules and the stamps.
const stato_compilazione& letto(bool genera_linea) {
  static std::map<bool, std::unique_ptr<stato_compilazione>> cache;
  auto& s = cache[genera_linea];
  if (!s) {
    s = std::make_unique<stato_compilazione>(stato_nuovo());
    MemoryFileSystem fs;
    scrivi_sorgenti(fs, "m", dati(km_parti).sorgenti);
    s->genera_linea = genera_linea;
    azzera_tabella(*s);
    sorgenti src{fs, "m", false, std::nullopt};
    memorizza_dati(*s, src);
  }
  return *s;
}

void BM_Deriva(benchmark::State& state) {
  const stato_compilazione& base = letto(senza_matrice_linea);
  stato_compilazione s = base;
  for (auto _ : state) {
    state.PauseTiming();
    s.percorso = base.percorso;
    state.ResumeTiming();
    deriva_percorso(s);
    benchmark::DoNotOptimize(s.percorso.data());
  }
}
BENCHMARK(BM_Deriva)->Unit(benchmark::kMicrosecond);

template <std::string (*scrivi)(const stato_compilazione&)>
void BM_Scrittore(benchmark::State& state) {
  const stato_compilazione& s = letto(con_matrice_linea);
  size_t n = 0;
  for (auto _ : state) {
    const std::string out = scrivi(s);
    n = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  imposta_contatori(state, n);
}
BENCHMARK_TEMPLATE(BM_Scrittore, scrivi_tabella_sim)
    ->Name("BM_ScriviTabellaSim")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Scrittore, scrivi_percorso)
    ->Name("BM_ScriviPercorso")
    ->Unit(benchmark::kMicrosecond);
// The bytes of "_linea.dat" from the plan of `s`, as the compile hands them
// to publish().
void misura_immagine(benchmark::State& state, const stato_compilazione& s) {
  size_t n = 0;
  for (auto _ : state) {
    std::string appoggio;
    const std::string_view out = immagine_matrice_linea(s, appoggio);
    n = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  imposta_contatori(state, n);
}

// The track plan is held in its file form: the compile hands its bytes to
// publish() as they stand, and only an unfinished plan is encoded afresh.
void BM_ScriviMatriceLinea(benchmark::State& state) { misura_immagine(state, letto(con_matrice_linea)); }
BENCHMARK(BM_ScriviMatriceLinea)->Unit(benchmark::kMicrosecond);

// The same plan encoded element by element, as for an unfinished plan: what
// writing it would cost if the model held its points apart from their bytes.
void BM_CodificaMatriceLinea(benchmark::State& state) {
  stato_compilazione s = letto(con_matrice_linea);
  s.matrice_linea.imposta_doppio(0, 0, 0);  // no longer a finished plan
  misura_immagine(state, s);
}
BENCHMARK(BM_CodificaMatriceLinea)->Unit(benchmark::kMillisecond);

// --- Ratios -----------------------------------------------------------------

// Keeps the median of each benchmark (or its only run) beside the usual
// console output.
class raccoglitore : public benchmark::ConsoleReporter {
 public:
  explicit raccoglitore(OutputOptions opzioni) : ConsoleReporter(opzioni) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.error_occurred) continue;
      const std::string nome = r.run_name.str();
      const bool mediana = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
      if (mediana || (r.run_type == Run::RT_Iteration && !mediane_.count(nome))) {
        tempi_ms_[nome] =
            r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit) * 1e3;
        cpu_ms_[nome] = r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit) * 1e3;
        if (mediana) mediane_[nome] = true;
      }
    }
  }

  void stampa_rapporti(std::FILE* out) const {
    std::fprintf(out, "\nRatios to the in-process floor (medians; real time, then CPU time):\n");
    std::fprintf(out, "  %-20s %10s %10s %7s %10s %10s %7s %7s\n", "benchmark", "time ms",
                 "floor ms", "ratio", "cpu ms", "floor cpu", "ratio", "target");
    rapporto(out, "BM_Compila/1000", "BM_Pavimento_Compila/1000", "-");
    rapporto(out, "BM_Compila/100", "BM_Pavimento_Compila/100", "-");
    rapporto(out, "BM_Compila/10", "BM_Pavimento_Compila/10", "-");
    rapporto(out, "BM_Esegui", "BM_Pavimento_Esegui", "-");
    std::fprintf(out,
                 "  (the targets are for whole processes against the strict floor: see run.sh)\n");
    std::fprintf(out, "\nGrowth of the compile:\n");
    std::fprintf(out, "  %6s %10s %10s %10s %10s\n", "km", "time ms", "ms/km", "cpu ms", "cpu ms/km");
    for (const char* km : {"10", "100", "1000"}) {
      const std::string nome = std::string("BM_Compila/") + km;
      const auto it = tempi_ms_.find(nome);
      const auto ic = cpu_ms_.find(nome);
      if (it == tempi_ms_.end() || ic == cpu_ms_.end()) continue;
      const double n = std::stod(km);
      std::fprintf(out, "  %6s %10.3f %10.4f %10.3f %10.4f\n", km, it->second, it->second / n,
                   ic->second, ic->second / n);
    }
  }

 private:
  void rapporto(std::FILE* out, const std::string& a, const std::string& b,
                const char* obiettivo) const {
    const auto ia = tempi_ms_.find(a);
    const auto ib = tempi_ms_.find(b);
    if (ia == tempi_ms_.end() || ib == tempi_ms_.end()) return;
    const double ca = cpu_ms_.at(a);
    const double cb = cpu_ms_.at(b);
    std::fprintf(out, "  %-20s %10.3f %10.3f %7.2f %10.3f %10.3f %7.2f %7s\n", a.c_str(),
                 ia->second, ib->second, ia->second / ib->second, ca, cb, ca / cb, obiettivo);
  }

  std::map<std::string, double> tempi_ms_;
  std::map<std::string, double> cpu_ms_;
  std::map<std::string, bool> mediane_;
};

}  // namespace
}  // namespace scenario::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  scenario::bench::raccoglitore r(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                         : benchmark::ConsoleReporter::OO_Tabular);
  benchmark::RunSpecifiedBenchmarks(&r);
  r.stampa_rapporti(stdout);
  benchmark::Shutdown();
  return 0;
}
