#include "scenario/line_description.h"

#include <algorithm>
#include <array>
#include <utility>

#include "model/file_names.h"
#include "scenario/stations.h"

namespace scenario {

namespace {

struct curva {
  char lato;  // 'd' right, 's' left
  int classe;
  int32_t inizio;
  int32_t lunghezza;
};

// Winding through the hills with the long left-hand sweep into Calmea last.
constexpr std::array<curva, 103> curve = {{
    {'d', 4, 800, 150},
    {'s', 4, 1100, 250},
    {'d', 2, 2650, 100},
    {'s', 4, 2750, 100},
    {'d', 4, 3600, 200},
    {'s', 4, 4500, 50},
    {'d', 4, 5250, 50},
    {'s', 4, 6100, 50},
    {'d', 4, 6850, 50},
    {'s', 4, 7800, 50},
    {'d', 5, 8600, 50},
    {'s', 4, 9400, 50},
    {'d', 4, 10150, 100},
    {'s', 3, 11050, 300},
    {'d', 4, 11650, 100},
    {'s', 4, 12400, 100},
    {'d', 4, 13400, 100},
    {'s', 4, 14150, 100},
    {'d', 4, 15050, 100},
    {'s', 3, 15600, 300},
    {'d', 4, 16500, 50},
    {'s', 3, 17350, 100},
    {'d', 4, 18150, 50},
    {'s', 4, 19150, 50},
    {'d', 3, 19900, 50},
    {'s', 3, 20650, 50},
    {'d', 3, 21450, 50},
    {'s', 4, 22200, 50},
    {'d', 4, 23050, 50},
    {'s', 5, 23850, 50},
    {'d', 2, 24550, 450},
    {'s', 4, 25650, 50},
    {'d', 4, 26350, 50},
    {'s', 4, 27050, 50},
    {'d', 4, 27900, 50},
    {'s', 2, 28600, 50},
    {'d', 3, 29650, 50},
    {'s', 4, 30350, 50},
    {'d', 3, 31150, 100},
    {'s', 2, 31900, 1500},
    {'d', 4, 33650, 50},
    {'s', 3, 34500, 100},
    {'d', 3, 35400, 250},
    {'s', 4, 36300, 100},
    {'d', 4, 37000, 100},
    {'s', 4, 37900, 100},
    {'d', 3, 38700, 250},
    {'s', 3, 39550, 200},
    {'d', 3, 40300, 250},
    {'s', 4, 41100, 100},
    {'d', 4, 41850, 100},
    {'s', 4, 42700, 100},
    {'d', 4, 43650, 100},
    {'s', 2, 44400, 600},
    {'d', 4, 45000, 100},
    {'s', 4, 46050, 100},
    {'d', 4, 46750, 100},
    {'s', 3, 47600, 250},
    {'d', 4, 48350, 100},
    {'s', 4, 49050, 100},
    {'d', 4, 50100, 100},
    {'s', 4, 50900, 100},
    {'d', 3, 51650, 300},
    {'s', 2, 52350, 550},
    {'d', 4, 53250, 100},
    {'s', 3, 53950, 300},
    {'d', 4, 55000, 50},
    {'s', 3, 55800, 100},
    {'d', 3, 56500, 300},
    {'s', 4, 57400, 100},
    {'d', 3, 58150, 300},
    {'s', 3, 59050, 300},
    {'d', 4, 59850, 100},
    {'s', 4, 60500, 100},
    {'d', 4, 61350, 850},
    {'s', 4, 62200, 100},
    {'d', 4, 63000, 250},
    {'s', 4, 63750, 50},
    {'d', 2, 64500, 100},
    {'s', 3, 65450, 250},
    {'d', 4, 66300, 100},
    {'s', 5, 67050, 50},
    {'d', 4, 67700, 100},
    {'s', 4, 68550, 100},
    {'d', 4, 69400, 100},
    {'s', 4, 70150, 100},
    {'d', 4, 71150, 100},
    {'s', 3, 71900, 300},
    {'d', 4, 72600, 150},
    {'s', 4, 73600, 50},
    {'d', 2, 74200, 150},
    {'s', 3, 75250, 50},
    {'d', 2, 76000, 100},
    {'s', 4, 76900, 50},
    {'d', 4, 77550, 50},
    {'s', 4, 78400, 50},
    {'d', 3, 79050, 100},
    {'s', 4, 80000, 100},
    {'d', 4, 80850, 100},
    {'s', 4, 81550, 100},
    {'s', 2, 82500, 700},
    {'d', 3, 83200, 600},
    {'s', 5, 86200, 1100},
}};

constexpr std::array<galleria, 58> tabella_gallerie = {{
    {1600, 2700, 11, "MONTEFOSCO", true, 1100},
    {3900, 4350, 11, "CASTAGNETO", true, 450},
    {4600, 5100, 11, "RIPALTA", true, 520},
    {6100, 7400, 11, "SERRA CUPA", true, 1312},
    {8700, 9100, 11, "PIAN DEI LUPI", true, 400},
    {9350, 9800, 11, "COSTA ROSSA", true, 438},
    {11000, 11600, 11, "MONTE ORSAIO", true, 612},
    {11800, 12200, 11, "ORSAIETTO", true, 400},
    {13600, 14200, 11, "VALLECUPA", true, 600},
    {14400, 14600, 11, "FORNACI", true, 262},
    {15800, 16300, 11, "ROCCA NERA", true, 517},
    {16500, 17000, 11, "PRATO SECCO", true, 500},
    {18100, 18900, 11, "COSTA DEL FALCO", true, 793},
    {19100, 19400, 11, "GRAVESANO", true, 300},
    {20400, 20900, 11, "SASSO MORO", true, 486},
    {21700, 22200, 11, "TORRICELLA", true, 500},
    {23200, 23700, 11, "MONTE ALBINO", true, 521},
    {23900, 24400, 11, "ALBINELLA", true, 500},
    {25600, 26100, 11, "FONTANA FREDDA", true, 500},
    {26350, 26900, 11, "CERRETO", true, 556},
    {27700, 28100, 11, "PAOLINA", true, 388},
    {28300, 28800, 11, "ARSIANELLO", true, 500},
    {30000, 31400, 11, "MONTE ARSO", true, 1756},
    {31600, 31900, 11, "CROCE", true, 300},
    {32050, 32100, 12, "LA TAGLIATA", false, 0},
    {33100, 37300, 11, "ORSENA", true, 4163},
    {38100, 38500, 11, "SAVIGNO", true, 400},
    {38700, 39100, 11, "PONTICELLO", true, 417},
    {40200, 40700, 11, "CERVAGNOLA", true, 512},
    {40950, 41200, 12, "LE CASETTE", false, 0},
    {42600, 43400, 11, "MARENZO", true, 817},
    {43600, 43900, 12, "PARAVENTO", true, 300},
    {44800, 45500, 11, "LUCERNA", true, 693},
    {47300, 47900, 11, "VALDORNO", true, 614},
    {51200, 51900, 11, "SANTA GIUSTA", true, 700},
    {52100, 52400, 12, "ALVINA", true, 310},
    {53300, 53700, 11, "MONTE CORTE", true, 400},
    {53900, 54400, 11, "CORTICELLA", true, 508},
    {55700, 56400, 11, "SERRAVALLE", true, 700},
    {56600, 57100, 12, "MOLINI", false, 0},
    {58100, 58800, 11, "PORTA ROSSA", true, 714},
    {59100, 59700, 11, "CAMPOROSSO", true, 600},
    {60700, 61300, 11, "MONTE BARCO", true, 583},
    {61400, 62300, 11, "BARCHETTA", true, 904},
    {63400, 64100, 11, "CASCINE", false, 0},
    {64400, 65000, 11, "ROVERELLA", false, 0},
    {66400, 67200, 11, "LAVENZA", false, 0},
    {69000, 69800, 11, "SAN BIAGIO", false, 0},
    {70100, 70600, 12, "PIANACCIA", false, 0},
    {72000, 73100, 11, "BORGHETTO", false, 0},
    {73400, 73800, 11, "OSTERIA", false, 0},
    {74700, 75600, 11, "COSTA VECCHIA", false, 0},
    {75900, 76500, 12, "RIVALTINA", false, 0},
    {77700, 78500, 11, "SCRIVIA", false, 0},
    {78800, 79500, 11, "MONTEBRUNO", false, 0},
    {80700, 81600, 11, "PRATO ALTO", false, 0},
    {81900, 82400, 12, "LUNGAROLA", false, 0},
    {83700, 86500, 11, "CALMEANA", false, 0},
}};

struct indicatore {
  int32_t posizione;
  int vas;
  int vbs;
  int vcs;
  int strisces;
};

// Maximum-speed boards for the left track; the right-track speeds stay empty.
// The last three count down the stripes into Calmea.
constexpr std::array<indicatore, 18> indicatori = {{
    {800, 100, 110, 115, 0},
    {6100, 80, 90, 95, 0},
    {7400, 95, 105, 110, 0},
    {9500, 95, 105, 110, 0},
    {13000, 60, 60, 65, 0},
    {13300, 90, 100, 105, 0},
    {24000, 80, 90, 95, 0},
    {27000, 80, 90, 95, 0},
    {30000, 70, 80, 85, 0},
    {37300, 90, 100, 105, 0},
    {40000, 90, 100, 105, 0},
    {53000, 110, 120, 125, 0},
    {61300, 130, 150, 150, 0},
    {66000, 125, 150, 150, 0},
    {76000, 110, 120, 125, 0},
    {85900, 90, 95, 95, 2},
    {86400, 90, 95, 95, 1},
    {86900, 90, 95, 95, 0},
}};

// The text boards in ascending position: one before every tunnel that has
// one, and the boards of the former station, the junction and the
// underground station.
std::vector<std::pair<int32_t, std::string>> cartelli_indicatori() {
  std::vector<std::pair<int32_t, std::string>> cartelli;
  for (const auto& g : tabella_gallerie) {
    if (!g.cartello) continue;
    const std::string metri = "m." + std::to_string(g.lunghezza_cartello);
    cartelli.emplace_back(g.inizio - 50, faccia_cartello({"GALLERIA", g.nome, metri}));
  }
  cartelli.emplace_back(ex_stazione().posizione,
                        faccia_cartello({"EX STAZIONE", ex_stazione().nome}));
  cartelli.emplace_back(bivio().posizione, faccia_cartello({"BIVIO", bivio().nome}));
  cartelli.emplace_back(sotterranea().cartello,
                        faccia_cartello({sotterranea().nome, "SOTTERRANEA"}));
  std::stable_sort(cartelli.begin(), cartelli.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  return cartelli;
}

}  // namespace

std::span<const galleria> gallerie() { return tabella_gallerie; }

std::string faccia_cartello(std::initializer_list<std::string_view> lines) {
  size_t width = 0;
  for (auto line : lines) width = std::max(width, line.size());
  std::string faccia;
  for (auto line : lines) {
    faccia += '(';
    faccia += line;
    faccia.append(width - line.size(), ' ');
    faccia += ')';
  }
  return faccia;
}

std::vector<std::string> tabella_linea() {
  std::vector<std::string> t;
  t.push_back("[generale]");
  t.push_back("lunghezza percorso,    88000");
  for (const auto& z : zone_chilometriche()) {
    t.push_back(formato("progressiva chilometrica %.*s,    %d,    %d,    %d",
                        static_cast<int>(z.nome.size()), z.nome.data(), z.inizio, z.scostamento,
                        z.decrescente));
  }
  t.push_back("sfondo uno,    0");
  t.push_back("sfondo due,    1");
  t.push_back("sfondo tre,    0");
  t.push_back("ripetizione segnali 4 codici,    0,    90000");

  t.push_back("[curve]");
  for (const auto& c : curve) {
    t.push_back(formato("curva%c%d,  %d,  %d", c.lato, c.classe, c.inizio, c.lunghezza));
  }

  t.push_back("[pendenze]");
  t.push_back("pendenza,   0,    0");
  t.push_back("pendenza,  45200,   -8");
  t.push_back("pendenza,  46500,   0");
  t.push_back("pendenza,  47600,   8");
  t.push_back("pendenza,  48900,   0");

  t.push_back("[montagne]");
  for (const auto& g : tabella_gallerie) {
    t.push_back(formato("montagna,   %d,  %d,  %d", g.inizio, g.fine, g.tipo));
  }

  t.push_back("[cartelli]");
  for (const auto& i : indicatori) {
    t.push_back(formato("indicatori_vmax,  %d,  %d,  %d,  %d,  %d,  ,  ,  ,  0", i.posizione,
                        i.vas, i.vbs, i.vcs, i.strisces));
  }

  t.push_back("[indicazioni]");
  for (const auto& [posizione, faccia] : cartelli_indicatori()) {
    t.push_back(formato("cartello_indicatore,  %d,   %s", posizione, faccia.c_str()));
  }

  t.push_back("[fine]");
  t.push_back(std::string(fine_del_file));
  return t;
}

std::optional<IoError> dati_linea(FileSystem& fs, const std::string& cartella,
                                  const std::string& nome_linea, const std::string&) {
  return scrivi_testo(fs, join_path(cartella, nomi::linea_txt(nome_linea)), tabella_linea());
}

}  // namespace scenario
