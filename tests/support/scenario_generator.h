// Random but well-formed scenarios: a line description and a service
// description that the compiler must accept with an empty fault log.
//
// Every object stands on the 50 m grid inside the route and on a cell of its
// own; the cells that the derivation rules will need next to slow-downs and
// signals are kept free, so every rule finds room; stations keep 350 m between
// their stop areas; stations and text boards together take at most 78 rows;
// tunnels are at most 80; curves end before point 1,000,000. The same seed
// and options give the same text on every platform (the generator draws from
// std::mt19937_64 alone, without the library's distributions).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scenario::testing {

struct GeneratorOptions {
  // Route length in metres, 0 .. 1,000,000; 0 lets the seed choose one
  // between 12,000 and 150,000.
  int32_t lunghezza = 0;
  // Upper bound of the rows of each kind; 0 lets the seed choose up to 40.
  // Tunnels stop at 80, stations and text boards at 78 together, and the
  // number of objects is bounded by the cells the route has.
  int righe = 0;
  // Vary the form as the readers allow: keyword case, blanks and tabs, empty
  // lines, rows split over two lines, quoted texts with commas, dash lines,
  // entries shuffled across sections, LF instead of CR LF.
  bool vary_form = true;
};

// A cell that must hold a given object code after the compile.
struct ExpectedObject {
  int32_t cella = 0;
  uint8_t tipo = 0;
};

struct RowCounts {
  int curve = 0;
  int pendenze = 0;
  int montagne = 0;
  int indicatori = 0;
  int cartelli = 0;
  int velocita = 0;
  int aderenze = 0;
  int stazioni = 0;
  int rallentamenti = 0;
  int segnali = 0;
  int abbattimenti = 0;
};

struct RandomScenario {
  std::string linea;  // the line description
  std::string treno;  // the service description
  int32_t lunghezza = 0;
  RowCounts righe;
  // The objects the rows place, and the boards that the derivation rules
  // must put in front of and inside each slow-down.
  std::vector<ExpectedObject> oggetti;
};

RandomScenario generate_scenario(uint64_t seed, const GeneratorOptions& options = {});

// A 1,000,000 m route with `righe` rows of every kind that has no fixed
// limit (tunnels, stations and text boards up to theirs), in plain form.
RandomScenario generate_long_route(uint64_t seed, int righe = 2000);

}  // namespace scenario::testing
