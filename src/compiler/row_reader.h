// What the two text readers share: the field stream of one source, the row
// being read, and the ways a row ends the reading of that source.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "compiler/fields.h"
#include "compiler/line_reader.h"

namespace scenario {

class lettore_righe {
 protected:
  // `chiudi` closes this reader's source (deleting it when asked).
  lettore_righe(lettura& l, std::string testo, const std::string& file, bool (*chiudi)(lettura&))
      : l_(l), s_(l.s), campi_(std::move(testo)), file_(file), chiudi_(chiudi) {}

  // Reads a keyword field; it becomes the current row.
  bool chiave(campo_chiave& f) {
    if (!campi_.leggi_testo(s_.riga)) return false;
    f.imposta(s_.riga);
    riga_voce_ = campi_.riga();
    return true;
  }
  template <std::size_t N>
  bool numeri(std::array<int32_t, N>& v) {
    for (int32_t& x : v) {
      if (!campi_.leggi_numero(x)) return false;
    }
    return true;
  }
  // Each read of a row stores its value at once, so what a row stored
  // before a failing field stays.
  bool numero(int32_t& destinazione) {
    int32_t v = 0;
    if (!campi_.leggi_numero(v)) return false;
    destinazione = v;
    return true;
  }

  // The failure handler, charged to the field that failed to read.
  bool fallisci_campo() {
    fallimento_lettura(l_, file_, campi_.riga_difetto());
    return false;
  }
  // The failure handler, charged to the field just read.
  bool fallisci_qui() {
    fallimento_lettura(l_, file_, campi_.riga());
    return false;
  }
  // The failure handler, charged to the current row.
  bool fallisci_voce() {
    fallimento_lettura(l_, file_, riga_voce_);
    return false;
  }
  // A refusal that closes the source and ends the reading of both files.
  bool rifiuta(int32_t numero, std::optional<int32_t> posizione = std::nullopt) {
    rifiuto_lettura(l_, numero, posizione, file_, riga_voce_);
    chiudi_(l_);
    return false;
  }
  // Range check of a row whose first value is x: error 15 ends the reading
  // of this source.
  bool oltre(int32_t x, int margine) {
    if (!oltre_percorso(s_, x, margine)) return false;
    rifiuto_lettura(l_, 15, x, file_, riga_voce_);
    return true;
  }

  lettura& l_;
  stato_compilazione& s_;
  flusso_campi campi_;
  int riga_voce_ = 0;

 private:
  const std::string& file_;
  bool (*chiudi_)(lettura&);
};

}  // namespace scenario
