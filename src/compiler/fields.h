// The field stream of the two scenario text files, and keyword matching.
//
// A text is a stream of fields separated by commas and line ends (CR LF, a
// lone CR or a lone LF). Blanks (space, tab) before a field are skipped.
// Each read takes one field and consumes the comma or line end after it, so
// a read that finds too few fields on a line goes on with the next line, and
// fields left over on a line are read by the next read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace scenario {

class flusso_campi {
 public:
  // Why a read failed.
  enum class difetto {
    nessuno,
    oltre_la_fine,  // the read started at the end of the text
    non_numero,     // a numeric field that is not an optional sign and digits
    troppo_grande,  // a number that does not fit 32 bits
  };

  explicit flusso_campi(std::string testo);

  // True when everything has been read: the next read would fail.
  bool fine() const { return pos_ >= testo_.size(); }

  // A text field. One that begins with a double quote runs to the closing
  // quote on the same line (or the line end) and may hold commas; what
  // follows the closing quote up to the next comma or line end is dropped.
  // An unquoted field runs to the next comma or line end, trailing blanks
  // removed. An empty or blank line is one empty field.
  bool leggi_testo(std::string& campo);

  // A numeric field: an optional sign and digits, ending at a comma, a blank
  // or the line end; an empty field is 0. After it, blanks are skipped and
  // then one comma or one line end is consumed if there is one, so "6   30"
  // reads as 6, then 30.
  bool leggi_numero(int32_t& valore);

  // Line (from 1) of the field last handed out, its column (from 1, in
  // bytes) and its text as written (blanks around it removed), and where it
  // begins in the text.
  int linea_testo() const { return linea_testo_campo_; }
  int colonna() const { return colonna_campo_; }
  std::string_view scritto() const;
  std::size_t inizio_campo() const { return pos_campo_; }

  // What is left of the current line after the last field read, blanks and
  // commas around it removed; empty when the last read ended the line. Its
  // column goes to `colonna`.
  std::string_view resto_della_linea_testo(int& colonna) const;

  // Goes on from the start of the line after the one that holds `inizio`
  // (a position given by inizio_campo() for a field on line `linea_testo`).
  void riprendi_dopo_la_linea_testo(std::size_t inizio, int linea_testo);

  // The cause of the last failed read and the line it met it on. A read
  // past the end is charged to the line of the field handed out before it,
  // the row that the end of the text cut short.
  difetto ultimo_difetto() const { return difetto_; }
  int linea_testo_difetto() const { return linea_testo_difetto_; }
  // Column and text of the field that failed to read (nothing for a read
  // past the end).
  int colonna_difetto() const { return colonna_difetto_; }
  std::string_view scritto_difetto() const { return scritto(); }

 private:
  bool a_fine_linea_testo() const;
  void salta_spazi();
  void consuma_separatore();
  // Past one comma or one line end at p, if there is one; a line end
  // starts the next line.
  const char* oltre_separatore(const char* p);
  // Out of line: failures are rare, and inlined into the reads they made
  // the compiler load the position as part of a wider block, which waited
  // on the store of the previous read.
  [[gnu::cold, gnu::noinline]] bool fallisci(difetto d, int linea_testo);

  std::string testo_;
  std::size_t pos_ = 0;
  int linea_testo_ = 1;  // line of the character at pos_
  std::size_t inizio_linea_testo_ = 0;  // where the line of pos_ begins
  int linea_testo_campo_ = 0;
  int colonna_campo_ = 0;
  std::size_t pos_campo_ = 0;  // the last field read: its first byte
  std::size_t fine_campo_ = 0;  // and one past its last
  int colonna_difetto_ = 0;
  difetto difetto_ = difetto::nessuno;
  int linea_testo_difetto_ = 0;
};

// An ASCII letter A-Z as its lower case; any other byte as it stands.
constexpr char minuscola(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// How a keyword is compared with a keyword field.
enum class confronto { qualunque_maiuscola, esatto };

// True when `campo` contains `parola` anywhere. In any-case mode the ASCII
// letters A-Z and a-z compare equal; other bytes compare as they stand.
bool contiene(std::string_view campo, std::string_view parola,
              confronto modo = confronto::qualunque_maiuscola);

// A keyword field kept beside a copy with its ASCII letters folded to lower
// case: a field is tested against a dozen keywords, and each test is then one
// plain search instead of a case-folding scan.
class campo_chiave {
 public:
  // Copies `testo` into buffers kept from field to field.
  void imposta(std::string_view testo);
  const std::string& testo() const { return testo_; }
  // As contiene() above.
  bool contiene(std::string_view parola, confronto modo = confronto::qualunque_maiuscola) const {
    // Most keywords a field is tested against have a letter it lacks: those
    // are told apart without a search (the keywords' bits fold to constants).
    if (modo == confronto::qualunque_maiuscola && (bit_di_tutti(parola) & ~presenti_) != 0) {
      return false;
    }
    return cerca(parola, modo);
  }

 private:
  // One bit for each byte value modulo 64, ASCII letters folded to lower
  // case: a word has a byte whose bit the field lacks only if the field does
  // not contain the word.
  static constexpr uint64_t bit_di_tutti(std::string_view s) {
    uint64_t m = 0;
    for (const char c : s) m |= uint64_t{1} << (static_cast<unsigned char>(minuscola(c)) & 63);
    return m;
  }
  bool cerca(std::string_view parola, confronto modo) const;

  std::string testo_;
  std::string minuscolo_;
  uint64_t presenti_ = 0;  // bit_di_tutti(testo_)
};

}  // namespace scenario
