// The route derivation rules: speed boards of 180 around slow-downs.
#pragma once

#include "model/model.h"

namespace scenario {

// One ascending pass over cells 1 .. P − 2 of a sized route.
void deriva_percorso(stato_compilazione& s);

}  // namespace scenario
