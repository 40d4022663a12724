#include "support/cell_diff.h"

namespace scenario::testing {

std::string describe_cell(const cella& c) {
  return "tipo=" + std::to_string(c.tipo) + " d1=" + std::to_string(c.dato1) +
         " d2=" + std::to_string(c.dato2) + " d3=" + std::to_string(c.dato3) +
         " d4=" + std::to_string(c.dato4) + " tempo=" + std::to_string(c.tempo) +
         " avv=" + std::to_string(c.avvicinamento) + " gal=" + std::to_string(c.galleria) +
         " vel=" + std::to_string(c.velocita) + " pend=" + std::to_string(c.pendenza) +
         " ader=" + std::to_string(c.aderenza);
}

std::vector<std::string> cell_differences(const std::vector<cella>& expected,
                                          const std::vector<cella>& found) {
  std::vector<std::string> d;
  if (expected.size() != found.size()) {
    d.push_back("size " + std::to_string(found.size()) + ", expected " +
                std::to_string(expected.size()));
    return d;
  }
  for (size_t c = 0; c < expected.size(); ++c) {
    if (describe_cell(expected[c]) != describe_cell(found[c])) {
      d.push_back("cell " + std::to_string(c) + ": " + describe_cell(found[c]) + ", expected " +
                  describe_cell(expected[c]));
    }
  }
  return d;
}

}  // namespace scenario::testing
