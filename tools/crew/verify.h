// Checks of crew documents an author keeps by hand: the timetable card and
// the slow-down order read back and compared, row by row, with the compiled
// scenario.
#pragma once

#include <optional>
#include <string>

#include "crew/service.h"
#include "model/diagnostics.h"
#include "platform/file_system.h"

namespace scenario::crew {

// One document as found beside the sources: its path (for the diagnostics)
// and its text, or no text when there is no such file.
struct found_document {
  std::string path;
  std::optional<std::string> text;
};

// Every row of the card that disagrees with the scenario:
//   card-missing-station  a station of the service has no row
//   card-extra-station    a row with a stop time names no station (a
//                         passing time for a place the service does not
//                         know is a note)
//   card-name             the row at a station's post names another place
//   card-time             a station's times differ
//   card-post             a station's post is more than 100 m off
//   card-speed            a speed that is not the limit in force there, or
//                         a change of the limit with no row for it
// and of the order:
//   order-unknown-slowdown  a row for a slow-down the service does not have
//   order-missing-slowdown  a slow-down of the service has no row
//   order-speed, order-length, order-stations  a row's speed, length or
//                           station pair differs
// A missing document is a note (card-absent, order-absent).
Diagnostics check_card(const service& sv, const found_document& card);
Diagnostics check_slowdown_order(const service& sv, const found_document& order);

// Both checks of a compiled scenario's documents in `folder`, named from
// s.nome_linea and s.nome_treno. For `check`.
Diagnostics check_documents(const stato_compilazione& s, FileSystem& fs,
                            const std::string& folder);

}  // namespace scenario::crew
