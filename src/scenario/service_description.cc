#include "scenario/service_description.h"

#include <array>

#include "model/file_names.h"
#include "scenario/stations.h"

namespace scenario {

namespace {

struct segnale {
  int32_t posizione;
  int sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
};

// Entry signals before the stations and exit signals after the larger stops;
// the seven of kind 1 stand before the small stations. No signal stands
// within a kilometre before the slow-down's warning board or in the 600 m
// after its end, where the derivation would have to put a board before it.
constexpr std::array<segnale, 43> segnali = {{
    {2700, 2, 3, 0, 0, 0, 2, 2, 0, 0, 0},
    {3800, 2, 3, 0, 0, 0, 2, 2, 0, 0, 0},
    {5200, 1, 5, 6, 0, 0, 1, 3, 1, 0, 0},
    {7900, 2, 2, 3, 0, 0, 2, 2, 1, 0, 0},
    {8700, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0},
    {10000, 2, 3, 4, 1, 0, 2, 2, 1, 1, 0},
    {11000, 2, 5, 6, 0, 0, 2, 2, 1, 0, 0},
    {12100, 2, 2, 1, 0, 1, 2, 2, 0, 0, 0},
    {14700, 1, 5, 6, 0, 0, 1, 3, 1, 0, 0},
    {17100, 1, 4, 0, 0, 0, 1, 3, 0, 0, 0},
    {19400, 2, 3, 0, 0, 0, 2, 2, 0, 0, 0},
    {20500, 2, 2, 3, 0, 0, 2, 2, 1, 0, 0},
    {22300, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0},
    {24500, 2, 3, 4, 1, 0, 2, 2, 1, 1, 0},
    {25600, 2, 5, 6, 0, 0, 2, 2, 1, 0, 0},
    {26900, 1, 3, 1, 0, 0, 1, 3, 0, 0, 0},
    {28800, 2, 2, 1, 0, 1, 2, 2, 0, 0, 0},
    {29900, 2, 3, 0, 0, 0, 2, 2, 0, 0, 0},
    {34200, 2, 2, 3, 0, 0, 2, 2, 1, 0, 0},
    {35300, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0},
    {37200, 2, 3, 4, 1, 0, 2, 2, 1, 1, 0},
    {39100, 2, 5, 6, 0, 0, 2, 2, 1, 0, 0},
    {41300, 2, 2, 1, 0, 1, 2, 2, 0, 0, 0},
    {42500, 2, 2, 3, 0, 0, 2, 2, 1, 0, 210},
    {43800, 2, 3, 0, 0, 0, 2, 2, 0, 0, 0},
    {45900, 2, 2, 3, 0, 0, 2, 2, 1, 0, 0},
    {52300, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0},
    {54400, 2, 3, 4, 1, 0, 2, 2, 1, 1, 0},
    {55700, 2, 5, 6, 0, 0, 2, 2, 1, 0, 0},
    {57100, 2, 2, 1, 0, 1, 2, 2, 0, 0, 0},
    {59700, 2, 3, 0, 0, 0, 2, 2, 0, 0, 0},
    {60800, 2, 2, 3, 0, 0, 2, 2, 1, 0, 0},
    {62500, 1, 5, 6, 0, 0, 1, 3, 1, 0, 0},
    {65200, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0},
    {68000, 2, 3, 4, 1, 0, 2, 2, 1, 1, 0},
    {70700, 2, 5, 6, 0, 0, 2, 2, 1, 0, 0},
    {72000, 2, 2, 1, 0, 1, 2, 2, 0, 0, 210},
    {73800, 1, 4, 0, 0, 0, 1, 3, 0, 0, 0},
    {76600, 2, 3, 0, 0, 0, 2, 2, 0, 0, 0},
    {79600, 2, 2, 3, 0, 0, 2, 2, 1, 0, 0},
    {80700, 2, 4, 1, 0, 0, 2, 2, 0, 0, 0},
    {82400, 1, 3, 1, 0, 0, 1, 3, 0, 0, 0},
    {87100, 2, 2, 3, 1, 0, 2, 2, 1, 1, 0},
}};

}  // namespace

std::vector<std::string> tabella_treno() {
  std::vector<std::string> t;
  t.push_back("[generale]");
  t.push_back("numero vetture,    7");
  t.push_back("percentuale massa frenata,    125");
  t.push_back("sabbia,    0");
  t.push_back("orologio,    6               30            30 ");

  t.push_back("[aderenze]");
  t.push_back("aderenza,   0,    100");

  t.push_back("[vel_limite]");
  bool prima = true;
  for (const auto& l : limiti_velocita()) {
    t.push_back(formato("velocita,%*d,%6d", prima ? 4 : 8, l.posizione, l.velocita));
    prima = false;
  }

  t.push_back("[stazioni]");
  for (const auto& s : stazioni()) {
    const int32_t orario = con_orario(s) ? s.orario : 0;
    const auto& c = s.campi;
    t.push_back(formato("stazione,%8d, %2d,  %3d,  %d, %d, %d,  %d,%d,%d,  %d,%d,%d, %4d,%4d,%2d,%2d, %.*s",
                        s.posizione, s.tipo, s.lunghezza, c[0], c[1], c[2], c[3], c[4], c[5], c[6],
                        c[7], c[8], s.sosta, orario / 3600, orario / 60 % 60, orario % 60,
                        static_cast<int>(s.nome.size()), s.nome.data()));
  }

  t.push_back("[rallentamenti]");
  const rallentamento& r = rallentamento_servizio();
  t.push_back(formato("rallentamento,%8d,%6d,%5d, %d,%3d,%4d", r.x, r.v, r.l, r.f_tt, r.f_ta, r.d_v));

  t.push_back("[segnali]");
  for (const auto& s : segnali) {
    t.push_back(formato("segnale,%8d,   %d, %d, %d,  %d, %d,    %d,  %d,%d,%d, %d", s.posizione, s.sx,
                        s.s1, s.s2, s.s3, s.rapp, s.dx, s.d1, s.d2, s.d3, s.tempo));
  }

  t.push_back("[codici]");
  t.push_back("[fine]");
  t.push_back(std::string(fine_del_file));
  return t;
}

std::optional<IoError> dati_treno(FileSystem& fs, const std::string& cartella,
                                  const std::string& nome_linea, const std::string& nome_treno) {
  return scrivi_testo(fs, join_path(cartella, nomi::treno_txt(nome_linea, nome_treno)),
                      tabella_treno());
}

}  // namespace scenario
