// What the two text readers share: the reading state of one compile (its two
// sources, the closing and failure handlers), the field stream of one source,
// the row being read, the opening of a row and the loop over the rows, the
// reading of a row's values and of its position, the step after a recorder,
// the ways a row ends the reading of that source, and what an author is told
// about a row.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compiler/fields.h"
#include "compiler/reader.h"
#include "compiler/recorders.h"
#include "model/model.h"

namespace scenario {

// The two text sources of one compile and what the line reader hands on to
// the service reader.
struct lettura {
  lettura(stato_compilazione& stato, Sources& fonti);

  stato_compilazione& s;
  Sources& src;
  std::string file_linea;  // paths of the two sources, as opened
  std::string file_treno;
  bool linea_chiusa = false;  // done with: deleted when the caller asked for it
  bool treno_chiuso = false;
  // Next free row for a board text; the station rows stay below it.
  int32_t riga_testi = riga_primo_testo;
};

// Closes a source the reader is done with, deleting it when the caller asked
// for that. False when the deletion failed: the failure is in src.io_error
// and the compile stops.
bool chiudi_linea(lettura& l);
bool chiudi_treno(lettura& l);

// The failure handler of both readers: records `d` (a failure of the
// reading), then closes both sources, deleting those not yet deleted when
// the caller asked for deletion.
void fallimento_lettura(lettura& l, Diagnostic d);

// Records a refusal of the reader, with the places that explain it.
void rifiuto_lettura(lettura& l, Diagnostic d, std::vector<RelatedLocation> relative);

// Range check of a row whose first value is x: true when (x + margine) / 50
// lies beyond P, the last cell.
bool oltre_percorso(const stato_compilazione& s, int32_t x, int margine);

// The longest text a table row can hold: the table file stores its length in
// 16 bits. A longer board text or station name is refused (error 25).
inline constexpr size_t lunghezza_massima_testo = 0xFFFF;


// A text as quoted in a message: a very long one is cut, so that a field of
// megabytes makes a message of a line.
inline constexpr std::size_t lunghezza_citata = 80;
inline std::string breve(std::string_view s) {
  if (s.size() <= lunghezza_citata) return std::string(s);
  return std::string(s.substr(0, lunghezza_citata)) + "...";
}

class lettore_righe {
 protected:
  // `chiudi` closes this reader's source (deleting it when asked).
  lettore_righe(lettura& l, std::string testo, const std::string& file, bool (*chiudi)(lettura&))
      : l_(l), s_(l.s), campi_(std::move(testo)), verifica_(l.src.read_on_after_errors),
        file_(file), chiudi_(chiudi) {}

  // Reads a keyword field; it becomes the current row.
  bool chiave(campo_chiave& f) {
    if (!campi_.leggi_testo(s_.parola_chiave)) return false;
    campo_taciuto_ = campi_da_tacere_ > 0;
    if (campo_taciuto_) --campi_da_tacere_;
    f.imposta(s_.parola_chiave);
    linea_testo_voce_ = campi_.linea_testo();
    colonna_voce_ = campi_.colonna();
    pos_voce_ = campi_.inizio_campo();
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

  // The place of the current row, and of the field last read.
  SourceLocation qui_voce() const { return {file_, linea_testo_voce_, colonna_voce_}; }
  // Notes the current row in `dove`, reusing its copy of the file name (a
  // row kept as "the earlier row" is noted at every row of its kind).
  void nota_qui(SourceLocation& dove) const {
    dove.file = file_;
    dove.line = linea_testo_voce_;
    dove.column = colonna_voce_;
  }
  SourceLocation qui_campo() const { return {file_, campi_.linea_testo(), campi_.colonna()}; }

  // The failure handler, charged to the field that failed to read, with
  // the reason the stream met.
  bool fallisci_campo();
  // The failure handler for a value just read that does not fit its field.
  bool fallisci_intervallo(int64_t minimo, int64_t massimo);
  // The failure handler, charged to the current row, for `motivo`.
  bool fallisci_voce(std::string motivo);
  bool fallisci_voce(std::string motivo, int32_t posizione_scritta);

  // A refusal that closes the source and ends the reading of both files.
  bool rifiuta(int32_t numero, std::optional<int32_t> posizione = std::nullopt,
               std::string messaggio = {}, std::vector<RelatedLocation> relative = {}) {
    rifiuto_lettura(l_, diagnostica_errore(numero, posizione, qui_voce(), std::move(messaggio)),
                    std::move(relative));
    chiudi_(l_);
    return false;
  }
  // The refusal of a recorder for the row whose first value is x.
  bool rifiuta_registro(const esito_registro& e, int32_t x, const char* che_cosa);

  // Range check of a row whose first value is x: error 15 ends the reading
  // of this source.
  bool oltre(int32_t x, int margine);

  // What a row leaves the reader to do next: go on with the next row, end
  // the rows of this source (error 15: its end steps still run), or stop.
  enum class passo { avanti, fine_righe, fermati };
  passo esito(bool proseguire) { return proseguire ? passo::avanti : passo::fermati; }

  // How the opening of a row ended: with its keyword field, at the last
  // field of the text (which is never acted on), or with a failed read
  // (already recorded).
  enum class apertura { voce, fine_testo, fallita };
  // Reads the keyword field of the next row, passing over up to `trattini`
  // fields that hold a dash, each replaced by the field after it. The last
  // field of the text ends the rows before any dash field is passed over
  // and, with `fine_tra_i_trattini`, after each one too.
  apertura apri_riga(campo_chiave& f, int trattini, bool fine_tra_i_trattini);

  // Reads rows up to the end of the text, handing each keyword field (after
  // up to two dash fields) to `voce`. True when the source's end steps are
  // to run (the end of the text, or error 15); false when the reading
  // stops. When the whole file is checked, the reading goes on after a
  // row's fault at the next line.
  template <class F>
  bool leggi_righe(F voce) {
    campo_chiave f;
    for (;;) {
      switch (apri_riga(f, 2, true)) {
        case apertura::voce: break;
        case apertura::fine_testo: return true;
        case apertura::fallita: return false;
      }
      switch (voce(f)) {
        case passo::avanti: break;
        case passo::fine_righe:
          if (riprendi()) break;
          return true;
        case passo::fermati:
          if (riprendi()) break;
          return false;
      }
    }
  }

  // The range check of a row of positioned objects keeps this many metres
  // before the end of the route.
  static constexpr int margine_righe = 100;
  // The first value of a row is its position: beyond the route it is error
  // 15, which ends the rows of this source; a negative one is a failure of
  // the reading. Nothing when the row goes on.
  std::optional<passo> posizione_della_riga(int32_t x, int margine = margine_righe);
  // Reads the row's values, the first of them its position, checked as
  // posizione_della_riga does. Nothing when the row goes on.
  template <std::size_t N>
  std::optional<passo> valori_della_riga(std::array<int32_t, N>& v, int margine = margine_righe) {
    if (!numeri(v)) return esito(fallisci_campo());
    return posizione_della_riga(v[0], margine);
  }

  // After a recorder has placed the row's objects: its refusal is the
  // row's; otherwise the cells it placed note this row as their origin.
  passo dopo_registratore(const esito_registro& e, int32_t posizione, const char* che_cosa);

  // Notes the current row, whose first value is x, as the origin of the
  // cells a recorder placed.
  void origine(const esito_registro& e, int32_t x);
  void origine(int64_t cella, int32_t x) {
    if (cella >= 0 && cella < static_cast<int64_t>(s_.origine_cella.size())) {
      if (indice_file_ == 0) indice_file_ = s_.indice_file_origine(file_);
      s_.origine_cella[static_cast<std::size_t>(cella)] = {linea_testo_voce_, colonna_voce_, x, indice_file_};
    }
  }
  // Where the object of a cell was written, as a related place; none when
  // no row is known for it.
  std::vector<RelatedLocation> detentore(int64_t cella) const;
  void avvisa_sovrascritte(const esito_registro& e);

  // A warning for the current row (or `dove`), with the places that
  // explain it.
  void avvisa(std::string_view codice, std::string messaggio, std::string scritto = {},
              std::optional<SourceLocation> dove = std::nullopt, std::vector<RelatedLocation> relative = {});

  // After a row's values: anything left on its line is read as the next
  // keyword field, which an author rarely means.
  void controlla_resto();
  // A keyword field that no entry took. `parole` are the keywords of the
  // place it stands in, for a "did you mean".
  void nessuna_voce(const campo_chiave& f, std::span<const std::string_view> parole,
                    std::string_view dove);
  // A position that goes back from the row before in a list whose order
  // decides the result.
  void controlla_ordine(int64_t x, std::optional<int64_t>& precedente, SourceLocation& dove_prima,
                        const char* che_cosa);
  // A text that reads as UTF-8 rather than Windows-1252.
  void controlla_testo(std::string_view testo, const char* che_cosa);

  // After a fault, when the whole file is being checked: goes on at the line
  // after the current row, as if the row were absent. False when the
  // reading is to stop, as the compile reads.
  bool riprendi() {
    if (!verifica_) return false;
    // A file of nothing but bad rows is reported in part, not in full.
    if (++errori_letti_ >= massimo_errori_per_file) {
      avvisa_limite("errors");
      return false;
    }
    campi_.riprendi_dopo_la_linea_testo(pos_voce_, linea_testo_voce_);
    taciuta_ = linea_testo_voce_;
    return true;
  }

  lettura& l_;
  stato_compilazione& s_;
  flusso_campi campi_;
  const bool verifica_;  // read on after a fault, to report every problem
  int linea_testo_voce_ = 0;
  int colonna_voce_ = 0;
  std::size_t pos_voce_ = 0;
  int taciuta_ = 0;  // a line already reported: its further fields are not
  // At most this many warnings of one code, and errors, per file.
  static constexpr int massimo_avvisi_per_codice = 50;
  static constexpr int massimo_errori_per_file = 200;
  int errori_letti_ = 0;
  std::vector<std::pair<std::string_view, int>> avvisi_per_codice_;
  // True when another warning of `codice` may still be told.
  bool avviso_ammesso(std::string_view codice);
  // The note that ends the report of this file's warnings or errors.
  void avvisa_limite(const std::string& che_cosa);
  // Fields still to be passed over without a word, however they read (the
  // values of a row the reader does not take), and whether the field in
  // hand is one of them.
  int campi_da_tacere_ = 0;
  bool campo_taciuto_ = false;

 private:
  const std::string& file_;
  uint16_t indice_file_ = 0;  // file_ in s_.file_origine, once a cell is noted
  bool (*chiudi_)(lettura&);
};

}  // namespace scenario
