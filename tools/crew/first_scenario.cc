#include "crew/first_scenario.h"

namespace scenario::crew {

std::vector<std::string> starter_line_description() {
  return {
      "[generale]",
      "lunghezza percorso,    10000",
      "progressiva chilometrica uno,    0,    12000,    0",
      "sfondo uno,    0",
      "sfondo due,    0",
      "sfondo tre,    0",
      "ripetizione segnali 4 codici,    0,    0",
      "[curve]",
      "curvad3,  2000,  600",
      "curvas3,  6000,  600",
      "[pendenze]",
      "pendenza,   0,    0",
      "pendenza,   4000,    6",
      "pendenza,   5500,    0",
      "[montagne]",
      "montagna,   3000,  3800,  11",
      "[cartelli]",
      "indicatori_vmax,  1000,  90,  100,  105,  0,  0,  0,  0,  0",
      "[indicazioni]",
      "cartello_indicatore,  2950,   (GALLERIA)(CRESTA  )(m.800   )",
      "[fine]",
  };
}

std::vector<std::string> starter_service_description() {
  return {
      "[generale]",
      "numero vetture,    4",
      "percentuale massa frenata,    110",
      "sabbia,    0",
      "orologio,    7,    15,    0",
      "[aderenze]",
      "aderenza,   0,    100",
      "[vel_limite]",
      "velocita,   0,    60",
      "velocita,   1000,   100",
      "velocita,   3000,    80",
      "velocita,   3800,   100",
      "velocita,   8200,    60",
      "[stazioni]",
      "stazione,     500,  4,  600,  1, 0, 0,  4,1,0,  2,1,1,    1,   7,16, 0, MONTEALTO",
      "stazione,    5000, 12,  400,  0, 0, 0,  0,0,0,  5,1,1,   60,   7,21, 0, CASALE",
      "stazione,    9500,  2,  600,  1, 1, 0,  1,1,0,  2,1,1,    0,   7,28, 0, VALLEBASSA",
      "[rallentamenti]",
      "rallentamento,   7000,    50,  400, 0,  1,  50",
      "[segnali]",
      "segnale,    2000,   2, 3, 0,  0, 0,    2,  2,0,0, 0",
      "segnale,    8700,   2, 2, 3,  0, 0,    2,  2,1,0, 0",
      "[fine]",
  };
}

}  // namespace scenario::crew
