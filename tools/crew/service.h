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
enum class genere_fermata {
  partenza,  // the first timed station: departs at `partenza`
  fermata,   // a timed station in between: arrives, stands `sosta` seconds, departs
  arrivo,    // the last timed station: arrives at `arrivo`
  transito,  // a station without a time: passes
};

struct fermata_servizio {
  int riga = 0;                // row of the scenario table
  std::string nome;
  int32_t posizione = 0;       // the station's position, metres
  int32_t punto_fermata = 0;   // where the train stands: the stop point, else the position
  genere_fermata genere = genere_fermata::transito;
  int32_t arrivo = 0;          // seconds after midnight, for fermata and arrivo
  int32_t partenza = 0;        // for partenza and fermata
  bool con_orario() const { return genere != genere_fermata::transito; }
};

// A point where the speed limit in force changes, and the new limit.
struct cambio_velocita {
  int32_t posizione = 0;
  int velocita = 0;  // km/h
};

// A slow-down as its marks on the route tell it: the start is read back from
// the start mark's cell, so it is exact to the 50 m cell.
struct rallentamento_servizio {
  int32_t x = 0;          // start, metres
  int32_t lunghezza = 0;  // metres
  int velocita = 0;       // km/h
};

// A tunnel mouth named by the text board before the tunnel.
struct imbocco_galleria {
  int32_t inizio = 0;
  int32_t fine = 0;
  std::string nome;
};

class servizio {
 public:
  explicit servizio(const stato_compilazione& s);

  const std::vector<fermata_servizio>& fermate() const { return fermate_; }
  // The stations with a time, in running order.
  std::vector<const fermata_servizio*> fermate_con_orario() const;
  const std::vector<cambio_velocita>& cambi() const { return cambi_; }
  const std::vector<rallentamento_servizio>& rallentamenti() const { return rallentamenti_; }
  const std::vector<imbocco_galleria>& gallerie_con_cartello() const { return gallerie_; }

  // The speed limit in force from `metro` on, km/h (0 outside the route).
  int velocita(int32_t metro) const;
  // The speed limit of cell c with the slow-downs applied, km/h.
  int velocita_cella(int32_t c) const;
  int32_t ultima_cella() const { return static_cast<int32_t>(velocita_celle_.size()) - 1; }

  // The kilometre post at `metro`, in metres and as printed.
  int64_t post(int32_t metro) const { return km_.post(metro); }
  std::string testo_post(int32_t metro) const { return scenario::testo_post(km_.post(metro)); }
  const chilometrica& km() const { return km_; }

  int frenatura() const { return frenatura_; }
  // The number and the classification taken from the train's name:
  // "Reg 27594" gives "27594" and "REG".
  const std::string& numero_treno() const { return numero_treno_; }
  const std::string& classificazione() const { return classificazione_; }

 private:
  std::vector<fermata_servizio> fermate_;
  std::vector<cambio_velocita> cambi_;
  std::vector<rallentamento_servizio> rallentamenti_;
  std::vector<imbocco_galleria> gallerie_;
  std::vector<int> velocita_celle_;  // km/h per cell, slow-downs not applied
  std::vector<int> lenta_celle_;     // slow-down speed per cell, 0 where none
  chilometrica km_;
  int frenatura_ = 0;
  std::string numero_treno_;
  std::string classificazione_;
};

// The stations on either side of a slow-down: the last at or before its
// start and the first at or after its end (nullptr where there is none).
std::pair<const fermata_servizio*, const fermata_servizio*> stazioni_attorno(
    const servizio& sv, const rallentamento_servizio& r);

}  // namespace scenario::crew
