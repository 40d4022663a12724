// Error reporting. The minimum function and the fault numbers with their
// texts live with the model (model/model.h, model/faults.h), where the
// compiler uses them too.
#pragma once

#include <ostream>
#include <string_view>

#include "model/faults.h"
#include "model/model.h"

namespace scenario {

// Reports an error number as the program's one message: " Errore n. " then
// the number. The caller ends the run with status 1.
void errore(std::ostream& err, std::string_view a);

}  // namespace scenario
