#include "crew/feasibility.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "documents/layout.h"
#include "tool_support.h"

namespace scenario::crew {

namespace {

// Metres between two points of the estimate's speed profile.
constexpr int32_t kStep = 10;

double metres_per_second(int kmh) { return kmh / 3.6; }

// Seconds to run [from, to] with every cell at its limit. A cell without to
// limit adds nothing, so the bound stays one no train can beat.
double time_at_limits(const service& sv, int32_t from, int32_t to) {
  double t = 0;
  for (int32_t c = from / 50; c * 50 < to; ++c) {
    const int32_t piece = std::min(to, c * 50 + 50) - std::max(from, c * 50);
    const int v = sv.cell_speed(c);
    if (piece > 0 && v > 0) t += piece / metres_per_second(v);
  }
  return t;
}

// Seconds to run [from, to] from to stand to to stand.
double estimated_time(const service& sv, int32_t from, int32_t to, const running_rates& p) {
  if (to <= from) return 0;
  const int32_t n = (to - from + kStep - 1) / kStep;
  std::vector<double> x(static_cast<size_t>(n) + 1), v(static_cast<size_t>(n) + 1);
  int highest = 0;
  for (int32_t c = from / 50; c * 50 <= to; ++c) highest = std::max(highest, sv.cell_speed(c));
  const auto limit = [&](double metre) {
    const int k = sv.cell_speed(static_cast<int32_t>(std::floor(metre / 50)));
    return metres_per_second(k > 0 ? k : highest);
  };
  for (int32_t i = 0; i <= n; ++i) {
    x[static_cast<size_t>(i)] = std::min<double>(to, from + static_cast<double>(i) * kStep);
    // At to change of limit the train is under both.
    const double m = x[static_cast<size_t>(i)];
    v[static_cast<size_t>(i)] = std::min(limit(m), limit(std::max<double>(from, m - 0.5)));
  }
  v.front() = 0;
  v.back() = 0;
  for (size_t i = 1; i < v.size(); ++i) {
    v[i] = std::min(v[i], std::sqrt(v[i - 1] * v[i - 1] + 2 * p.acceleration * (x[i] - x[i - 1])));
  }
  for (size_t i = v.size() - 1; i-- > 0;) {
    v[i] = std::min(v[i], std::sqrt(v[i + 1] * v[i + 1] + 2 * p.braking * (x[i + 1] - x[i])));
  }
  // Constant acceleration between two points: time is distance over the
  // mean of the two speeds.
  double t = 0;
  for (size_t i = 1; i < v.size(); ++i) {
    const double sum = v[i - 1] + v[i];
    if (sum > 0) t += 2 * (x[i] - x[i - 1]) / sum;
  }
  return t;
}

// Line (from 1) of the station row of `name` in the service description:
// a line whose first field holds "stazione" and whose last field is the name.
int station_line(const std::string& text, const std::string& name) {
  int line = 1;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string l = text.substr(start, end - start);
    std::string keyword = l.substr(0, l.find(','));
    for (char& c : keyword) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const size_t comma = l.rfind(',');
    if (keyword.find("stazione") != std::string::npos && comma != std::string::npos) {
      std::string last = l.substr(comma + 1);
      last.erase(0, last.find_first_not_of(" \t"));
      last.erase(last.find_last_not_of(" \t") + 1);
      if (last == name) return line;
    }
    if (end == text.size()) break;
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    ++line;
  }
  return 0;
}

}  // namespace

std::string duration_text(double seconds) {
  const long s = std::lround(std::max(0.0, seconds));
  if (s < 60) return std::to_string(s) + " s";
  return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
}

feasibility check_timetable(const service& sv, const running_rates& p,
                            const std::string& service_file, const std::string& service_text) {
  feasibility e;
  const auto stations = sv.timed_stations();
  for (size_t k = 1; k < stations.size(); ++k) {
    const service_station& from = *stations[k - 1];
    const service_station& to = *stations[k];
    stretch t;
    t.from = from.name;
    t.to = to.name;
    t.start = from.stop_point;
    t.end = to.stop_point;
    t.scheduled = to.arrival - from.departure;
    t.bound = time_at_limits(sv, t.start, t.end);
    t.estimate = estimated_time(sv, t.start, t.end, p);

    Diagnostic d;
    d.where = {service_file, service_text.empty() ? 0 : station_line(service_text, to.name), 0};
    d.position = to.position;
    const std::string between = "from " + from.name + " to " + to.name;
    if (t.scheduled < 0) {
      t.verdict = stretch::rating::backwards;
      d.severity = Severity::kWarning;
      d.code = "timetable-backwards";
      d.message = "times go backwards at " + to.name + ": it arrives at " + ore_minuti(to.arrival) +
                  ", before the departure from " + from.name + " at " + ore_minuti(from.departure);
    } else if (t.scheduled < t.bound) {
      t.verdict = stretch::rating::infeasible;
      d.severity = Severity::kError;
      d.code = "timetable-infeasible";
      d.message = "infeasible " + between + ": " + duration_text(t.scheduled) + " scheduled, at least " +
                  duration_text(std::ceil(t.bound)) + " needed at the speed limits";
    } else if (t.scheduled < t.estimate) {
      t.verdict = stretch::rating::tight;
      d.severity = Severity::kNote;
      d.code = "timetable-tight";
      d.message = "tight " + between + ": " + duration_text(t.scheduled) + " scheduled, about " +
                  duration_text(std::round(t.estimate / 10) * 10) + " needed";
    }
    if (t.verdict != stretch::rating::ok) e.diagnostics.push_back(std::move(d));
    e.stretches.push_back(std::move(t));
  }
  return e;
}

feasibility check_timetable(const stato_compilazione& s, const running_rates& p,
                            const std::string& service_file, const std::string& service_text) {
  return check_timetable(service(s), p, service_file, service_text);
}

namespace {

const char* verdict_name(stretch::rating g) {
  switch (g) {
    case stretch::rating::tight: return "tight";
    case stretch::rating::infeasible: return "infeasible";
    case stretch::rating::backwards: return "backwards";
    case stretch::rating::ok: break;
  }
  return "ok";
}

std::string one_decimal(double x) {
  char b[32];
  std::snprintf(b, sizeof b, "%.1f", x);
  return b;
}

}  // namespace

std::string running_times_json(const feasibility& e, const running_rates& p) {
  std::string o = "{\"acceleration\": " + one_decimal(p.acceleration) +
                  ", \"braking\": " + one_decimal(p.braking) + ", \"stretches\": [";
  for (size_t i = 0; i < e.stretches.size(); ++i) {
    const stretch& t = e.stretches[i];
    o += (i ? ", " : "") + std::string("{\"from\": ") + tool::json_string(t.from) +
         ", \"to\": " + tool::json_string(t.to) + ", \"start\": " + std::to_string(t.start) +
         ", \"end\": " + std::to_string(t.end) + ", \"scheduled\": " + std::to_string(t.scheduled) +
         ", \"bound\": " + one_decimal(t.bound) + ", \"estimate\": " + one_decimal(t.estimate) +
         ", \"verdict\": \"" + verdict_name(t.verdict) + "\"}";
  }
  return o + "]}";
}

std::string running_times_table(const feasibility& e) {
  std::string o;
  char b[256];
  std::snprintf(b, sizeof b, "%-28s %-28s %7s %9s %7s %8s  %s\n", "from", "to", "metres", "scheduled",
                "bound", "estimate", "verdict");
  o += b;
  for (const auto& t : e.stretches) {
    std::snprintf(b, sizeof b, "%-28.28s %-28.28s %7d %9d %7.0f %8.0f  %s\n", t.from.c_str(), t.to.c_str(),
                  t.end - t.start, t.scheduled, t.bound, t.estimate, verdict_name(t.verdict));
    o += b;
  }
  return o;
}

}  // namespace scenario::crew
