#include "support/cell_diff.h"

namespace scenario::testing {

std::string descrivi(const cella& c) {
  return "tipo=" + std::to_string(c.tipo) + " d1=" + std::to_string(c.dato1) +
         " d2=" + std::to_string(c.dato2) + " d3=" + std::to_string(c.dato3) +
         " d4=" + std::to_string(c.dato4) + " tempo=" + std::to_string(c.tempo) +
         " avv=" + std::to_string(c.avvicinamento) + " gal=" + std::to_string(c.galleria) +
         " vel=" + std::to_string(c.velocita) + " pend=" + std::to_string(c.pendenza) +
         " ader=" + std::to_string(c.aderenza);
}

std::vector<std::string> differenze(const std::vector<cella>& attese,
                                    const std::vector<cella>& trovate) {
  std::vector<std::string> d;
  if (attese.size() != trovate.size()) {
    d.push_back("size " + std::to_string(trovate.size()) + ", expected " +
                std::to_string(attese.size()));
    return d;
  }
  for (size_t c = 0; c < attese.size(); ++c) {
    if (descrivi(attese[c]) != descrivi(trovate[c])) {
      d.push_back("cell " + std::to_string(c) + ": " + descrivi(trovate[c]) + ", expected " +
                  descrivi(attese[c]));
    }
  }
  return d;
}

}  // namespace scenario::testing
