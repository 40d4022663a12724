// The two text readers: the line description, then the service description.
#pragma once

#include <optional>
#include <string>

#include "model/model.h"
#include "platform/file_system.h"

namespace scenario {

// Where the two text sources of a compile lie, and what to do with them.
struct Sources {
  FileSystem& fs;
  std::string folder;
  // Delete each source once read (the one-shot run deletes the files it wrote
  // itself; a scenario author's own files are never deleted).
  bool delete_after_reading = false;
  // The first file-system failure met (other than a missing source); the
  // compile stops there and the run reports it.
  std::optional<IoError> io_error;
  // Read on after a fault at the line after its row, as if the row were
  // absent, so that one reading reports every problem. Otherwise the
  // reading stops at the first fault, as the one-shot run reads.
  bool read_on_after_errors = false;
};

// Reads the line description, then the service description, into the model.
// Faults and warnings are recorded in s.diagnostiche (which also sets
// numero_errore and posizione_errore).
void memorizza_dati(stato_compilazione& s, Sources& src);

}  // namespace scenario
