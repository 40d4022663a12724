// The timetable facts of the embedded scenario, each kept once: the chainage
// zones, the stations, the other places the crew's card lists, the speed
// limits and the slow-down. The service description, the timetable card and
// the slow-down order are all written from these tables, so the three agree
// by construction.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace scenario {

// One chainage zone of the line, from `inizio` to the start of the next
// zone: the kilometre post at p reads scostamento - p metres when
// `decrescente` is 1 (counting down), p + scostamento otherwise.
struct zona_chilometrica {
  std::string_view nome;  // "uno", "due", "tre" in the line description
  int32_t inizio;
  int32_t scostamento;
  int32_t decrescente;
};

// The zones in ascending order of their start.
std::span<const zona_chilometrica> zone_chilometriche();

// Metres shown by the kilometre post at `posizione`, by the zone it lies in.
int32_t progressiva_km(int32_t posizione);
// The post as the card prints it: kilometres, "+", three digits of metres,
// a negative post with its sign. These tables are written before anything is
// compiled, so they keep the zones as the line description states them; the
// tests hold this rule to the one read from the compiled chainage rows.
std::string testo_progressiva(int32_t posizione);

// Seconds after midnight.
constexpr int32_t ora(int32_t ore, int32_t minuti, int32_t secondi = 0) {
  return (ore * 60 + minuti) * 60 + secondi;
}

// What the train does at a station.
enum class genere_fermata {
  partenza,  // the origin: departs at `orario`
  fermata,   // a stop: arrives at `orario`, departs `sosta` seconds later
  transito,  // passes without a timetabled time; `orario` is the card's passing time
  arrivo,    // the terminus: arrives at `orario`
};

// One station of the service, as the service description and the card
// both tell it.
struct stazione {
  int32_t posizione;  // metres, on the 100 m grid
  int tipo;           // type code of the stop area
  int32_t lunghezza;  // metres, on the 100 m grid
  // The nine small fields, in the order they are written (three groups of
  // three: b1 b5 b4, i1 i2 b2, i3 i4 i5).
  std::array<int, 9> campi;
  int sosta;  // seconds standing (b3)
  genere_fermata genere;
  int32_t orario;
  std::string_view nome;
};

// The 34 stations in running order.
std::span<const stazione> stazioni();

// Whether the service description gives the station a time.
inline bool con_orario(const stazione& s) { return s.genere != genere_fermata::transito; }

// A place the card lists among the stations that the service does not
// know: the former station and the junction, passed at `orario`.
struct localita {
  std::string_view nome;
  int32_t posizione;  // where its board stands, too
  int32_t orario;
};

const localita& ex_stazione();
const localita& bivio();
// The card's names for the two.
std::string nome_ex_stazione();
std::string nome_bivio();

// The underground station: the station's name and where its board stands.
struct stazione_sotterranea {
  std::string_view nome;
  int32_t cartello;
};
const stazione_sotterranea& sotterranea();

// Where the card prints a speed limit.
enum class riga_scheda {
  nessuna,   // the limit repeats the one in force: no row
  localita,  // on the timed row of the station or place nearest to it
  propria,   // a row of its own, labelled `voce`
  imbocco,   // a row of its own at the entrance of tunnel `voce`
  sbocco,    // a row of its own at the exit of tunnel `voce`
};

// One row of the service's speed profile, with the card's running speed.
struct limite_velocita {
  int32_t posizione;  // metres, on the 50 m grid
  int velocita;       // km/h, in force from `posizione` on
  int marcia;         // the card's running speed, never above `velocita`
  riga_scheda riga;
  std::string_view voce;
};

// The 20 limits in ascending position.
std::span<const limite_velocita> limiti_velocita();

// The card's label for a limit with a row of its own.
std::string voce_scheda(const limite_velocita& l);

// The slow-down of the service, with the parameters of its recorder.
struct rallentamento {
  int32_t x;  // start, metres
  int32_t v;  // km/h
  int32_t l;  // length, metres
  int32_t f_tt;
  int32_t f_ta;
  int32_t d_v;
};
const rallentamento& rallentamento_servizio();

// The last station at or before the slow-down's start and the first at or
// after its end: the pair the slow-down order names.
std::pair<const stazione*, const stazione*> stazioni_attorno(const rallentamento& r);

}  // namespace scenario
