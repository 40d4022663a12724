// Whether the timetable can be run: for every two consecutive timed stations,
// the scheduled time against the time the stretch needs.
//
// The bound runs every 50 m cell at its speed limit (the slow-downs'
// included), with no time to accelerate or brake: no train beats it, so a
// timetable below it is an error. The estimate starts and ends the stretch
// at a stand (a stop at every timed station), accelerates and brakes at
// constant rates and keeps under every limit, braking ahead of a lower one;
// a timetable below it is tight, a note.
#pragma once

#include <string>
#include <vector>

#include "crew/service.h"
#include "model/diagnostics.h"

namespace scenario::crew {

struct running_rates {
  double acceleration = 0.5;  // m/s²
  double braking = 0.5;       // m/s²
};

// One stretch between two consecutive timed stations.
struct stretch {
  std::string from, to;
  int32_t start = 0, end = 0;  // where the train stands at either end, metres
  int32_t scheduled = 0;       // scheduled seconds: arrival at `to` minus departure from `from`
  double bound = 0;            // the bound, seconds
  double estimate = 0;         // the estimate, seconds
  enum class rating { ok, tight, infeasible, backwards } verdict = rating::ok;
};

struct feasibility {
  Diagnostics diagnostics;  // timetable-backwards, timetable-infeasible, timetable-tight
  std::vector<stretch> stretches;
};

// `service_file` and `service_text`, when given, place each diagnostic on
// the arriving station's row of the service description.
feasibility check_timetable(const service& sv, const running_rates& p,
                            const std::string& service_file = {},
                            const std::string& service_text = {});
// The same from a compiled state. For `check`.
feasibility check_timetable(const stato_compilazione& s, const running_rates& p,
                            const std::string& service_file = {},
                            const std::string& service_text = {});

// The running-time table as one JSON object:
//   {"acceleration": A, "braking": B, "stretches": [{"from": NAME, "to": NAME,
//    "start": M, "end": M, "scheduled": S, "bound": S, "estimate": S,
//    "verdict": "ok"|"tight"|"infeasible"|"backwards"}]}
std::string running_times_json(const feasibility& e, const running_rates& p);
// The same as a text table, one stretch a line.
std::string running_times_table(const feasibility& e);

// "3 min 10 s".
std::string duration_text(double seconds);

}  // namespace scenario::crew
