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
class null_buffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Generated scenarios and their outputs, made once per length.
struct scenario_data {
  generated_sources sources;
  std::vector<file_bytes> binaries;
};

const scenario_data& data_for(int km) {
  static std::map<int, std::unique_ptr<scenario_data>> cache;
  auto& d = cache[km];
  if (!d) {
    d = std::make_unique<scenario_data>();
    d->sources = make_scenario(km);
    d->binaries = compile_outputs(d->sources);
  }
  return *d;
}

void set_counters(benchmark::State& state, size_t bytes_written) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes_written));
  state.counters["out_MB"] = static_cast<double>(bytes_written) / 1e6;
}

// Untimed: every repetition starts with what was written before on the disk.
void start_from_disk(benchmark::State& state, const temp_folder& dir) {
  state.PauseTiming();
  sync_to_disk(dir.path());
  state.ResumeTiming();
}

// --- The one-shot run -------------------------------------------------------

void BM_Run(benchmark::State& state) {
  const run_outputs u = outputs_of_run();
  temp_folder dir;
  PosixFileSystem fs;
  null_buffer sink;
  std::ostream err(&sink);
  for (auto _ : state) {
    start_from_disk(state, dir);
    if (esegui(fs, dir.path(), err) != 0) state.SkipWithError("the run failed");
  }
  set_counters(state, total_bytes(u.texts) + total_bytes(u.binaries));
}
BENCHMARK(BM_Run)->Unit(benchmark::kMicrosecond);

void BM_Floor_Run(benchmark::State& state) {
  const run_outputs u = outputs_of_run();
  temp_folder dir;
  PosixFileSystem fs;
  for (auto _ : state) {
    start_from_disk(state, dir);
    floor_run(fs, dir.path(), u);
  }
  set_counters(state, total_bytes(u.texts) + total_bytes(u.binaries));
}
BENCHMARK(BM_Floor_Run)->Unit(benchmark::kMicrosecond);

// --- The compile of a generated scenario, 10, 100 and 1,000 km ---------------

void BM_Compile(benchmark::State& state) {
  const scenario_data& d = data_for(static_cast<int>(state.range(0)));
  temp_folder dir;
  PosixFileSystem fs;
  write_sources(fs, dir.path(), d.sources);
  const CompileOptions options = options_in(dir.path());
  for (auto _ : state) {
    start_from_disk(state, dir);
    stato_compilazione s = fresh_state();
    const CompileOutcome e = memorizza_percorso(s, con_matrice_linea, fs, options);
    if (e.written.size() != 3) state.SkipWithError("the compile wrote no set");
    benchmark::DoNotOptimize(s);
  }
  set_counters(state, total_bytes(d.binaries));
}
BENCHMARK(BM_Compile)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_Floor_Compile(benchmark::State& state) {
  const scenario_data& d = data_for(static_cast<int>(state.range(0)));
  temp_folder dir;
  PosixFileSystem fs;
  for (auto _ : state) {
    start_from_disk(state, dir);
    floor_compile(fs, dir.path(), d.binaries);
  }
  set_counters(state, total_bytes(d.binaries));
}
BENCHMARK(BM_Floor_Compile)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// --- Each stage alone, on the 1,000 km scenario, files in memory ----------------

constexpr int stage_km = 1000;

// Reads the line description of `text` into a fresh state.
void read_line_only(stato_compilazione& s, MemoryFileSystem& fs, const std::string& text,
                    bool with_plan, int32_t* texts_row = nullptr) {
  generated_sources g;
  g.line = text;
  write_sources(fs, "m", g);
  s.genera_linea = with_plan;
  azzera_tabella(s);
  Sources src{fs, "m", false, std::nullopt};
  lettura l(s, src);
  leggi_linea(l);
  if (texts_row) *texts_row = l.riga_testi;
}

void BM_ReadLine(benchmark::State& state) {
  const scenario_data& d = data_for(stage_km);
  const bool with_plan = state.range(0) != 0;
  MemoryFileSystem fs;
  for (auto _ : state) {
    stato_compilazione s = fresh_state();
    read_line_only(s, fs, d.sources.line, with_plan);
    if (has_errors(s.diagnostiche)) state.SkipWithError("the line reader recorded a fault");
    benchmark::DoNotOptimize(s);
  }
  state.counters["in_kB"] = static_cast<double>(d.sources.line.size()) / 1e3;
}
// 0: without the track plan; 1: with it.
BENCHMARK(BM_ReadLine)->ArgName("plan")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The track plan alone: the general section and the curves of the line
// description, and nothing else on the route.
void BM_TrackPlan(benchmark::State& state) {
  const scenario_data& d = data_for(stage_km);
  std::string curves_only;
  size_t begin = 0;
  while (begin < d.sources.line.size()) {
    size_t end = d.sources.line.find('\n', begin);
    end = end == std::string::npos ? d.sources.line.size() : end + 1;
    const std::string_view row(d.sources.line.data() + begin, end - begin);
    const bool listed = row.find("pendenza") != row.npos || row.find("montagna") != row.npos ||
                        row.find("indicatori") != row.npos || row.find("cartello") != row.npos;
    if (!listed) curves_only.append(row);
    begin = end;
  }
  MemoryFileSystem fs;
  for (auto _ : state) {
    stato_compilazione s = fresh_state();
    read_line_only(s, fs, curves_only, con_matrice_linea);
    if (has_errors(s.diagnostiche)) state.SkipWithError("the line reader recorded a fault");
    benchmark::DoNotOptimize(s);
  }
  state.counters["points"] = 2.0 * (d.sources.length + 7000);
}
BENCHMARK(BM_TrackPlan)->Unit(benchmark::kMillisecond);

void BM_ReadService(benchmark::State& state) {
  const scenario_data& d = data_for(stage_km);
  MemoryFileSystem fs;
  // The route as the line reader leaves it; the service reader adds to it.
  stato_compilazione after_line = fresh_state();
  int32_t texts_row = 0;
  read_line_only(after_line, fs, d.sources.line, senza_matrice_linea, &texts_row);
  write_sources(fs, "m", d.sources);
  for (auto _ : state) {
    state.PauseTiming();
    stato_compilazione s = after_line;
    state.ResumeTiming();
    Sources src{fs, "m", false, std::nullopt};
    lettura l(s, src);
    l.linea_chiusa = true;
    l.riga_testi = texts_row;
    leggi_treno(l);
    if (has_errors(s.diagnostiche)) state.SkipWithError("the service reader recorded a fault");
    benchmark::DoNotOptimize(s);
  }
  state.counters["in_kB"] = static_cast<double>(d.sources.service.size()) / 1e3;
}
BENCHMARK(BM_ReadService)->Unit(benchmark::kMillisecond);

// The state of a full 1,000 km compile, before the rules and the stamps.
const stato_compilazione& read_state(bool with_plan) {
  static std::map<bool, std::unique_ptr<stato_compilazione>> cache;
  auto& s = cache[with_plan];
  if (!s) {
    s = std::make_unique<stato_compilazione>(fresh_state());
    MemoryFileSystem fs;
    write_sources(fs, "m", data_for(stage_km).sources);
    s->genera_linea = with_plan;
    azzera_tabella(*s);
    Sources src{fs, "m", false, std::nullopt};
    memorizza_dati(*s, src);
  }
  return *s;
}

void BM_Derive(benchmark::State& state) {
  const stato_compilazione& base = read_state(senza_matrice_linea);
  stato_compilazione s = base;
  for (auto _ : state) {
    state.PauseTiming();
    s.percorso = base.percorso;
    state.ResumeTiming();
    deriva_percorso(s);
    benchmark::DoNotOptimize(s.percorso.data());
  }
}
BENCHMARK(BM_Derive)->Unit(benchmark::kMicrosecond);

template <std::string (*write)(const stato_compilazione&)>
void BM_Writer(benchmark::State& state) {
  const stato_compilazione& s = read_state(con_matrice_linea);
  size_t n = 0;
  for (auto _ : state) {
    const std::string out = write(s);
    n = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  set_counters(state, n);
}
BENCHMARK_TEMPLATE(BM_Writer, scrivi_tabella_sim)
    ->Name("BM_WriteSimTable")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_Writer, scrivi_percorso)
    ->Name("BM_WriteRoute")
    ->Unit(benchmark::kMicrosecond);
// The bytes of "_linea.dat" from the plan of `s`, as the compile hands them
// to publish().
void measure_image(benchmark::State& state, const stato_compilazione& s) {
  size_t n = 0;
  for (auto _ : state) {
    std::string scratch;
    const std::string_view out = immagine_matrice_linea(s, scratch);
    n = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  set_counters(state, n);
}

// The track plan is held in its file form: the compile hands its bytes to
// publish() as they stand, and only an unfinished plan is encoded afresh.
void BM_WriteTrackPlan(benchmark::State& state) { measure_image(state, read_state(con_matrice_linea)); }
BENCHMARK(BM_WriteTrackPlan)->Unit(benchmark::kMicrosecond);

// The same plan encoded element by element, as for an unfinished plan: what
// writing it would cost if the model held its points apart from their bytes.
void BM_EncodeTrackPlan(benchmark::State& state) {
  stato_compilazione s = read_state(con_matrice_linea);
  s.matrice_linea.imposta_doppio(0, 0, 0);  // no longer a finished plan
  measure_image(state, s);
}
BENCHMARK(BM_EncodeTrackPlan)->Unit(benchmark::kMillisecond);

// --- Ratios -----------------------------------------------------------------

// Keeps the median of each benchmark (or its only run) beside the usual
// console output.
class median_collector : public benchmark::ConsoleReporter {
 public:
  explicit median_collector(OutputOptions options) : ConsoleReporter(options) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.error_occurred) continue;
      const std::string name = r.run_name.str();
      const bool is_median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
      if (is_median || (r.run_type == Run::RT_Iteration && !medians_.count(name))) {
        times_ms_[name] =
            r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit) * 1e3;
        cpu_ms_[name] = r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit) * 1e3;
        if (is_median) medians_[name] = true;
      }
    }
  }

  void print_ratios(std::FILE* out) const {
    std::fprintf(out, "\nRatios to the in-process floor (medians; real time, then CPU time):\n");
    std::fprintf(out, "  %-20s %10s %10s %7s %10s %10s %7s %7s\n", "benchmark", "time ms",
                 "floor ms", "ratio", "cpu ms", "floor cpu", "ratio", "target");
    ratio_row(out, "BM_Compile/1000", "BM_Floor_Compile/1000", "-");
    ratio_row(out, "BM_Compile/100", "BM_Floor_Compile/100", "-");
    ratio_row(out, "BM_Compile/10", "BM_Floor_Compile/10", "-");
    ratio_row(out, "BM_Run", "BM_Floor_Run", "-");
    std::fprintf(out,
                 "  (the targets are for whole processes against the strict floor: see run.sh)\n");
    std::fprintf(out, "\nGrowth of the compile:\n");
    std::fprintf(out, "  %6s %10s %10s %10s %10s\n", "km", "time ms", "ms/km", "cpu ms", "cpu ms/km");
    for (const char* km : {"10", "100", "1000"}) {
      const std::string name = std::string("BM_Compile/") + km;
      const auto it = times_ms_.find(name);
      const auto ic = cpu_ms_.find(name);
      if (it == times_ms_.end() || ic == cpu_ms_.end()) continue;
      const double n = std::stod(km);
      std::fprintf(out, "  %6s %10.3f %10.4f %10.3f %10.4f\n", km, it->second, it->second / n,
                   ic->second, ic->second / n);
    }
  }

 private:
  void ratio_row(std::FILE* out, const std::string& a, const std::string& b,
                 const char* target) const {
    const auto ia = times_ms_.find(a);
    const auto ib = times_ms_.find(b);
    if (ia == times_ms_.end() || ib == times_ms_.end()) return;
    const double ca = cpu_ms_.at(a);
    const double cb = cpu_ms_.at(b);
    std::fprintf(out, "  %-20s %10.3f %10.3f %7.2f %10.3f %10.3f %7.2f %7s\n", a.c_str(),
                 ia->second, ib->second, ia->second / ib->second, ca, cb, ca / cb, target);
  }

  std::map<std::string, double> times_ms_;
  std::map<std::string, double> cpu_ms_;
  std::map<std::string, bool> medians_;
};

}  // namespace
}  // namespace scenario::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  scenario::bench::median_collector r(isatty(STDOUT_FILENO)
                                          ? benchmark::ConsoleReporter::OO_ColorTabular
                                          : benchmark::ConsoleReporter::OO_Tabular);
  benchmark::RunSpecifiedBenchmarks(&r);
  r.print_ratios(stdout);
  benchmark::Shutdown();
  return 0;
}
