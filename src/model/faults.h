// The fault numbers of a compile (numero_errore) and of the header guards,
// with what each means. Every other file names a number through these
// constants; the texts are the ones a scenario author is shown.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace scenario {

namespace errori {
enum numero : int32_t {
  nessuno = 0,
  lunghezza_eccessiva = 1,         // route length above 1,000,000 m
  progressiva_non_multipla = 2,    // chainage row start or offset not a multiple of 50
  inizio_ripetizione = 3,          // signal-repetition start not a multiple of 50
  fine_ripetizione = 4,            // signal-repetition end not a multiple of 50
  codici_ripetizione = 5,          // signal-repetition entry names neither 4 nor 9
  cartello_occupato = 6,           // text board on an occupied cell
  abbattimento_occupato = 7,       // abbattimento on an occupied cell
  stazione_non_multipla = 8,       // station position not a multiple of 50
  lunghezza_stazione = 9,          // station length not a multiple of 100
  stazioni_oltre_i_testi = 10,     // the station rows reach the text rows
  cartello_prima_del_segnale = 11,  // derivation: board before a signal
  cartelli_prima_dell_inizio = 12,  // derivation: boards before a slow-down start
  cartello_nel_tratto = 13,         // derivation: boards in or after a slow stretch
  oltre_il_percorso = 15,           // a position beyond the end of the route
  segnale_occupato = 16,
  avviso_occupato = 17,
  inizio_occupato = 18,
  fine_occupata = 19,
  preavviso_occupato = 20,
  indicatore_occupato = 21,
  stazioni_vicine = 22,            // a station less than 350 m after the previous one
  arresto_in_testa = 24,           // a stop cell at cell 1 or before
  lettura_fallita = 25,            // any other failure while the text files are read
  linea_mancante = 101,            // the line description does not exist
  generale_mancante = 102,         // the line description has no "[generale]"
  curva_non_valida = 103,          // curve without a class digit, or plan past point 1,000,000
  guardia_testata = 1250,          // a header slot was not empty
  guardia_codici = 1251,           // an integrity-code slot was not empty
};
}  // namespace errori

struct voce_errore {
  int32_t numero;
  bool con_posizione;     // posizione_errore is set together with it
  std::string_view testo;  // what it means, in plain words
};

// Every number, in increasing order.
std::span<const voce_errore> tabella_errori();

// The entry of a number; nullptr when the number is not one of the table.
const voce_errore* voce_di(int32_t numero);

// The text of a number; "unknown fault" when it is not one of the table.
std::string_view testo_errore(int32_t numero);

// The stable code of a number in diagnostics: "E" then the number ("E16").
std::string codice_errore(int32_t numero);

}  // namespace scenario
