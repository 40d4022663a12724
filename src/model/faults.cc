#include "model/faults.h"

#include <array>

namespace scenario {

namespace {

using namespace errori;

constexpr std::array<voce_errore, 28> numeri{{
    {lunghezza_eccessiva, false, "route length above 1,000,000 m"},
    {progressiva_non_multipla, false, "a chainage row's start or offset is not a multiple of 50"},
    {inizio_ripetizione, false, "signal-repetition start is not a multiple of 50"},
    {fine_ripetizione, false, "signal-repetition end is not a multiple of 50"},
    {codici_ripetizione, false, "signal-repetition entry names neither 4 nor 9 codes"},
    {cartello_occupato, true, "text board on an occupied cell"},
    {abbattimento_occupato, true, "abbattimento on an occupied cell"},
    {stazione_non_multipla, true, "station position is not a multiple of 50"},
    {lunghezza_stazione, true, "station length is not a multiple of 100"},
    {stazioni_oltre_i_testi, false, "the station rows reach the text-board rows"},
    {cartello_prima_del_segnale, true,
     "no free cell for the speed board before a signal in front of a slow-down warning board"},
    {cartelli_prima_dell_inizio, true, "no free cell for a speed board in front of a slow-down start"},
    {cartello_nel_tratto, true,
     "no free cell for a speed board in a slow stretch or before the signal after it"},
    {oltre_il_percorso, true, "position beyond the end of the route"},
    {segnale_occupato, true, "signal on an occupied cell"},
    {avviso_occupato, true, "slow-down warning cell is occupied"},
    {inizio_occupato, true, "slow-down start cell is occupied"},
    {fine_occupata, true, "slow-down end cell is occupied"},
    {preavviso_occupato, true, "one of the four cells before a slow-down warning is occupied"},
    {indicatore_occupato, true, "indicator board on an occupied cell"},
    {stazioni_vicine, true, "station begins less than 350 m after the previous one ends"},
    {arresto_in_testa, false, "station stop point would fall in cell 1 or before"},
    {lettura_fallita, false, "a value that cannot be read or placed"},
    {linea_mancante, false, "line description file not found"},
    {generale_mancante, false, "no [generale] entry in the line description"},
    {curva_non_valida, false, "curve without a class digit 1 to 6, or track plan beyond point 1,000,000"},
    {guardia_testata, false, "a header slot of the scenario table or of cell 1 is already filled"},
    {guardia_codici, false, "an integrity-code slot of the scenario table or of cell 1 is already filled"},
}};

}  // namespace

std::span<const voce_errore> tabella_errori() { return numeri; }

const voce_errore* voce_di(int32_t numero) {
  for (const voce_errore& v : numeri) {
    if (v.numero == numero) return &v;
  }
  return nullptr;
}

std::string_view testo_errore(int32_t numero) {
  const voce_errore* v = voce_di(numero);
  return v != nullptr ? v->testo : "unknown fault";
}

std::string codice_errore(int32_t numero) { return "E" + std::to_string(numero); }

}  // namespace scenario
