#include "model/model.h"

#include <limits>

#include <cstring>

namespace scenario {

matrice_punti::matrice_punti(const matrice_punti& other) { *this = other; }

matrice_punti& matrice_punti::operator=(const matrice_punti& other) {
  if (this == &other) return *this;
  ZeroedBuffer copy;
  if (other.byte_) {
    copy = ZeroedBuffer(2 * other.meta_);
    std::memcpy(copy.get(), other.byte_.get(), 2 * other.meta_);
  }
  byte_ = std::move(copy);
  meta_ = other.meta_;
  ultimo_ = other.ultimo_;
  doppi_centrali_ = other.doppi_centrali_;
  segnati_fino_ = other.segnati_fino_;
  tipi_bordo_ = other.tipi_bordo_;
  x_bordo_ = other.x_bordo_;
  y_bordo_ = other.y_bordo_;
  return *this;
}

void matrice_punti::dimensiona(int32_t ultimo) {
  release();
  if (ultimo < 0) return;
  ultimo_ = ultimo;
  if (ultimo >= 3) {
    meta_ = layout::linea_meta(ultimo);
    // Zeroed memory is a plan of empty elements (tag 0, value 0).
    byte_ = ZeroedBuffer(2 * meta_);
  }
}

void matrice_punti::release() {
  byte_ = ZeroedBuffer();
  meta_ = 0;
  ultimo_ = -1;
  doppi_centrali_ = 0;
  segnati_fino_ = 1;
  tipi_bordo_ = {};
  x_bordo_ = {};
  y_bordo_ = {};
}

void matrice_punti::imposta_bordo(int32_t i, tipo_elemento t, double x, double y) {
  const size_t k = bordo(i);
  tipi_bordo_[k] = t;
  x_bordo_[k] = x;
  y_bordo_[k] = y;
}

void matrice_punti::imposta_intero(int32_t i, int16_t x, int16_t y) {
  constexpr auto intero = static_cast<uint16_t>(tipo_elemento::intero);
  if (centrale(i)) {
    // A middle place holds 8 bytes of value: the integer is kept as a double
    // there and encoded afresh by the writer.
    char* a = elemento(0, i);
    char* b = elemento(1, i);
    if (coding::DecodeU16(a) == static_cast<uint16_t>(tipo_elemento::doppio)) --doppi_centrali_;
    segnati_fino_ = std::max(segnati_fino_, i);
    coding::EncodeF64(coding::EncodeU16(a, intero), x);
    coding::EncodeF64(coding::EncodeU16(b, intero), y);
    return;
  }
  imposta_bordo(i, tipo_elemento::intero, x, y);
  if (i < 2 && ultimo_ >= 3) {
    // Points 0 and 1 are integers in a finished plan: their bytes go to
    // their place at the head of each half.
    coding::EncodeI16(coding::EncodeU16(byte_.get() + layout::linea_intero * static_cast<size_t>(i), intero), x);
    coding::EncodeI16(coding::EncodeU16(byte_.get() + meta_ + layout::linea_intero * static_cast<size_t>(i), intero), y);
  }
}

std::optional<std::string_view> matrice_punti::immagine() const {
  constexpr std::array<tipo_elemento, 4> finito{tipo_elemento::intero, tipo_elemento::intero,
                                                tipo_elemento::vuoto, tipo_elemento::vuoto};
  if (ultimo_ < 3 || doppi_centrali_ != ultimo_ - 3 || tipi_bordo_ != finito) return std::nullopt;
  return std::string_view(byte_.get(), 2 * meta_);
}

void dimensiona(stato_compilazione& s, int32_t lunghezza) {
  s.percorso.assign(static_cast<size_t>(celle_da_lunghezza(lunghezza)) + 1, cella{});
  s.origine_cella.assign(s.percorso.size(), origine_oggetto{});
  if (s.genera_linea) s.matrice_linea.dimensiona(punti_da_lunghezza(lunghezza));
}

SourceLocation stato_compilazione::luogo_origine(int64_t c) const {
  if (c < 0 || c >= static_cast<int64_t>(origine_cella.size())) return {};
  const origine_oggetto& o = origine_cella[static_cast<size_t>(c)];
  if (o.file == 0 || o.file > file_origine.size()) return {};
  return {file_origine[o.file - 1u], o.linea, o.colonna};
}

uint16_t stato_compilazione::indice_file_origine(const std::string& file) {
  for (size_t i = 0; i < file_origine.size(); ++i) {
    if (file_origine[i] == file) return static_cast<uint16_t>(i + 1);
  }
  if (file_origine.size() >= std::numeric_limits<uint16_t>::max()) return 0;
  file_origine.push_back(file);
  return static_cast<uint16_t>(file_origine.size());
}

std::vector<SourceLocation> stato_compilazione::luoghi_origine() const {
  std::vector<SourceLocation> out;
  out.reserve(origine_cella.size());
  for (size_t c = 0; c < origine_cella.size(); ++c) out.push_back(luogo_origine(static_cast<int64_t>(c)));
  return out;
}

void azzera_tabella(stato_compilazione& s) {
  for (auto& r : s.tabella_sim) r = record_sim{};
  for (auto& o : s.origine_riga) o = SourceLocation{};
}

const char* nome_oggetto(uint8_t tipo) {
  switch (tipo) {
    case oggetto::nulla: return "nothing";
    case oggetto::segnale: return "signal";
    case oggetto::fine_rallentamento: return "end of a slow-down";
    case oggetto::inizio_rallentamento: return "start of a slow-down";
    case oggetto::avviso_rallentamento: return "slow-down warning board";
    case oggetto::preavviso_rallentamento: return "mark before a slow-down warning board";
    case oggetto::indicatore_v_max: return "maximum-speed indicator board";
    case oggetto::arresto_stazione: return "station stop point";
    case oggetto::marcatore_galleria: return "tunnel marker";
    case oggetto::cartello_velocita: return "speed board";
    case oggetto::cartello_senza_velocita: return "board without a speed";
    case oggetto::cartello_indicatore: return "text board";
    default: return "object of unknown code";
  }
}

void aggiungi_diagnostica(stato_compilazione& s, Diagnostic d) {
  if (d.fault_number) {
    s.numero_errore = *d.fault_number;
    if (d.position) s.posizione_errore = *d.position;
  }
  s.diagnostiche.push_back(std::move(d));
}

Diagnostic diagnostica_errore(int32_t numero, std::optional<int32_t> posizione, SourceLocation dove,
                              std::string messaggio) {
  Diagnostic d;
  d.severity = Severity::kError;
  d.code = codice_errore(numero);
  d.where = std::move(dove);
  d.message = messaggio.empty() ? std::string(testo_errore(numero)) : std::move(messaggio);
  d.fault_number = numero;
  d.position = posizione;
  return d;
}

}  // namespace scenario
