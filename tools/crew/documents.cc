#include "crew/documents.h"

#include <algorithm>

#include "documents/layout.h"
#include "compiler/reader.h"
#include "model/file_names.h"
#include "scenario/text_writer.h"

namespace scenario::crew {

namespace {

std::string station_time(const service_station& f) {
  switch (f.kind) {
    case stop_kind::departure: return scenario::orario_partenza(f.departure);
    case stop_kind::stop: return scenario::orario_fermata(f.arrival, f.departure);
    case stop_kind::arrival: return scenario::orario_arrivo(f.arrival);
    case stop_kind::passing: break;
  }
  return orario_vuoto();
}

// "Imbocco G. NAME" or "Sbocco G. NAME" when `metre` is the mouth of a tunnel
// named by its board; empty otherwise.
std::string tunnel_mouth_name(const service& sv, int32_t metre) {
  for (const auto& g : sv.named_tunnels()) {
    if (g.start == metre) return "Imbocco G. " + g.name;
  }
  for (const auto& g : sv.named_tunnels()) {
    if (g.end == metre) return "Sbocco G. " + g.name;
  }
  return {};
}

}  // namespace

std::vector<generated_row> card_rows(const service& sv) {
  std::vector<generated_row> rows;
  for (const auto& f : sv.stations()) rows.push_back({f.position, 0, f.name, station_time(f), &f});
  if (rows.empty()) return rows;
  const int32_t first = rows.front().position;
  const int32_t last = rows.back().position;
  rows.front().speed = sv.speed_at(first);
  for (const auto& c : sv.speed_changes()) {
    if (c.position <= first || c.position > last) continue;
    auto same_place = std::find_if(rows.begin(), rows.end(), [&](const generated_row& r) {
      return r.station != nullptr && r.position == c.position;
    });
    if (same_place != rows.end()) {
      same_place->speed = c.speed;
    } else {
      rows.push_back({c.position, c.speed, tunnel_mouth_name(sv, c.position), orario_vuoto(), nullptr});
    }
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const auto& a, const auto& b) { return a.position < b.position; });
  return rows;
}

std::vector<std::string> timetable_card_lines(const service& sv) {
  std::vector<std::string> rows;
  for (const auto& r : card_rows(sv)) {
    rows.push_back(componi_riga_scheda({r.speed, r.speed, sv.post_text(r.position), r.name, r.time}));
  }
  testata_scheda t;
  t.treno = sv.train_number();
  t.classificazione = sv.classification();
  const auto timed = sv.timed_stations();
  if (!timed.empty()) {
    t.da = timed.front()->name;
    t.a = timed.back()->name;
    int highest = 0;
    for (int32_t m = timed.front()->position; m <= timed.back()->position; m += 50) {
      highest = std::max(highest, sv.speed_at(m));
    }
    if (highest > 0) t.velocita = "V" + std::to_string(highest);
  }
  if (sv.braked_mass() > 0) t.frenatura = std::to_string(sv.braked_mass()) + "%";
  return componi_scheda(t, rows);
}

std::vector<std::string> slowdown_order_lines(const service& sv) {
  std::vector<riga_ordine> rows;
  for (const auto& r : sv.slowdowns()) {
    const auto [before, after] = stations_around(sv, r);
    std::string between;
    if (before != nullptr) between += before->name;
    between += '-';
    if (after != nullptr) between += after->name;
    rows.push_back({static_cast<int>(rows.size()) + 1, between, sv.post_text(r.start), r.speed,
                    r.length});
  }
  std::string line;
  if (!sv.stations().empty()) line = sv.stations().front().name + " - " + sv.stations().back().name;
  return componi_rallentamenti(line, sv.train_number(), rows);
}

std::optional<IoError> read_sources(stato_compilazione& s, FileSystem& fs,
                                    const std::string& folder) {
  azzera_tabella(s);
  Sources src{fs, folder, false, std::nullopt};
  memorizza_dati(s, src);
  return src.io_error;
}

written_documents write_documents(const stato_compilazione& s, FileSystem& fs,
                                  const std::string& folder) {
  written_documents result;
  const service sv(s);
  const std::pair<std::string, std::vector<std::string>> documents[] = {
      {nomi::scheda(s.nome_linea, s.nome_treno), timetable_card_lines(sv)},
      {nomi::rallentamenti(s.nome_linea, s.nome_treno), slowdown_order_lines(sv)},
  };
  for (const auto& [name, lines] : documents) {
    if (auto e = scrivi_testo(fs, join_path(folder, name), lines)) {
      result.io_error = e;
      return result;
    }
    result.written.push_back(name);
  }
  // The notes are the author's own: an existing sheet is kept as it is.
  const std::string note = nomi::note(s.nome_linea, s.nome_treno);
  std::string existing;
  if (fs.read(join_path(folder, note), &existing)) {
    if (auto e = scrivi_testo(fs, join_path(folder, note), {})) {
      result.io_error = e;
      return result;
    }
    result.written.push_back(note);
  }
  return result;
}

}  // namespace scenario::crew
