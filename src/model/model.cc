#include "model/model.h"

namespace scenario {

void matrice_punti::dimensiona(int32_t ultimo) {
  const size_t n = static_cast<size_t>(ultimo) + 1;
  tipi_.assign(n, static_cast<uint8_t>(tipo_elemento::vuoto));
  x_.assign(n, 0.0);
  y_.assign(n, 0.0);
}

void matrice_punti::libera() {
  tipi_ = {};
  x_ = {};
  y_ = {};
}

void matrice_punti::imposta_intero(int32_t i, int16_t x, int16_t y) {
  tipi_[i] = static_cast<uint8_t>(tipo_elemento::intero);
  x_[i] = x;
  y_[i] = y;
}

void matrice_punti::imposta_doppio(int32_t i, double x, double y) {
  tipi_[i] = static_cast<uint8_t>(tipo_elemento::doppio);
  x_[i] = x;
  y_[i] = y;
}

void dimensiona(stato_compilazione& s, int32_t lunghezza) {
  s.percorso.assign(static_cast<size_t>(celle_da_lunghezza(lunghezza)) + 1, cella{});
  if (s.genera_linea != 0) s.matrice_linea.dimensiona(punti_da_lunghezza(lunghezza));
}

void azzera_tabella(stato_compilazione& s) {
  for (auto& r : s.tabella_sim) r = record_sim{};
}

}  // namespace scenario
