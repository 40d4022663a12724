// Kilometre posts along the route, read from the three chainage rows 81 to 83
// of the scenario table as the chainage sort leaves them.
//
// From a zone's start on, the post at position p reads p + offset, or, for a
// zone flagged 1 (counting down), offset - p as the line description wrote
// the offset; the sort stored that offset with 100 m added, so the rule here
// takes the 100 back off. Positions before the first zone read as themselves.
// This is the one place that knows the rule: the compiler's sort stores it,
// and every tool that shows a post reads it through here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"

namespace scenario {

// Metres the chainage sort adds to the offset of a zone flagged 1.
inline constexpr int32_t aggiunta_zona_decrescente = 100;

class chilometrica {
 public:
  // One zone, with its values as stored in the table.
  struct zona {
    int32_t inizio = 0;       // route position where the zone begins
    int32_t scostamento = 0;  // offset as stored (100 m more when flagged 1)
    int32_t flag = 0;         // 1: posts count down
  };

  chilometrica() = default;
  // The zones of rows 81 .. 83; a row holding three zeros is no zone.
  explicit chilometrica(const std::array<record_sim, righe_tabella_sim>& tabella);

  // The post, in metres, at route position `metro`.
  int64_t post(int64_t metro) const;
  // Index into zone() of the zone that holds `metro`; -1 before the first.
  int indice(int64_t metro) const;
  // The zones, ascending by start.
  const std::vector<zona>& zone() const { return zone_; }

 private:
  std::vector<zona> zone_;
};

// A post as railway staff write it: kilometres, "+", three digits of metres
// ("43+300"); a negative post keeps its sign ("-0+200").
std::string testo_post(int64_t metri);

}  // namespace scenario
