// Format, for authors: docs/formats/service-description.md
// The service description reader: the train, its profiles, stations,
// signals, slow-downs and speed boards, read after the line description.
#pragma once

#include "compiler/row_reader.h"

namespace scenario {

// Reads the service description into the route the line reader sized.
// Runs after the line reader has finished, normally or with error 15.
void leggi_treno(lettura& l);

}  // namespace scenario
