#include "crew/verify.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "crew/documents.h"
#include "documents/layout.h"
#include "model/file_names.h"

namespace scenario::crew {

namespace {

// Posts further apart than this do not name the same point.
constexpr int64_t kPostTolerance = 100;

std::string trim(const std::string& t) {
  const size_t a = t.find_first_not_of(" \t");
  if (a == std::string::npos) return {};
  return t.substr(a, t.find_last_not_of(" \t") - a + 1);
}

std::string upper(std::string t) {
  for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return t;
}

bool same_name(const std::string& a, const std::string& b) { return upper(trim(a)) == upper(trim(b)); }

// Whether a document's column, `width` characters wide, shows `expected`:
// a longer name is cut to the column.
bool name_in_column(const std::string& read, const std::string& expected, size_t width) {
  return same_name(read, trim(expected).substr(0, width));
}

// The lines of a text, CR LF, CR or LF ended.
std::vector<std::string> text_lines(const std::string& t) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r' || t[i] == '\n') {
      lines.push_back(line);
      line.clear();
      if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
    } else {
      line += t[i];
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// A field between two "|" of a ruled row, with the column it starts at.
struct field {
  std::string text;
  int column = 0;  // from 1
};

std::vector<field> fields_of_line(const std::string& line) {
  std::vector<field> fields;
  size_t start = 0;
  for (size_t i = 0; i <= line.size(); ++i) {
    if (i == line.size() || line[i] == '|') {
      fields.push_back({line.substr(start, i - start), static_cast<int>(start) + 1});
      start = i + 1;
    }
  }
  return fields;
}

// A rule: "|", "_" and blanks only, with at least one of each bar.
bool is_rule(const std::string& r) {
  return r.find('|') != std::string::npos && r.find('_') != std::string::npos &&
         r.find_first_not_of("|_ ") == std::string::npos;
}

// The rows of a document's table: the lines between the first rule that
// holds "|" and the last, that have at least `bars` bars.
struct table_row {
  int line = 0;  // from 1
  std::vector<field> fields;
};

std::vector<table_row> table_rows(const std::string& text, size_t bars) {
  const auto lines = text_lines(text);
  int first = -1, last = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!is_rule(lines[i])) continue;
    if (first < 0) first = static_cast<int>(i);
    last = static_cast<int>(i);
  }
  std::vector<table_row> table;
  for (int i = first + 1; i < last; ++i) {
    const auto& r = lines[static_cast<size_t>(i)];
    if (static_cast<size_t>(std::count(r.begin(), r.end(), '|')) < bars) continue;
    table.push_back({i + 1, fields_of_line(r)});
  }
  return table;
}

std::optional<int> number(const std::string& t) {
  const std::string p = trim(t);
  if (p.empty() || p.size() > 9 || p.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  return std::atoi(p.c_str());
}

// "46+000", "-0+200" in metres.
std::optional<int64_t> post_metres(const std::string& t) {
  std::string p = trim(t);
  bool negative = false;
  if (!p.empty() && p[0] == '-') {
    negative = true;
    p.erase(0, 1);
  }
  const size_t plus = p.find('+');
  if (plus == std::string::npos) return std::nullopt;
  const auto km = number(p.substr(0, plus));
  const auto m = number(p.substr(plus + 1));
  if (!km || !m) return std::nullopt;
  const int64_t metres = static_cast<int64_t>(*km) * 1000 + *m;
  return negative ? -metres : metres;
}

// The times of a card row's Orario column, read by where they stand: two
// times are the arrival and the departure; one alone is an arrival at the
// left, a departure at the right, a passing time in the middle.
struct card_times {
  std::string arrival, departure, passing;
  bool is_stop() const { return !arrival.empty() || !departure.empty(); }
  bool any() const { return is_stop() || !passing.empty(); }
};

card_times read_times(const std::string& column) {
  struct found_time {
    std::string text;
    size_t at;
  };
  std::vector<found_time> times;
  size_t i = 0;
  while (i < column.size()) {
    if (!std::isdigit(static_cast<unsigned char>(column[i]))) {
      ++i;
      continue;
    }
    const size_t a = i;
    while (i < column.size() && column[i] != ' ' && column[i] != '\t') ++i;
    times.push_back({column.substr(a, i - a), a});
  }
  card_times o;
  if (times.size() >= 2) {
    o.arrival = times.front().text;
    o.departure = times.back().text;
  } else if (times.size() == 1) {
    const auto& t = times.front();
    (t.at < 4 ? o.arrival : t.at >= 9 ? o.departure : o.passing) = t.text;
  }
  // A passing time's "+" is the half minute; a stop's times have none.
  return o;
}

std::string describe(const card_times& o) {
  std::string d;
  if (!o.arrival.empty()) d += "arrival " + o.arrival;
  if (!o.departure.empty()) d += (d.empty() ? "" : ", ") + std::string("departure ") + o.departure;
  if (!o.passing.empty()) d += (d.empty() ? "" : ", ") + std::string("passing ") + o.passing;
  return d.empty() ? "no time" : d;
}

Diagnostic diagnostic(Severity severity, const char* code, const std::string& file, int line,
                      int column, std::string message) {
  Diagnostic d;
  d.severity = severity;
  d.code = code;
  d.where = {file, line, column};
  d.message = std::move(message);
  return d;
}

// A row of the card as read.
struct card_row {
  int line = 0;
  int speed = 0;
  std::optional<int64_t> post;
  std::string name;
  card_times times;
  std::vector<field> fields;
  std::optional<int32_t> position;  // on the route, once known
  bool used = false;
};

// Where the route first shows `post` at or after `from`. Posts run at one
// metre a metre, up or down, within each chainage zone (and before the first
// one), so each stretch is solved once instead of searched cell by cell.
std::optional<int32_t> position_of_post(const service& sv, int64_t post, int32_t from) {
  std::vector<int64_t> bounds = {0};
  for (const auto& z : sv.km().zone()) {
    if (z.inizio > 0) bounds.push_back(z.inizio);
  }
  const int64_t route_end = static_cast<int64_t>(sv.last_cell()) * 50 + 50;
  bounds.push_back(route_end);
  for (size_t k = 0; k + 1 < bounds.size(); ++k) {
    const int64_t a = std::max<int64_t>(bounds[k], from);
    const int64_t b = std::min(bounds[k + 1], route_end);
    if (a >= b) continue;
    const int64_t direction = sv.km().post(a + 1) - sv.km().post(a);
    if (direction != 1 && direction != -1) continue;
    const int64_t p = a + (post - sv.km().post(a)) * direction;
    if (p >= a - 25 && p < b + 25) return static_cast<int32_t>(std::clamp<int64_t>(p, a, b - 1));
  }
  return std::nullopt;
}

}  // namespace

Diagnostics check_card(const service& sv, const found_document& card) {
  Diagnostics d;
  const std::string& file = card.path;
  if (!card.text) {
    d.push_back(diagnostic(Severity::kNote, "card-absent", file, 0, 0,
                           "no timetable card beside the sources; `documents` writes one"));
    return d;
  }
  std::vector<card_row> rows;
  for (auto& r : table_rows(*card.text, 8)) {
    if (r.fields.size() < 8) continue;
    card_row x;
    x.line = r.line;
    x.speed = number(r.fields[1].text).value_or(0);
    x.post = post_metres(r.fields[3].text);
    x.name = trim(r.fields[5].text);
    x.times = read_times(r.fields[6].text);
    x.fields = std::move(r.fields);
    rows.push_back(std::move(x));
  }
  const auto column = [](const card_row& r, size_t k) { return r.fields[k].column; };

  const std::vector<generated_row> expected = card_rows(sv);
  // Stations first, in running order: by name, else by post.
  size_t cursor = 0;
  for (const auto& a : expected) {
    if (a.station == nullptr) continue;
    const service_station& f = *a.station;
    const int64_t post = sv.post(f.position);
    card_row* found = nullptr;
    for (size_t i = cursor; i < rows.size() && !found; ++i) {
      if (!rows[i].used && name_in_column(rows[i].name, f.name, 28)) found = &rows[i];
    }
    for (size_t i = 0; i < rows.size() && !found; ++i) {
      if (!rows[i].used && name_in_column(rows[i].name, f.name, 28)) found = &rows[i];
    }
    if (found == nullptr) {
      for (auto& r : rows) {
        if (r.used || r.name.empty() || !r.post || std::llabs(*r.post - post) > kPostTolerance) continue;
        const bool other_station = std::any_of(sv.stations().begin(), sv.stations().end(), [&](const auto& g) {
          return name_in_column(r.name, g.name, 28);
        });
        if (other_station) continue;
        found = &r;
        d.push_back(diagnostic(Severity::kWarning, "card-name", file, r.line, column(r, 5),
                               "the row at " + testo_post(*r.post) + " names '" + r.name +
                                   "'; the service's station there is '" + f.name + "'"));
        break;
      }
    }
    if (found == nullptr) {
      d.push_back(diagnostic(Severity::kWarning, "card-missing-station", file, 0, 0,
                             "station '" + f.name + "' (" + sv.post_text(f.position) +
                                 ") has no row on the card"));
      continue;
    }
    card_row& r = *found;
    r.used = true;
    r.position = f.position;
    cursor = static_cast<size_t>(&r - rows.data()) + 1;
    // A station row that also sets the speed may stand where that speed
    // begins, as the first row of a card often does.
    const auto speed_start = [&]() -> std::optional<int64_t> {
      if (r.speed == 0 || sv.speed_at(f.position) != r.speed) return std::nullopt;
      int32_t m = f.position;
      while (m >= 50 && sv.speed_at(m - 50) == r.speed) m -= 50;
      return sv.post(m);
    }();
    const bool at_post = r.post && (std::llabs(*r.post - post) <= kPostTolerance ||
                                    (speed_start && std::llabs(*r.post - *speed_start) <= kPostTolerance));
    if (!at_post) {
      d.push_back(diagnostic(Severity::kWarning, "card-post", file, r.line, column(r, 3),
                             "'" + f.name + "' is at post " + sv.post_text(f.position) +
                                 "; the card says " + trim(r.fields[3].text)));
    }
    card_times expected_times;
    switch (f.kind) {
      case stop_kind::departure: expected_times.departure = ore_minuti(f.departure); break;
      case stop_kind::stop:
        expected_times.arrival = ore_minuti(f.arrival);
        expected_times.departure = ore_minuti(f.departure);
        break;
      case stop_kind::arrival: expected_times.arrival = ore_minuti(f.arrival); break;
      case stop_kind::passing: break;
    }
    // A station without a time may show the crew's passing time.
    const bool differ = f.timed() ? (r.times.arrival != expected_times.arrival ||
                                     r.times.departure != expected_times.departure ||
                                     !r.times.passing.empty())
                                  : r.times.is_stop();
    if (differ) {
      d.push_back(diagnostic(Severity::kWarning, "card-time", file, r.line, column(r, 6),
                             "'" + f.name + "': the card has " + describe(r.times) +
                                 "; the service has " + describe(expected_times)));
    }
  }

  // Rows with a time that name no station.
  for (const auto& r : rows) {
    if (r.used || !r.times.any()) continue;
    const bool stop = r.times.is_stop();
    d.push_back(diagnostic(stop ? Severity::kWarning : Severity::kNote, "card-extra-station",
                           file, r.line, column(r, 5),
                           stop ? "'" + r.name + "' has a stop time but is no station of the service"
                                : "passing time for '" + r.name +
                                      "', which is no station of the service"));
  }

  // Every row's place on the route, from its station or else from its post.
  int32_t after = 0;
  for (auto& r : rows) {
    if (!r.position && r.post) r.position = position_of_post(sv, *r.post, std::max(0, after - 200));
    if (r.position) after = *r.position;
  }
  const auto in_force_near = [&](int32_t metre, int v) {
    for (int32_t m = metre - kPostTolerance; m <= metre + kPostTolerance; m += 50) {
      if (sv.speed_at(m) == v) return true;
    }
    return false;
  };
  for (const auto& r : rows) {
    if (r.speed == 0 || !r.position) continue;
    if (!in_force_near(*r.position, r.speed)) {
      d.push_back(diagnostic(Severity::kWarning, "card-speed", file, r.line, column(r, 1),
                             "the card gives " + std::to_string(r.speed) + " km/h at " +
                                 trim(r.fields[3].text) + "; the limit in force there is " +
                                 std::to_string(sv.speed_at(*r.position)) + " km/h"));
    }
  }
  for (const auto& a : expected) {
    if (a.speed == 0) continue;
    const bool present = std::any_of(rows.begin(), rows.end(), [&](const auto& r) {
      return r.speed == a.speed && r.position && std::abs(*r.position - a.position) <= kPostTolerance;
    });
    if (!present) {
      d.push_back(diagnostic(Severity::kWarning, "card-speed", file, 0, 0,
                             "the limit becomes " + std::to_string(a.speed) + " km/h at " +
                                 sv.post_text(a.position) + "; no row of the card gives it"));
    }
  }
  std::stable_sort(d.begin(), d.end(), [](const Diagnostic& a, const Diagnostic& b) {
    return (a.where.line == 0 ? 1 << 30 : a.where.line) < (b.where.line == 0 ? 1 << 30 : b.where.line);
  });
  return d;
}

Diagnostics check_slowdown_order(const service& sv, const found_document& order) {
  Diagnostics d;
  const std::string& file = order.path;
  if (!order.text) {
    d.push_back(diagnostic(Severity::kNote, "order-absent", file, 0, 0,
                           "no slow-down order beside the sources; `documents` writes one"));
    return d;
  }
  const auto& expected_slowdowns = sv.slowdowns();
  std::vector<bool> matched(expected_slowdowns.size(), false);
  for (const auto& r : table_rows(*order.text, 7)) {
    if (r.fields.size() < 7 || trim(r.fields[1].text).empty()) continue;
    const auto& c = r.fields;
    const auto post = post_metres(c[3].text);
    const int speed = number(c[4].text).value_or(0);
    const int length = number(c[5].text).value_or(0);
    const service_slowdown* match = nullptr;
    for (size_t k = 0; k < expected_slowdowns.size() && post && !match; ++k) {
      if (!matched[k] && std::llabs(sv.post(expected_slowdowns[k].start) - *post) <= kPostTolerance) {
        match = &expected_slowdowns[k];
        matched[k] = true;
      }
    }
    if (match == nullptr) {
      d.push_back(diagnostic(Severity::kWarning, "order-unknown-slowdown", file, r.line, c[3].column,
                             "slow-down " + trim(c[1].text) + " at " + trim(c[3].text) +
                                 " is not in the service description"));
      continue;
    }
    if (speed != match->speed) {
      d.push_back(diagnostic(Severity::kWarning, "order-speed", file, r.line, c[4].column,
                             "slow-down at " + trim(c[3].text) + ": the order gives " +
                                 trim(c[4].text) + " km/h, the service " +
                                 std::to_string(match->speed) + " km/h"));
    }
    if (std::abs(length - match->length) >= 50) {
      d.push_back(diagnostic(Severity::kWarning, "order-length", file, r.line, c[5].column,
                             "slow-down at " + trim(c[3].text) + ": the order gives " +
                                 trim(c[5].text) + " m, the service " +
                                 std::to_string(match->length) + " m"));
    }
    const auto [before, after] = stations_around(sv, *match);
    const std::string between =
        std::string(before ? before->name : "") + "-" + std::string(after ? after->name : "");
    std::string written = trim(c[2].text);
    written.erase(std::remove(written.begin(), written.end(), ' '), written.end());
    std::string expected = between.substr(0, 28);
    expected.erase(std::remove(expected.begin(), expected.end(), ' '), expected.end());
    if (!same_name(written, expected)) {
      d.push_back(diagnostic(Severity::kWarning, "order-stations", file, r.line, c[2].column,
                             "slow-down at " + trim(c[3].text) + " lies between " + between +
                                 "; the order says " + trim(c[2].text)));
    }
  }
  for (size_t k = 0; k < expected_slowdowns.size(); ++k) {
    if (matched[k]) continue;
    d.push_back(diagnostic(Severity::kWarning, "order-missing-slowdown", file, 0, 0,
                           "the slow-down at " + sv.post_text(expected_slowdowns[k].start) + " (" +
                               std::to_string(expected_slowdowns[k].speed) + " km/h, " +
                               std::to_string(expected_slowdowns[k].length) + " m) has no row on the order"));
  }
  return d;
}

Diagnostics check_documents(const stato_compilazione& s, FileSystem& fs,
                            const std::string& folder) {
  const service sv(s);
  const auto read = [&](const std::string& name) {
    found_document doc{join_path(folder, name), std::nullopt};
    std::string text;
    if (!fs.read(doc.path, &text)) doc.text = std::move(text);
    return doc;
  };
  Diagnostics d = check_card(sv, read(nomi::scheda(s.nome_linea, s.nome_treno)));
  Diagnostics o = check_slowdown_order(sv, read(nomi::rallentamenti(s.nome_linea, s.nome_treno)));
  d.insert(d.end(), o.begin(), o.end());
  return d;
}

}  // namespace scenario::crew
