// A small compiled scenario built directly in the model, for the tests of
// the dump and plot commands: a 10 km route on a gentle S-bend with three
// stations, three signals, two tunnels (one named by a text board), one
// slow-down and the stamps of cell 1 and row 85.
#pragma once

#include <cmath>
#include <string>

#include "model/binary_files.h"
#include "model/file_names.h"
#include "model/model.h"
#include "support/test_support.h"

namespace scenario::testing {

inline constexpr const char* kSampleLine = "Prova_Linea";
inline constexpr const char* kSampleTrain = "R 1";

inline stato_compilazione sample_state() {
  stato_compilazione s;
  s.nome_linea = kSampleLine;
  s.nome_treno = kSampleTrain;
  s.genera_linea = true;
  dimensiona(s, 10000);  // L = 17000, P = 340
  auto& m = s.matrice_linea;
  m.imposta_intero(0, 0, 0);
  m.imposta_intero(1, 0, 1);
  double x = 0, y = 1, dx = 0, dy = 1;
  for (int32_t i = 2; i <= m.ultimo() - 2; ++i) {
    // Right-hand bend from 2 km to 4 km, left-hand from 6 km to 8 km.
    const double k = (i > 2000 && i <= 4000) ? 0.0004 : (i > 6000 && i <= 8000) ? -0.0004 : 0.0;
    const double nx = dx + k * dy, ny = dy - k * dx;
    dx = nx;
    dy = ny;
    x += dx;
    y += dy;
    m.imposta_doppio(i, x, y);
  }
  for (int32_t c = 0; c <= s.ultima_cella() - 3; ++c) {
    auto& cell = s.percorso[static_cast<size_t>(c)];
    cell.velocita = c < 100 ? 20 : 24;
    cell.pendenza = c >= 120 && c < 160 ? 92 : 100;
    cell.aderenza = 100;
    if ((c >= 40 && c < 60) || (c >= 164 && c < 170)) cell.galleria = c < 100 ? 1 : 2;
  }
  s.percorso[43].tipo = 11;  // a tunnel marker
  auto& board = s.percorso[39];
  board.tipo = 14;
  board.dato1 = 80;
  s.tabella_sim[80].testo = "(GALLERIA)(ROVELLO )(m.1000  )";
  for (int32_t c : {51, 101, 201}) {
    auto& sig = s.percorso[static_cast<size_t>(c)];
    sig.tipo = 1;
    sig.dato1 = 22;
    sig.dato4 = 8;
  }
  s.percorso[150].tipo = 3;
  s.percorso[150].dato1 = 40;
  s.percorso[156].tipo = 2;
  s.percorso[156].dato1 = 40;
  const struct {
    int32_t p;
    const char* name;
  } stations[] = {{1000, "BORGO PROVA"}, {5000, "MONTE <&> PROVA"}, {9000, "FINE PROVA"}};
  for (int j = 0; j < 3; ++j) {
    auto& r = s.tabella_sim[static_cast<size_t>(1 + j)];
    r.tipo = 12;
    r.progressiva = stations[j].p;
    r.inizio = stations[j].p - 200;
    r.fine = stations[j].p + 200;
    r.testo = stations[j].name;
    r.orario = 6 * 3600 + j * 600;
    s.percorso[static_cast<size_t>(r.fine / 50 - 1)].tipo = 10;
    s.percorso[static_cast<size_t>(r.fine / 50 - 1)].dato1 = static_cast<int16_t>(1 + j);
  }
  s.tabella_sim[riga_progressiva_uno] = record_sim{};
  s.tabella_sim[riga_progressiva_uno].inizio = 0;
  s.tabella_sim[riga_progressiva_uno].fine = 12100;
  s.tabella_sim[riga_progressiva_uno].progressiva = 1;
  s.tabella_sim[riga_progressiva_tre].inizio = 6000;
  s.tabella_sim[riga_progressiva_tre].fine = -6000;
  s.tabella_sim[riga_treno].fine = 10000;
  s.tabella_sim[riga_linea].testo = s.nome_linea;
  s.tabella_sim[riga_linea].i1 = 610;
  s.tabella_sim[riga_ripetizione].testo = s.nome_treno;
  s.percorso[1].dato1 = 5121;
  return s;
}

// Writes the three binary files of `s` into `dir`.
inline void write_binaries(const std::string& dir, const stato_compilazione& s) {
  write_file(dir + "/" + nomi::sim(s.nome_linea, s.nome_treno), scrivi_tabella_sim(s));
  write_file(dir + "/" + nomi::dat(s.nome_linea, s.nome_treno), scrivi_percorso(s));
  write_file(dir + "/" + nomi::linea_dat(s.nome_linea), scrivi_matrice_linea(s));
}

}  // namespace scenario::testing
