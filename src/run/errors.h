// Error reporting and the minimum function.
#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>

#include "model/model.h"

namespace scenario {

// Reports an error number the way the message box did: " Errore n. " then
// the number. The caller ends the run with status 1.
void errore(std::ostream& err, std::string_view a);

// y when x > y, otherwise x (equal values give x).
inline int32_t minimo(int32_t x, int32_t y) { return x > y ? y : x; }

// What a compile fault number means, in plain words.
std::string_view testo_errore(int32_t numero);

// One line for a fault: "FILE:LINE: error N: text (at P m)", without the
// file part for faults of the derivation rules.
std::string descrivi_guasto(const guasto& g);

}  // namespace scenario
