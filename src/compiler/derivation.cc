#include "compiler/derivation.h"

namespace scenario {

void deriva_percorso(stato_compilazione&) {}

}  // namespace scenario
