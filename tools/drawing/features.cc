#include "drawing/features.h"

#include <cmath>
#include <cstdio>

namespace scenario::drawing {

const char* kind_name(object_kind k) {
  switch (k) {
    case object_kind::station: return "station";
    case object_kind::signal: return "signal";
    case object_kind::tunnel: return "tunnel";
    case object_kind::text_board: return "text-board";
    case object_kind::speed_indicator: return "speed-indicator";
    case object_kind::abbattimento: return "abbattimento";
    case object_kind::derived_board: return "derived-board";
    case object_kind::slowdown: return "slowdown";
    case object_kind::warning_board: return "warning-board";
    case object_kind::advance_mark: return "advance-mark";
    case object_kind::approach_mark: return "approach-mark";
  }
  return "object";
}

const char* kind_caption(object_kind k) {
  switch (k) {
    case object_kind::station: return "station";
    case object_kind::signal: return "signal";
    case object_kind::tunnel: return "tunnel";
    case object_kind::text_board: return "text board";
    case object_kind::speed_indicator: return "speed-indicator board";
    case object_kind::abbattimento: return "abbattimento point";
    case object_kind::derived_board: return "speed board added by the derivation rules";
    case object_kind::slowdown: return "slow-down";
    case object_kind::warning_board: return "slow-down warning board";
    case object_kind::advance_mark: return "slow-down advance mark";
    case object_kind::approach_mark: return "approach mark";
  }
  return "object";
}

std::string trim(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return {};
  const size_t b = s.find_last_not_of(' ');
  return s.substr(a, b - a + 1);
}

std::vector<std::string> board_groups(const std::string& text) {
  std::vector<std::string> out;
  size_t p = 0;
  while ((p = text.find('(', p)) != std::string::npos) {
    const size_t q = text.find(')', p);
    if (q == std::string::npos) break;
    out.push_back(trim(text.substr(p + 1, q - p - 1)));
    p = q + 1;
  }
  if (out.empty() && !trim(text).empty()) out.push_back(trim(text));
  return out;
}

size_t profile_cells(const loaded_scenario& s) {
  const size_t n = s.cells.size() >= 3 ? s.cells.size() - 3 : 0;
  return std::min(n, static_cast<size_t>(std::ceil(s.length() / 50.0)));
}

std::vector<int> station_rows(const loaded_scenario& s) {
  std::vector<bool> texts(righe_tabella_sim, false);
  for (const cella& c : s.cells) {
    if (c.tipo == oggetto::cartello_indicatore && c.dato1 >= 0 && c.dato1 < righe_tabella_sim) texts[static_cast<size_t>(c.dato1)] = true;
  }
  std::vector<int> out;
  for (int r = riga_prima_stazione; r <= riga_primo_testo; ++r) {
    const record_sim& x = s.table[static_cast<size_t>(r)];
    const bool empty = !x.tipo && !x.inizio && !x.fine && !x.progressiva && x.testo.empty() &&
                       !x.orario && !x.b1;
    if (!texts[static_cast<size_t>(r)] && !empty) out.push_back(r);
  }
  return out;
}

namespace {

std::string place(const SourceLocation& l) {
  if (l.file.empty()) return {};
  return l.line > 0 ? l.file + ":" + std::to_string(l.line) : l.file;
}

std::string clock_time(int32_t seconds) {
  char buf[40];
  const int32_t s = seconds < 0 ? 0 : seconds;
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(s / 3600),
                static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
  return buf;
}

std::string signal_pair(int v) {
  // s·10 + d, written back as "s/d".
  return std::to_string(v / 10) + "/" + std::to_string(v % 10);
}

}  // namespace

std::vector<route_object> route_objects(const loaded_scenario& s) {
  std::vector<route_object> out;
  const auto& cells = s.cells;
  const size_t n = cells.size();
  auto origin = [&](size_t c) {
    return c < s.cell_origin.size() ? place(s.cell_origin[c]) : std::string{};
  };
  auto derived = [&](size_t c) {
    if (!s.derived.empty()) return c < s.derived.size() && s.derived[c];
    return cells[c].tipo == oggetto::cartello_velocita && cells[c].dato1 == 180;
  };
  // Signals, boards and slow-down marks sit one cell after the cell that
  // holds their position; speed boards and stretches in that cell.
  auto after = [](size_t c) { return static_cast<int32_t>(50 * (static_cast<int64_t>(c) - 1)); };
  auto in = [](size_t c) { return static_cast<int32_t>(50 * static_cast<int64_t>(c)); };

  for (size_t c = 0; c < n; ++c) {
    const cella& x = cells[c];
    route_object o;
    o.cell = static_cast<int32_t>(c);
    o.origin = origin(c);
    switch (x.tipo) {
      case oggetto::segnale: {
        o.kind = object_kind::signal;
        o.metre = o.end_metre = after(c);
        o.values = {{"s1/d1", signal_pair(x.dato1)},
                    {"s2/d2", signal_pair(x.dato2)},
                    {"s3/d3", signal_pair(x.dato3)},
                    {"rapp*10 + sx*3 + dx", std::to_string(x.dato4)},
                    {"tempo", std::to_string(x.tempo)}};
        break;
      }
      case oggetto::inizio_rallentamento: {
        o.kind = object_kind::slowdown;
        o.metre = after(c);
        size_t e = c + 1;
        while (e < n && cells[e].tipo != oggetto::fine_rallentamento) ++e;
        o.end_metre = e < n ? after(e) : o.metre;
        o.name = std::to_string(x.dato1) + " km/h";
        o.values = {{"speed", std::to_string(x.dato1) + " km/h"},
                    {"length", std::to_string(o.end_metre - o.metre) + " m"},
                    {"dato2", std::to_string(x.dato2)},
                    {"dato3", std::to_string(x.dato3)}};
        break;
      }
      case oggetto::avviso_rallentamento:
        o.kind = object_kind::warning_board;
        o.metre = o.end_metre = after(c);
        o.name = std::to_string(x.dato1) + " km/h";
        o.values = {{"speed ahead", std::to_string(x.dato1) + " km/h"}};
        break;
      case oggetto::preavviso_rallentamento:
        o.kind = object_kind::advance_mark;
        o.metre = o.end_metre = in(c);
        o.name = std::to_string(x.dato1);
        o.values = {{"mark", std::to_string(x.dato1)}};
        break;
      case oggetto::indicatore_v_max:
        o.kind = object_kind::speed_indicator;
        o.metre = o.end_metre = after(c);
        o.name = std::to_string(x.dato1) + " " + std::to_string(x.dato2) + " " + std::to_string(x.dato3);
        o.values = {{"dato1", std::to_string(x.dato1)},
                    {"dato2", std::to_string(x.dato2)},
                    {"dato3", std::to_string(x.dato3)},
                    {"stripes", std::to_string(x.dato4)}};
        break;
      case oggetto::cartello_velocita:
      case oggetto::cartello_senza_velocita:
        o.kind = x.tipo == oggetto::cartello_velocita && derived(c) ? object_kind::derived_board : object_kind::abbattimento;
        o.derived = o.kind == object_kind::derived_board;
        o.metre = o.end_metre = in(c);
        o.name = x.tipo == oggetto::cartello_velocita ? std::to_string(x.dato1) : "no speed";
        o.values = {{"speed", x.tipo == oggetto::cartello_velocita ? std::to_string(x.dato1) + " km/h" : "none"}};
        break;
      case oggetto::cartello_indicatore: {
        o.kind = object_kind::text_board;
        o.metre = o.end_metre = after(c);
        std::string text;
        if (x.dato1 >= 0 && x.dato1 < righe_tabella_sim) {
          const auto r = static_cast<size_t>(x.dato1);
          for (const auto& g : board_groups(s.table[r].testo)) {
            if (!text.empty()) text += ' ';
            text += g;
          }
          if (o.origin.empty()) o.origin = place(s.row_origin[r]);
        }
        o.name = text;
        o.values = {{"text", text}, {"row", std::to_string(x.dato1)}};
        break;
      }
      default:
        o.cell = -1;
    }
    if (o.cell >= 0) out.push_back(std::move(o));
    if (x.avvicinamento != 0) {
      route_object a;
      a.kind = object_kind::approach_mark;
      a.cell = static_cast<int32_t>(c);
      a.metre = a.end_metre = in(c);
      a.origin = origin(c);
      a.name = std::to_string(x.avvicinamento);
      a.values = {{"value", std::to_string(x.avvicinamento)},
                  {"before", x.avvicinamento > 80 && x.avvicinamento <= 84 ? "a stop point" : "a signal"}};
      out.push_back(std::move(a));
    }
  }

  // Tunnels: runs of cells whose galleria is not 0, named by a text board
  // "(GALLERIA)(NAME)..." standing just before them.
  for (size_t c = 0; c < n;) {
    if (cells[c].galleria == 0) {
      ++c;
      continue;
    }
    size_t e = c;
    while (e + 1 < n && cells[e + 1].galleria != 0) ++e;
    route_object o;
    o.kind = object_kind::tunnel;
    o.cell = static_cast<int32_t>(c);
    o.metre = in(c);
    o.end_metre = in(e + 1);
    o.origin = origin(c);
    std::string name;
    for (size_t k = c > 4 ? c - 4 : 0; k <= c + 1 && k < n; ++k) {
      if (cells[k].tipo != oggetto::cartello_indicatore) continue;
      const int row = cells[k].dato1;
      if (row < 0 || row >= righe_tabella_sim) continue;
      const auto g = board_groups(s.table[static_cast<size_t>(row)].testo);
      if (g.size() >= 2 && g[0] == "GALLERIA") name = g[1];
    }
    o.name = name;
    o.values = {{"name", name.empty() ? "(no board)" : name},
                {"length", std::to_string(o.end_metre - o.metre) + " m"},
                {"kind", std::to_string(cells[c].galleria)}};
    out.push_back(std::move(o));
    c = e + 1;
  }

  for (int r : station_rows(s)) {
    const record_sim& row = s.table[static_cast<size_t>(r)];
    route_object o;
    o.kind = object_kind::station;
    o.metre = o.end_metre = row.progressiva;
    o.name = trim(row.testo);
    o.origin = place(s.row_origin[static_cast<size_t>(r)]);
    o.values = {{"stop point", std::to_string(50 * (static_cast<int64_t>(row.fine) / 50 - 1)) + " m"},
                {"stretch", std::to_string(row.inizio) + " - " + std::to_string(row.fine) + " m"},
                {"time", clock_time(row.orario)},
                {"kind", std::to_string(row.tipo)},
                {"row", std::to_string(r)}};
    out.push_back(std::move(o));
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const route_object& a, const route_object& b) { return a.metre < b.metre; });
  return out;
}

}  // namespace scenario::drawing
