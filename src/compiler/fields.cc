#include "compiler/fields.h"

#include <limits>
#include <utility>

namespace scenario {

namespace {

bool spazio(char c) { return c == ' ' || c == '\t'; }
bool cifra(char c) { return c >= '0' && c <= '9'; }
// The first byte at or after p that is not a blank, or fine.
const char* dopo_spazi(const char* p, const char* fine) {
  while (p < fine && spazio(*p)) ++p;
  return p;
}

}  // namespace

flusso_campi::flusso_campi(std::string testo) : testo_(std::move(testo)) {}

bool flusso_campi::a_fine_linea_testo() const {
  return pos_ < testo_.size() && (testo_[pos_] == '\r' || testo_[pos_] == '\n');
}

void flusso_campi::salta_spazi() {
  const char* const testo = testo_.data();
  pos_ = static_cast<std::size_t>(dopo_spazi(testo + pos_, testo + testo_.size()) - testo);
}

const char* flusso_campi::oltre_separatore(const char* p) {
  const char* const testo = testo_.data();
  const char* const fine = testo + testo_.size();
  if (p >= fine) return p;
  if (*p == ',') return p + 1;
  if (*p == '\r' || *p == '\n') {
    if (*p++ == '\r' && p < fine && *p == '\n') ++p;
    ++linea_testo_;
    inizio_linea_testo_ = static_cast<std::size_t>(p - testo);
  }
  return p;
}

void flusso_campi::consuma_separatore() {
  pos_ = static_cast<std::size_t>(oltre_separatore(testo_.data() + pos_) - testo_.data());
}

bool flusso_campi::fallisci(difetto d, int linea_testo) {
  difetto_ = d;
  linea_testo_difetto_ = linea_testo;
  colonna_difetto_ = d == difetto::oltre_la_fine ? 0 : colonna_campo_;
  if (d == difetto::oltre_la_fine) pos_campo_ = fine_campo_ = pos_;
  return false;
}

std::string_view flusso_campi::scritto() const {
  return std::string_view(testo_).substr(pos_campo_, fine_campo_ - pos_campo_);
}

std::string_view flusso_campi::resto_della_linea_testo(int& colonna) const {
  std::size_t p = pos_;
  if (p == inizio_linea_testo_) return {};
  const std::size_t n = testo_.size();
  while (p < n && (spazio(testo_[p]) || testo_[p] == ',')) ++p;
  std::size_t e = p;
  while (e < n && testo_[e] != '\r' && testo_[e] != '\n') ++e;
  while (e > p && (spazio(testo_[e - 1]) || testo_[e - 1] == ',')) --e;
  colonna = static_cast<int>(p - inizio_linea_testo_) + 1;
  return std::string_view(testo_).substr(p, e - p);
}

void flusso_campi::riprendi_dopo_la_linea_testo(std::size_t inizio, int linea_testo) {
  std::size_t p = inizio;
  const std::size_t n = testo_.size();
  while (p < n && testo_[p] != '\r' && testo_[p] != '\n') ++p;
  if (p < n && testo_[p] == '\r') {
    ++p;
    if (p < n && testo_[p] == '\n') ++p;
  } else if (p < n) {
    ++p;
  }
  pos_ = p;
  linea_testo_ = linea_testo + 1;
  inizio_linea_testo_ = p;
}

bool flusso_campi::leggi_testo(std::string& campo) {
  if (fine()) return fallisci(difetto::oltre_la_fine, linea_testo_campo_ > 0 ? linea_testo_campo_ : linea_testo_);
  salta_spazi();
  linea_testo_campo_ = linea_testo_;
  colonna_campo_ = static_cast<int>(pos_ - inizio_linea_testo_) + 1;
  pos_campo_ = pos_;
  const std::size_t n = testo_.size();
  if (pos_ < n && testo_[pos_] == '"') {
    const std::size_t inizio = ++pos_;
    while (pos_ < n && testo_[pos_] != '"' && !a_fine_linea_testo()) ++pos_;
    campo.assign(testo_, inizio, pos_ - inizio);
    if (pos_ < n && testo_[pos_] == '"') ++pos_;
    while (pos_ < n && testo_[pos_] != ',' && !a_fine_linea_testo()) ++pos_;
    fine_campo_ = pos_;
  } else {
    const std::size_t inizio = pos_;
    while (pos_ < n && testo_[pos_] != ',' && !a_fine_linea_testo()) ++pos_;
    std::size_t fine_campo = pos_;
    while (fine_campo > inizio && spazio(testo_[fine_campo - 1])) --fine_campo;
    campo.assign(testo_, inizio, fine_campo - inizio);
    fine_campo_ = fine_campo;
  }
  consuma_separatore();
  return true;
}

bool flusso_campi::leggi_numero(int32_t& valore) {
  // One pass over the field, its blanks and its separator, on a local copy
  // of the position: the reader meets some 100,000 numbers in a long route.
  const char* const testo = testo_.data();
  const char* const fine_testo = testo + testo_.size();
  const char* p = testo + pos_;
  if (p >= fine_testo) {
    return fallisci(difetto::oltre_la_fine, linea_testo_campo_ > 0 ? linea_testo_campo_ : linea_testo_);
  }
  p = dopo_spazi(p, fine_testo);
  linea_testo_campo_ = linea_testo_;
  colonna_campo_ = static_cast<int>(static_cast<std::size_t>(p - testo) - inizio_linea_testo_) + 1;
  pos_campo_ = static_cast<std::size_t>(p - testo);
  const char* const inizio = p;
  const bool negativo = p < fine_testo && *p == '-';
  if (p < fine_testo && (*p == '-' || *p == '+')) ++p;
  const char* const cifre = p;
  // The magnitude is capped just above the 32-bit range, so a long run of
  // digits cannot overflow the accumulator.
  constexpr int64_t tetto = int64_t{std::numeric_limits<int32_t>::max()} + 2;
  int64_t v = 0;
  while (p < fine_testo && cifra(*p)) {
    if (v < tetto) v = v * 10 + (*p - '0');
    ++p;
  }
  // Any other byte before the field's end makes it no number.
  bool solo_cifre = true;
  for (; p < fine_testo; ++p) {
    const char c = *p;
    if (c == ',' || spazio(c) || c == '\r' || c == '\n') break;
    solo_cifre = false;
  }
  fine_campo_ = static_cast<std::size_t>(p - testo);
  // An empty field is 0; a sign alone or any other byte is no number.
  if (p != inizio && (p == cifre || !solo_cifre)) {
    pos_ = fine_campo_;
    return fallisci(difetto::non_numero, linea_testo_campo_);
  }
  if (negativo) v = -v;
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
    pos_ = fine_campo_;
    return fallisci(difetto::troppo_grande, linea_testo_campo_);
  }
  valore = static_cast<int32_t>(v);
  pos_ = static_cast<std::size_t>(oltre_separatore(dopo_spazi(p, fine_testo)) - testo);
  return true;
}

bool contiene(std::string_view campo, std::string_view parola, confronto modo) {
  if (modo == confronto::esatto) return campo.find(parola) != std::string_view::npos;
  if (parola.size() > campo.size()) return false;
  for (std::size_t i = 0; i + parola.size() <= campo.size(); ++i) {
    std::size_t k = 0;
    while (k < parola.size() && minuscola(campo[i + k]) == minuscola(parola[k])) ++k;
    if (k == parola.size()) return true;
  }
  return false;
}

void campo_chiave::imposta(std::string_view testo) {
  // Rows of one kind often follow one another: the same keyword again keeps
  // its copy and mask.
  if (testo == testo_) return;
  testo_.assign(testo);
  minuscolo_.resize(testo_.size());
  // One pass for the lower-case copy and the mask of its bytes.
  const char* in = testo_.data();
  char* out = minuscolo_.data();
  uint64_t m = 0;
  for (std::size_t i = 0, n = testo_.size(); i < n; ++i) {
    const char c = minuscola(in[i]);
    out[i] = c;
    m |= uint64_t{1} << (static_cast<unsigned char>(c) & 63);
  }
  presenti_ = m;
}

bool campo_chiave::cerca(std::string_view parola, confronto modo) const {
  if (parola.size() > testo_.size()) return false;
  if (modo == confronto::esatto) return testo_.find(parola) != std::string::npos;
  if (parola.empty()) return true;
  // Fields and keywords are a few bytes long: a plain scan, the keyword
  // folded as it is compared, costs less than a call to a library search.
  const char* const t = minuscolo_.data();
  const char primo = minuscola(parola[0]);
  for (std::size_t i = 0, ultimo = minuscolo_.size() - parola.size(); i <= ultimo; ++i) {
    if (t[i] != primo) continue;
    std::size_t k = 1;
    while (k < parola.size() && t[i + k] == minuscola(parola[k])) ++k;
    if (k == parola.size()) return true;
  }
  return false;
}

}  // namespace scenario
