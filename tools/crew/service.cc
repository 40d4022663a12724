#include "crew/service.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace scenario::crew {

namespace {

constexpr uint8_t kStopPointCode = 10;
constexpr uint8_t kSlowdownEndCode = 2;
constexpr uint8_t kSlowdownStartCode = 3;
constexpr uint8_t kTextBoardCode = 14;

std::string upper(std::string t) {
  for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return t;
}

std::string trim(const std::string& t) {
  const size_t a = t.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  return t.substr(a, t.find_last_not_of(' ') - a + 1);
}

// The lines of a board's face "(GALLERIA)(NORD    )(m.800   )", trimmed.
std::vector<std::string> board_lines(const std::string& face) {
  std::vector<std::string> lines;
  size_t i = 0;
  while ((i = face.find('(', i)) != std::string::npos) {
    const size_t j = face.find(')', i);
    if (j == std::string::npos) break;
    lines.push_back(trim(face.substr(i + 1, j - i - 1)));
    i = j + 1;
  }
  return lines;
}

}  // namespace

service::service(const stato_compilazione& s) : km_(s.tabella_sim) {
  const auto& cells = s.percorso;
  const auto n = static_cast<int32_t>(cells.size());

  // Rows 1 .. 80 that are neither board texts nor empty are stations.
  std::vector<bool> texts(righe_tabella_sim, false);
  std::vector<int32_t> stop_point_cell(righe_tabella_sim, -1);
  for (int32_t c = 0; c < n; ++c) {
    const cella& x = cells[static_cast<size_t>(c)];
    if (x.dato1 < 0 || x.dato1 >= righe_tabella_sim) continue;
    if (x.tipo == kTextBoardCode) texts[static_cast<size_t>(x.dato1)] = true;
    if (x.tipo == kStopPointCode && stop_point_cell[static_cast<size_t>(x.dato1)] < 0) {
      stop_point_cell[static_cast<size_t>(x.dato1)] = c;
    }
  }
  for (int r = riga_prima_stazione; r <= riga_primo_testo; ++r) {
    const record_sim& x = s.tabella_sim[static_cast<size_t>(r)];
    const bool empty = !x.tipo && !x.inizio && !x.fine && !x.progressiva && x.testo.empty() &&
                       !x.orario && !x.b1;
    if (texts[static_cast<size_t>(r)] || empty) continue;
    service_station f;
    f.row = r;
    f.name = trim(x.testo);
    f.position = x.progressiva;
    const int32_t c = stop_point_cell[static_cast<size_t>(r)];
    f.stop_point = c >= 0 ? c * 50 : x.progressiva;
    f.arrival = f.departure = x.orario;
    f.kind = x.orario != 0 ? stop_kind::stop : stop_kind::passing;
    if (f.kind == stop_kind::stop) f.departure = x.orario + x.b3;
    stations_.push_back(std::move(f));
  }
  const auto first = std::find_if(stations_.begin(), stations_.end(),
                                  [](const auto& f) { return f.timed(); });
  const auto last = std::find_if(stations_.rbegin(), stations_.rend(),
                                 [](const auto& f) { return f.timed(); });
  if (first != stations_.end()) {
    first->kind = stop_kind::departure;
    first->departure = first->arrival;
    if (&*last != &*first) last->kind = stop_kind::arrival;
  }

  // The profile is filled up to cell P - 3; the last cells hold no limit.
  cell_speeds_.assign(static_cast<size_t>(std::max(0, n - 2)), 0);
  for (size_t c = 0; c < cell_speeds_.size(); ++c) cell_speeds_[c] = cells[c].velocita * 5;
  for (size_t c = 1; c + 1 < cell_speeds_.size(); ++c) {
    if (cell_speeds_[c] != cell_speeds_[c - 1]) {
      speed_changes_.push_back({static_cast<int32_t>(c) * 50, cell_speeds_[c]});
    }
  }

  // A start mark and the next end mark bound one slow-down.
  slowdown_speeds_.assign(cell_speeds_.size(), 0);
  for (int32_t c = 0; c < n; ++c) {
    const cella& x = cells[static_cast<size_t>(c)];
    if (x.tipo != kSlowdownStartCode) continue;
    // A start written over its own end (a very short slow-down) has no end
    // mark: the search stops at the next start.
    int32_t e = c;
    for (int32_t k = c + 1; k < n; ++k) {
      const uint8_t t = cells[static_cast<size_t>(k)].tipo;
      if (t == kSlowdownStartCode) break;
      if (t == kSlowdownEndCode) {
        e = k;
        break;
      }
    }
    slowdowns_.push_back({(c - 1) * 50, (e - c) * 50, x.dato1});
    for (int32_t k = c; k <= e && k < static_cast<int32_t>(slowdown_speeds_.size()); ++k) {
      slowdown_speeds_[static_cast<size_t>(k)] = x.dato1;
    }
  }

  // A tunnel is named by a "GALLERIA" board standing up to 200 m before it.
  for (int32_t k = 1; k <= std::min(s.numero_montagne, massimo_montagne); ++k) {
    const int32_t start = s.montagna_inizio[static_cast<size_t>(k)];
    const int32_t end = s.montagna_fine[static_cast<size_t>(k)];
    for (int32_t c = std::max(0, start / 50 - 4); c <= std::min(n - 1, start / 50 + 1); ++c) {
      const cella& x = cells[static_cast<size_t>(c)];
      if (x.tipo != kTextBoardCode || x.dato1 < 0 || x.dato1 >= righe_tabella_sim) continue;
      const int32_t metre = (c - 1) * 50;
      if (metre < start - 200 || metre > start) continue;
      const auto lines = board_lines(s.tabella_sim[static_cast<size_t>(x.dato1)].testo);
      if (lines.size() >= 2 && upper(lines[0]) == "GALLERIA" && !lines[1].empty()) {
        named_tunnels_.push_back({start, end, lines[1]});
        break;
      }
    }
  }

  braked_mass_ = s.tabella_sim[riga_treno].inizio;
  std::istringstream words(s.nome_treno);
  std::vector<std::string> p;
  for (std::string w; words >> w;) p.push_back(w);
  const bool number = !p.empty() && std::all_of(p.back().begin(), p.back().end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c));
  });
  if (number) {
    train_number_ = p.back();
    for (size_t i = 0; i + 1 < p.size(); ++i) classification_ += (i ? " " : "") + upper(p[i]);
  } else {
    train_number_ = trim(s.nome_treno);
  }
}

std::vector<const service_station*> service::timed_stations() const {
  std::vector<const service_station*> v;
  for (const auto& f : stations_) {
    if (f.timed()) v.push_back(&f);
  }
  return v;
}

int service::speed_at(int32_t metre) const {
  const int32_t c = static_cast<int32_t>(near(metre / 50.0));
  if (c < 0 || c >= static_cast<int32_t>(cell_speeds_.size())) return 0;
  return cell_speeds_[static_cast<size_t>(c)];
}

int service::cell_speed(int32_t c) const {
  if (c < 0 || c >= static_cast<int32_t>(cell_speeds_.size())) return 0;
  const int v = cell_speeds_[static_cast<size_t>(c)];
  const int slow = slowdown_speeds_[static_cast<size_t>(c)];
  return slow > 0 && (v == 0 || slow < v) ? slow : v;
}

std::pair<const service_station*, const service_station*> stations_around(
    const service& sv, const service_slowdown& r) {
  const service_station* before = nullptr;
  const service_station* after = nullptr;
  for (const auto& f : sv.stations()) {
    if (f.position <= r.start) before = &f;
    if (after == nullptr && f.position >= r.start + r.length) after = &f;
  }
  return {before, after};
}

}  // namespace scenario::crew
