// What the crew documents need from a compiled scenario: the stations with
// their times, the speed limit in force along the route, the slow-downs and
// the tunnels named by a text board. Read from the compile state, the same
// model the binary files are written from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/kilometre_posts.h"
#include "model/model.h"

namespace scenario::crew {

// What the train does at a station.
enum class stop_kind {
  departure,  // the first timed station: departs at `departure`
  stop,       // a timed station in between: arrives, stands, departs
  arrival,    // the last timed station: arrives at `arrival`
  passing,    // a station without a time: passes
};

struct service_station {
  int row = 0;               // row of the scenario table
  std::string name;
  int32_t position = 0;      // the station's position, metres
  int32_t stop_point = 0;    // where the train stands: the stop point, else the position
  stop_kind kind = stop_kind::passing;
  int32_t arrival = 0;       // seconds after midnight, for a stop and the arrival
  int32_t departure = 0;     // for the departure and a stop
  bool timed() const { return kind != stop_kind::passing; }
};

// A point where the speed limit in force changes, and the new limit.
struct speed_change {
  int32_t position = 0;
  int speed = 0;  // km/h
};

// A slow-down as its marks on the route tell it: the start is read back from
// the start mark's cell, so it is exact to the 50 m cell.
struct service_slowdown {
  int32_t start = 0;   // metres
  int32_t length = 0;  // metres
  int speed = 0;       // km/h
};

// A tunnel mouth named by the text board before the tunnel.
struct named_tunnel {
  int32_t start = 0;
  int32_t end = 0;
  std::string name;
};

class service {
 public:
  explicit service(const stato_compilazione& s);

  const std::vector<service_station>& stations() const { return stations_; }
  // The stations with a time, in running order.
  std::vector<const service_station*> timed_stations() const;
  const std::vector<speed_change>& speed_changes() const { return speed_changes_; }
  const std::vector<service_slowdown>& slowdowns() const { return slowdowns_; }
  const std::vector<named_tunnel>& named_tunnels() const { return named_tunnels_; }

  // The speed limit in force from `metre` on, km/h (0 outside the route).
  int speed_at(int32_t metre) const;
  // The speed limit of cell c with the slow-downs applied, km/h.
  int cell_speed(int32_t c) const;
  int32_t last_cell() const { return static_cast<int32_t>(cell_speeds_.size()) - 1; }

  // The kilometre post at `metre`, in metres and as printed.
  int64_t post(int32_t metre) const { return km_.post(metre); }
  std::string post_text(int32_t metre) const { return scenario::testo_post(km_.post(metre)); }
  const chilometrica& km() const { return km_; }

  // The braked-mass percentage of the service.
  int braked_mass() const { return braked_mass_; }
  // The number and the classification taken from the train's name:
  // "Reg 27594" gives "27594" and "REG".
  const std::string& train_number() const { return train_number_; }
  const std::string& classification() const { return classification_; }

 private:
  std::vector<service_station> stations_;
  std::vector<speed_change> speed_changes_;
  std::vector<service_slowdown> slowdowns_;
  std::vector<named_tunnel> named_tunnels_;
  std::vector<int> cell_speeds_;      // km/h per cell, slow-downs not applied
  std::vector<int> slowdown_speeds_;  // slow-down speed per cell, 0 where none
  chilometrica km_;
  int braked_mass_ = 0;
  std::string train_number_;
  std::string classification_;
};

// The stations on either side of a slow-down: the last at or before its
// start and the first at or after its end (nullptr where there is none).
std::pair<const service_station*, const service_station*> stations_around(
    const service& sv, const service_slowdown& r);

}  // namespace scenario::crew
