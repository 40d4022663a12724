// Orders the three chainage rows 81 to 83 by decreasing start and adjusts
// the offsets of the rows flagged 1.
#pragma once

#include "model/model.h"

namespace scenario {

void progressive_ordina(stato_compilazione& s);

}  // namespace scenario
