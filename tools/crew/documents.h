// The timetable card and the slow-down order of a compiled scenario, laid out
// as the program's own documents, and the one call that writes the crew
// documents of a compile.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "crew/service.h"
#include "model/model.h"
#include "platform/file_system.h"

namespace scenario::crew {

// One timetable row of the generated card, before it is laid out.
struct generated_row {
  int32_t position = 0;
  int speed = 0;  // 0: the row sets no speed
  std::string name;
  std::string time;                          // the 16-character Orario column
  const service_station* station = nullptr;  // the station, for a station row
};

// The card's rows in running order: every station (its time by its kind),
// and every change of the speed limit between the first and the last station,
// on the station's row when both stand at one position, else on a row of its
// own, named after the tunnel mouth it stands at when a board names the
// tunnel. The first row carries the speed in force at the departure.
std::vector<generated_row> card_rows(const service& sv);

// The card's and the order's lines, without the end marker.
std::vector<std::string> timetable_card_lines(const service& sv);
std::vector<std::string> slowdown_order_lines(const service& sv);

// Reads the author's two sources in `folder` into `s` (named from
// s.nome_linea and s.nome_treno), never deleting them. Faults and warnings
// go to s.diagnostiche; a file-system failure other than a missing source is
// returned.
std::optional<IoError> read_sources(stato_compilazione& s, FileSystem& fs,
                                    const std::string& folder);

// What write_documents wrote, by file name.
struct written_documents {
  std::vector<std::string> written;
  std::optional<IoError> io_error;
};

// Writes the timetable card and the slow-down order of the compiled state
// `s` into `folder`, named from s.nome_linea and s.nome_treno, replacing
// older ones, and an empty notes sheet unless one is there already. The
// state must hold the read sources (with or without the derivation rules
// applied); `compile --documents` calls this after its compile.
written_documents write_documents(const stato_compilazione& s, FileSystem& fs,
                                  const std::string& folder);

}  // namespace scenario::crew
