#include "drawing/scenario_data.h"

#include <cstdio>

#include "compiler/codes.h"
#include "compiler/reader.h"
#include "model/binary_reader.h"
#include "model/file_names.h"
#include "run/compile.h"

namespace scenario::drawing {

namespace {

Diagnostic warning(std::string code, std::string message, std::string file = {}) {
  Diagnostic d;
  d.severity = Severity::kWarning;
  d.code = std::move(code);
  d.where.file = std::move(file);
  d.message = std::move(message);
  return d;
}

// "E" and the fault number, the stable code of a compile fault. Written
// into a buffer: GCC 12 at -O3 mistakes "E" + std::to_string(n) for an
// overlapping copy.
std::string fault_code(int32_t number) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "E%d", static_cast<int>(number));
  return buf;
}

}  // namespace

std::optional<refusal> load_binaries(FileSystem& fs, const std::string& folder,
                                     const std::string& line_name, const std::string& train_name,
                                     loaded_scenario* s) {
  const std::string sim_path = join_path(folder, nomi::sim(line_name, train_name));
  const std::string dat_path = join_path(folder, nomi::dat(line_name, train_name));
  const std::string plan_path = join_path(folder, nomi::linea_dat(line_name));
  std::string bytes;
  auto read = [&](const std::string& path, auto decode) -> std::optional<refusal> {
    if (auto e = fs.read(path, &bytes)) return refusal{3, e->path + ": " + e->reason};
    if (auto e = decode()) {
      return refusal{1, path + ": byte " + std::to_string(e->posizione) + ": " + e->testo};
    }
    return std::nullopt;
  };
  if (auto r = read(sim_path, [&] { return leggi_tabella_sim(bytes, &s->table); })) return r;
  if (auto r = read(dat_path, [&] { return leggi_percorso(bytes, &s->cells); })) return r;
  if (auto r = read(plan_path, [&] { return leggi_matrice_linea(bytes, &s->plan); })) return r;

  // The three files must describe one route: its length in row 84 fixes the
  // number of cells and of plan points.
  const int32_t length = s->table[riga_treno].fine;
  if (length < 0 || length > 1000000) {
    return refusal{1, sim_path + ": row 84 gives a route length of " + std::to_string(length) +
                          " m; a route is 0 to 1000000 m long"};
  }
  const size_t cells = static_cast<size_t>(celle_da_lunghezza(length)) + 1;
  if (s->cells.size() != cells) {
    return refusal{1, dat_path + ": holds " + std::to_string(s->cells.size()) +
                          " cells, but the route length of " + std::to_string(length) +
                          " m in " + sim_path + " (row 84) gives " + std::to_string(cells)};
  }
  const int32_t points = punti_da_lunghezza(length) + 1;
  if (s->plan.ultimo() + 1 != points) {
    return refusal{1, plan_path + ": holds " + std::to_string(s->plan.ultimo() + 1) +
                          " points, but the route length of " + std::to_string(length) +
                          " m in " + sim_path + " (row 84) gives " + std::to_string(points)};
  }
  check_consistency(line_name, train_name, s);
  return std::nullopt;
}

void check_consistency(const std::string& line_name, const std::string& train_name,
                       loaded_scenario* s) {
  const record_sim& r85 = s->table[riga_linea];
  const record_sim& r86 = s->table[riga_ripetizione];
  auto& d = s->diagnostics;
  if (r85.testo != line_name || r86.testo != train_name) {
    d.push_back(warning("names-differ", "the scenario table names line \"" + r85.testo +
                                            "\" and train \"" + r86.testo + "\", not \"" + line_name +
                                            "\" and \"" + train_name + "\""));
  }
  if (r85.i1 != 610 || s->cells.size() < 2 || s->cells[1].dato1 != 5121) {
    d.push_back(warning("no-stamps", "the header stamps 610 and 5121 are missing: these files "
                                     "were not written by a finished compile"));
  } else if (r85.orario != codice_gara_st(r86.testo, r85.testo) ||
             s->cells[1].dato2 != static_cast<int16_t>(codice_gara_og(r86.testo, r85.testo))) {
    d.push_back(warning("integrity-codes", "the integrity codes do not match the names in the "
                                           "table: the files were changed after the compile or "
                                           "come from different compiles"));
  }
  if (station_rows(*s).empty()) {
    d.push_back(warning("no-stations", "the route has no stations: the service description was "
                                       "not read to its end, or holds none"));
  }
}

bool compile_sources(FileSystem& fs, const std::string& folder, const std::string& line_name,
                     const std::string& train_name, loaded_scenario* s, compiled_binaries* binaries) {
  MemoryFileSystem memory;
  const std::string source_names[2] = {nomi::linea_txt(line_name),
                                       nomi::treno_txt(line_name, train_name)};
  for (const auto& name : source_names) {
    std::string bytes;
    if (fs.read(join_path(folder, name), &bytes)) return false;
    // The compile names the files it reads by their path; keep the folder's
    // so that the places it gives match the files the author edits.
    memory.files[join_path(folder, name)] = std::move(bytes);
  }
  stato_compilazione c;
  c.nome_linea = line_name;
  c.nome_treno = train_name;
  c.genera_linea = true;
  c.numero_errore = 0;
  azzera_tabella(c);
  Sources src{memory, folder, false, std::nullopt, false};
  memorizza_dati(c, src);
  CompileOutcome outcome;
  std::vector<cella> before_rules;
  if (!src.io_error && c.percorso.size() >= 2) {
    before_rules = c.percorso;
    const std::string out_folder = "/compiled-in-memory";
    concludi_compilazione(c, memory, out_folder, outcome);
    if (binaries) {
      binaries->sim = memory.files[join_path(out_folder, nomi::sim(line_name, train_name))];
      binaries->dat = memory.files[join_path(out_folder, nomi::dat(line_name, train_name))];
      binaries->track_plan = memory.files[join_path(out_folder, nomi::linea_dat(line_name))];
    }
  } else {
    outcome.nothing_to_write = true;
  }
  s->table = c.tabella_sim;
  s->cells = c.percorso;
  s->plan = std::move(c.matrice_linea);
  s->derived.assign(s->cells.size(), false);
  for (size_t i = 0; i < before_rules.size() && i < s->cells.size(); ++i) {
    // Cell 1 takes the header stamps, which are no object.
    if (i == 1) continue;
    const cella& a = before_rules[i];
    const cella& b = s->cells[i];
    s->derived[i] = a.tipo != b.tipo || a.dato1 != b.dato1;
  }
  // The compile's own errors, warnings and notes, and where each object
  // and table row came from (a derived board: the row that caused it).
  s->diagnostics.insert(s->diagnostics.end(), c.diagnostiche.begin(), c.diagnostiche.end());
  s->cell_origin = c.luoghi_origine();
  s->row_origin = c.origine_riga;
  if (outcome.guard_error) {
    Diagnostic d;
    d.code = fault_code(*outcome.guard_error);
    d.message = "the header guard refused the compile: nothing would be written";
    s->diagnostics.push_back(std::move(d));
  } else if (outcome.nothing_to_write) {
    Diagnostic d;
    d.code = "no-route";
    d.message = "nothing to draw: the line description gave no route length";
    s->diagnostics.push_back(std::move(d));
  }
  return true;
}

bool add_from_sources(FileSystem& fs, const std::string& folder, const std::string& line_name,
                      const std::string& train_name, loaded_scenario* s) {
  loaded_scenario c;
  compiled_binaries b;
  if (!compile_sources(fs, folder, line_name, train_name, &c, &b)) return false;
  std::string sim, dat, plan;
  fs.read(join_path(folder, nomi::sim(line_name, train_name)), &sim);
  fs.read(join_path(folder, nomi::dat(line_name, train_name)), &dat);
  fs.read(join_path(folder, nomi::linea_dat(line_name)), &plan);
  if (sim != b.sim || dat != b.dat || plan != b.track_plan) {
    s->diagnostics.push_back(warning(
        "stale-files", "the binary files are not what the text sources compile to now: they "
                       "come from an older compile or from other sources; the drawing shows the "
                       "binary files, the places of rows are those of the sources"));
  }
  // The compile's own faults lead.
  s->diagnostics.insert(s->diagnostics.begin(), c.diagnostics.begin(), c.diagnostics.end());
  if (c.cells.size() == s->cells.size()) {
    s->derived = std::move(c.derived);
    s->cell_origin = std::move(c.cell_origin);
  }
  s->row_origin = c.row_origin;
  return true;
}

}  // namespace scenario::drawing
