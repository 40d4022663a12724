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
struct riga_generata {
  int32_t posizione = 0;
  int velocita = 0;  // 0: the row sets no speed
  std::string nome;
  std::string orario;                        // the 16-character Orario column
  const fermata_servizio* fermata = nullptr;  // the station, for a station row
};

// The card's rows in running order: every station (its time by its kind),
// and every change of the speed limit between the first and the last station,
// on the station's row when both stand at one position, else on a row of its
// own, named after the tunnel mouth it stands at when a board names the
// tunnel. The first row carries the speed in force at the departure.
std::vector<riga_generata> righe_scheda(const servizio& sv);

// The card's and the order's lines, without the end marker.
std::vector<std::string> genera_scheda(const servizio& sv);
std::vector<std::string> genera_rallentamenti(const servizio& sv);

// Reads the author's two sources in `cartella` into `s` (named from
// s.nome_linea and s.nome_treno), never deleting them. Faults and warnings go to s.diagnostiche;
// a file-system failure other than a missing source is returned.
std::optional<IoError> leggi_sorgenti(stato_compilazione& s, FileSystem& fs,
                                      const std::string& cartella);

// What scrivi_documenti wrote, by file name.
struct documenti_scritti {
  std::vector<std::string> scritti;
  std::optional<IoError> errore_io;
};

// Writes the timetable card and the slow-down order of the compiled state
// `s` into `cartella`, named from s.nome_linea and s.nome_treno, replacing
// older ones, and an empty notes sheet unless one is there already. The
// state must hold the read sources (with or without the derivation rules
// applied); `compile --documents` calls this after its compile.
documenti_scritti scrivi_documenti(const stato_compilazione& s, FileSystem& fs,
                                   const std::string& cartella);

}  // namespace scenario::crew
