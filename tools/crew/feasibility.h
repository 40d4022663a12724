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

struct parametri_marcia {
  double accelerazione = 0.5;  // m/s²
  double decelerazione = 0.5;  // m/s², braking
};

// One stretch between two consecutive timed stations.
struct tratta {
  std::string da, a;
  int32_t inizio = 0, fine = 0;  // where the train stands at either end, metres
  int32_t previsto = 0;          // scheduled seconds: arrival at `a` minus departure from `da`
  double tempo_minimo = 0;       // the bound, seconds
  double stima = 0;              // the estimate, seconds
  enum class esito { ok, stretto, impossibile, indietro } giudizio = esito::ok;
};

struct esito_fattibilita {
  Diagnostics diagnostiche;  // timetable-backwards, timetable-infeasible, timetable-tight
  std::vector<tratta> tratte;
};

// `file_servizio` and `testo_servizio`, when given, place each diagnostic on
// the arriving station's row of the service description.
esito_fattibilita verifica_orario(const servizio& sv, const parametri_marcia& p,
                                  const std::string& file_servizio = {},
                                  const std::string& testo_servizio = {});
// The same from a compiled state. For `check`.
esito_fattibilita verifica_orario(const stato_compilazione& s, const parametri_marcia& p,
                                  const std::string& file_servizio = {},
                                  const std::string& testo_servizio = {});

// The running-time table as one JSON object:
//   {"acceleration": A, "braking": B, "stretches": [{"from": NAME, "to": NAME,
//    "start": M, "end": M, "scheduled": S, "bound": S, "estimate": S,
//    "verdict": "ok"|"tight"|"infeasible"|"backwards"}]}
std::string tabella_json(const esito_fattibilita& e, const parametri_marcia& p);
// The same as a text table, one stretch a line.
std::string tabella_testo(const esito_fattibilita& e);

// "3 min 10 s".
std::string durata(double secondi);

}  // namespace scenario::crew
