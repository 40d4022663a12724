// Format, for authors: docs/formats/line-description.md
// The line description reader. What it shares with the service description
// reader (the reading state, the closing and failure handlers) is in
// row_reader.h.
#pragma once

#include "compiler/row_reader.h"

namespace scenario {

// Reads the line description. True when the service description is to be
// read next: after the end of the file, or after error 15.
bool leggi_linea(lettura& l);

}  // namespace scenario
