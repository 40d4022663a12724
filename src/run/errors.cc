#include "run/errors.h"

namespace scenario {

void errore(std::ostream& err, std::string_view a) { err << " Errore n. " << a << '\n'; }

}  // namespace scenario
