// The fixed layout of the timetable card and the slow-down order: the header
// boxes, the ruled tables and their rows. The program's own documents and the
// documents generated for an author's scenario are both laid out here, so the
// two always share one form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scenario {

// Times on the card: hours, ".", two digits of minutes ("6.31"); seconds are
// dropped. A passing time carries "+" when it falls on the half minute.
std::string ore_minuti(int32_t secondi);

// The 16 characters of the card's Orario column.
std::string orario_partenza(int32_t partenza);
std::string orario_arrivo(int32_t arrivo);
std::string orario_fermata(int32_t arrivo, int32_t partenza);
std::string orario_transito(int32_t passaggio);
std::string orario_vuoto();

// One timetable row of the card. A speed of 0 leaves its column empty.
struct riga_orario_scheda {
  int velocita = 0;         // Vel. Lim., km/h
  int marcia = 0;           // Vel. Marc., km/h
  std::string progressiva;  // the kilometre post as printed ("46+000")
  std::string nome;         // cut to the column's 28 characters
  std::string orario;       // 16 characters, from the orario_* functions
};

// The row as printed: 83 characters with "|" at 2, 8, 14, 25, 31, 60, 77, 83.
std::string componi_riga_scheda(const riga_orario_scheda& r);

// What the card's header boxes hold.
struct testata_scheda {
  std::string treno;            // the number after "TRENO n."
  std::string da;               // departure station, up to 22 characters
  std::string a;                // arrival station, up to 22 characters
  std::string velocita;         // "V150 B"
  std::string frenatura;        // braked-mass percentage, "125%"
  std::string classificazione;  // "REG"
  std::string massa;            // "430T"
};

// The whole card: two empty lines, the header boxes, the table with `righe`
// (from componi_riga_scheda) between its rules, the footnote and an empty line.
std::vector<std::string> componi_scheda(const testata_scheda& t, const std::vector<std::string>& righe);

// One filled row of the slow-down order.
struct riga_ordine {
  int numero = 0;
  std::string fra;          // "STATION-STATION", cut to 28 characters
  std::string progressiva;  // where the slow-down begins ("0+900")
  int velocita = 0;         // km/h
  int lunghezza = 0;        // metres
  std::string prescrizioni = "-----";
};

// The row as printed: 82 characters with "|" at 2, 6, 35, 48, 59, 69, 82.
std::string componi_riga_rallentamento(const riga_ordine& r);

// Rows the order's table always has, filled or empty.
inline constexpr int righe_tabella_ordine = 26;

// The whole order: `linea` names the line ("BORGO VARNELLO - CALMEA"),
// `treno` the train number; the filled rows come first, empty ruled rows
// make up the table to righe_tabella_ordine rows.
std::vector<std::string> componi_rallentamenti(const std::string& linea, const std::string& treno,
                                               const std::vector<riga_ordine>& righe);

}  // namespace scenario
