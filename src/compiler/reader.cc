#include "compiler/reader.h"

namespace scenario {

void memorizza_dati(stato_compilazione&, sorgenti&) {}

}  // namespace scenario
