#include "compiler/chainage_sort.h"

namespace scenario {

void progressive_ordina(stato_compilazione&) {}

}  // namespace scenario
