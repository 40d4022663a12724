#include "run/errors.h"

#include <string>

namespace scenario {

void errore(std::ostream& err, std::string_view a) { err << " Errore n. " << a << '\n'; }

std::string_view testo_errore(int32_t numero) {
  switch (numero) {
    case 1: return "route length above 1,000,000 m";
    case 2: return "a chainage row's start or offset is not a multiple of 50";
    case 3: return "signal-repetition start is not a multiple of 50";
    case 4: return "signal-repetition end is not a multiple of 50";
    case 5: return "signal-repetition entry names neither 4 nor 9 codes";
    case 6: return "text board on an occupied cell";
    case 7: return "abbattimento on an occupied cell";
    case 8: return "station position is not a multiple of 50";
    case 9: return "station length is not a multiple of 100";
    case 10: return "the station rows reach the text-board rows";
    case 11: return "no free cell for the speed board before a signal in front of a slow-down warning board";
    case 12: return "no free cell for a speed board in front of a slow-down start";
    case 13: return "no free cell for a speed board in a slow stretch or before the signal after it";
    case 15: return "position beyond the end of the route";
    case 16: return "signal on an occupied cell";
    case 17: return "slow-down warning cell is occupied";
    case 18: return "slow-down start cell is occupied";
    case 19: return "slow-down end cell is occupied";
    case 20: return "one of the four cells before a slow-down warning is occupied";
    case 21: return "indicator board on an occupied cell";
    case 22: return "station begins less than 350 m after the previous one ends";
    case 24: return "station stop point would fall in cell 1 or before";
    case 25: return "unreadable entry: not a number, a number too large for its field, "
                    "a read past the end of the file, or a value that cannot be placed";
    case 101: return "line description file not found";
    case 102: return "no [generale] entry in the line description";
    case 103: return "curve without a class digit 1 to 6, or track plan beyond point 1,000,000";
    default: return "unknown fault";
  }
}

std::string descrivi_guasto(const guasto& g) {
  std::string line;
  if (!g.file.empty()) {
    line += g.file;
    line += ':';
    if (g.riga > 0) {
      line += std::to_string(g.riga);
      line += ':';
    }
    line += ' ';
  }
  line += "error ";
  line += std::to_string(g.numero);
  line += ": ";
  line += testo_errore(g.numero);
  if (g.posizione) {
    line += " (at ";
    line += std::to_string(*g.posizione);
    line += " m)";
  }
  return line;
}

}  // namespace scenario
