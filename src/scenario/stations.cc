#include "scenario/stations.h"

#include <cstdio>
#include <cstdlib>

namespace scenario {

namespace {

// The line counts down from its origin to the junction, where the second
// zone's posts start again from 0; the third zone starts from 0 once more.
constexpr std::array<zona_chilometrica, 3> zone = {{
    {"uno", 0, 46000, 1},
    {"due", 46000, -46000, 0},
    {"tre", 49000, -49000, 0},
}};

constexpr std::array<stazione, 34> tabella_stazioni = {{
    {200, 4, 800, {1, 0, 0, 4, 1, 0, 2, 1, 1}, 1, genere_fermata::partenza, ora(6, 31), "BORGO VARNELLO"},
    {3200, 12, 400, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(6, 36), "CASTELMORO"},
    {5600, 28, 200, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, genere_fermata::transito, ora(6, 40), "SAN FELICE ALTO"},
    {8100, 24, 300, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(6, 43), "ROCCAVELLA"},
    {10400, 12, 400, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(6, 48), "PIEVE DI SORANO"},
    {12700, 22, 600, {1, 1, 0, 4, 1, 0, 2, 1, 1}, 60, genere_fermata::fermata, ora(6, 52), "VALLORIA"},
    {15100, 12, 400, {0, 0, 1, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(6, 57), "MONTECALVO"},
    {17600, 24, 300, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, genere_fermata::transito, ora(7, 1), "CASE BRUNELLE"},
    {19900, 12, 300, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(7, 4), "GRAVESANO"},
    {22800, 12, 400, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(7, 9), "TORRE ALBINA"},
    {25000, 12, 300, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(7, 14), "FONTANIVA"},
    {27400, 26, 200, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, genere_fermata::transito, ora(7, 18), "COLLE SAN PAOLO"},
    {29300, 24, 400, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(7, 21), "ARSIANO"},
    {34700, 21, 400, {0, 0, 0, 1, 1, 0, 4, 1, 1}, 60, genere_fermata::fermata, ora(7, 29), "VILLA ORSENA"},
    {37800, 24, 300, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(7, 35), "PONTE SAVIGNO"},
    {39600, 12, 400, {0, 0, 1, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(7, 40), "CERVAGNA"},
    {41800, 24, 400, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(7, 44), "POGGIO MARENZO"},
    {44300, 12, 300, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, genere_fermata::transito, ora(7, 48), "SANTA LUCERNA"},
    {46600, 22, 700, {1, 1, 0, 4, 1, 0, 2, 1, 1}, 60, genere_fermata::fermata, ora(7, 51), "VALDORNO"},
    {49400, 28, 200, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, genere_fermata::transito, ora(7, 56), "PIANELLO"},
    {50500, 12, 400, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(7, 58), "SANTA GIUSTA"},
    {52800, 24, 300, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, genere_fermata::transito, ora(8, 2, 30), "CORTE ALVINA"},
    {55000, 2, 600, {1, 1, 0, 1, 1, 0, 2, 1, 1}, 60, genere_fermata::fermata, ora(8, 5), "SERRAVALLE MONTANO"},
    {57600, 12, 300, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, genere_fermata::transito, ora(8, 8, 30), "MOLINI DI PORTA"},
    {60200, 24, 400, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(8, 11), "CAMPOROSSO VALLE"},
    {62900, 28, 200, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, genere_fermata::transito, ora(8, 14, 30), "CASCINE BASSE"},
    {65700, 12, 400, {0, 0, 1, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(8, 17), "LAVENZA"},
    {68500, 24, 300, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, genere_fermata::transito, ora(8, 20, 30), "SAN BIAGIO DEI GELSI"},
    {71300, 12, 500, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(8, 23), "S. MARTINO VALLE - BORGHETTO"},
    {74200, 26, 200, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, genere_fermata::transito, ora(8, 27), "OSTERIA NUOVA"},
    {77100, 24, 400, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(8, 30), "RIVALTA SCRIVIA"},
    {80100, 12, 400, {0, 0, 0, 0, 0, 0, 5, 1, 1}, 60, genere_fermata::fermata, ora(8, 35), "MONTEBRUNO"},
    {82900, 12, 300, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, genere_fermata::transito, ora(8, 38, 30), "PRATOLUNGO"},
    {88100, 2, 800, {1, 1, 0, 1, 1, 0, 2, 1, 1}, 0, genere_fermata::arrivo, ora(8, 45), "CALMEA"},
}};

constexpr localita ex_stazione_armellino = {"ARMELLINO", 21300, ora(7, 7)};
constexpr localita bivio_san_venanzio = {"SAN VENANZIO", 46000, ora(7, 49, 30)};
constexpr stazione_sotterranea villa_orsena = {"VILLA ORSENA", 34300};

constexpr std::array<limite_velocita, 20> tabella_limiti = {{
    {0, 30, 30, riga_scheda::localita, ""},
    {800, 110, 105, riga_scheda::propria, "Dev.U"},
    {6100, 90, 85, riga_scheda::imbocco, "SERRA CUPA"},
    {7400, 105, 100, riga_scheda::sbocco, "SERRA CUPA"},
    {12700, 60, 60, riga_scheda::localita, ""},
    {13300, 100, 95, riga_scheda::propria, "Dev.U"},
    {21300, 90, 85, riga_scheda::localita, ""},
    {24000, 90, 0, riga_scheda::nessuna, ""},
    {30000, 80, 80, riga_scheda::imbocco, "MONTE ARSO"},
    {34700, 70, 70, riga_scheda::localita, ""},
    {37300, 100, 95, riga_scheda::sbocco, "ORSENA"},
    {40000, 100, 0, riga_scheda::nessuna, ""},
    {46000, 60, 60, riga_scheda::localita, ""},
    {46600, 80, 75, riga_scheda::localita, ""},
    {53000, 120, 110, riga_scheda::propria, "Cippo Km 4,000"},
    {61300, 150, 130, riga_scheda::sbocco, "MONTE BARCO"},
    {71300, 120, 110, riga_scheda::localita, ""},
    {86400, 95, 90, riga_scheda::sbocco, "CALMEANA"},
    {86900, 95, 0, riga_scheda::nessuna, ""},
    {87100, 30, 30, riga_scheda::propria, "Dev.I"},
}};

constexpr rallentamento rallentamento_49900 = {49900, 40, 300, 0, 1, 40};

}  // namespace

std::span<const zona_chilometrica> zone_chilometriche() { return zone; }

int32_t progressiva_km(int32_t posizione) {
  const zona_chilometrica* zona = &zone.front();
  for (const auto& z : zone) {
    if (z.inizio <= posizione) zona = &z;
  }
  return zona->decrescente == 1 ? zona->scostamento - posizione : posizione + zona->scostamento;
}

std::string testo_progressiva(int32_t posizione) {
  const int32_t post = progressiva_km(posizione);
  const int32_t metri = std::abs(post);
  char testo[24];
  std::snprintf(testo, sizeof testo, "%s%d+%03d", post < 0 ? "-" : "", static_cast<int>(metri / 1000),
                static_cast<int>(metri % 1000));
  return testo;
}

std::span<const stazione> stazioni() { return tabella_stazioni; }

const localita& ex_stazione() { return ex_stazione_armellino; }
const localita& bivio() { return bivio_san_venanzio; }
std::string nome_ex_stazione() { return "Ex stazione di " + std::string(ex_stazione().nome); }
std::string nome_bivio() { return "Bivio " + std::string(bivio().nome); }

const stazione_sotterranea& sotterranea() { return villa_orsena; }

std::span<const limite_velocita> limiti_velocita() { return tabella_limiti; }

std::string voce_scheda(const limite_velocita& l) {
  switch (l.riga) {
    case riga_scheda::imbocco: return "Imbocco G. " + std::string(l.voce);
    case riga_scheda::sbocco: return "Sbocco G. " + std::string(l.voce);
    default: return std::string(l.voce);
  }
}

const rallentamento& rallentamento_servizio() { return rallentamento_49900; }

std::pair<const stazione*, const stazione*> stazioni_attorno(const rallentamento& r) {
  const stazione* prima = nullptr;
  const stazione* dopo = nullptr;
  for (const auto& s : tabella_stazioni) {
    if (s.posizione <= r.x) prima = &s;
    if (dopo == nullptr && s.posizione >= r.x + r.l) dopo = &s;
  }
  return {prima, dopo};
}

}  // namespace scenario
