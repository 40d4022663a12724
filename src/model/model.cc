#include "model/model.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <stdexcept>
#include <string>

#include <cstring>

namespace scenario {

matrice_punti::matrice_punti(const matrice_punti& other) { *this = other; }

matrice_punti& matrice_punti::operator=(const matrice_punti& other) {
  if (this == &other) return *this;
  ZeroedBuffer copy;
  // The copy is not written to the file of a plan held in part, and holds
  // the same part of it.
  if (other.byte_) {
    copy = ZeroedBuffer(2 * other.finestra_);
    std::memcpy(copy.get(), other.byte_.get(), 2 * other.finestra_);
  }
  byte_ = std::move(copy);
  meta_ = other.meta_;
  finestra_ = other.finestra_;
  inizio_ = other.inizio_;
  allineamento_ = other.allineamento_;
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
  if (scaricato_) {
    // A plan sized again starts its file afresh.
    auto error = scarico_fs_->remove(scarico_percorso_);
    if (error && !errore_scarico_) errore_scarico_ = error;
    scaricato_ = false;
  }
  if (ultimo < 0) return;
  ultimo_ = ultimo;
  if (ultimo >= 3) {
    meta_ = layout::linea_meta(ultimo);
    finestra_ = scarico_fs_ ? std::min(meta_, scarico_finestra_) : meta_;
    // Parts end at offsets of the file that are multiples of a power of
    // two: the file system then keeps them in pages of large, aligned
    // blocks, which it copies, writes out and frees for less than the small
    // blocks an offset at random leaves at each end of a part. The largest
    // power of two that leaves a reserve in the window, for the points kept
    // from one part to the next: what a part leaves behind is moved to the
    // start of the window, so a window just over a power of two moves least.
    allineamento_ = std::bit_floor(std::max(finestra_, riserva_finestra + 1) - riserva_finestra);
    // Zeroed memory is a plan of empty elements (tag 0, value 0).
    byte_ = ZeroedBuffer(2 * finestra_);
  }
}

void matrice_punti::release() {
  byte_ = ZeroedBuffer();
  meta_ = 0;
  finestra_ = 0;
  inizio_ = {};
  allineamento_ = 0;
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
    tenuti_fino(i, i);
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
    if (inizio_ != std::array<size_t, 2>{}) throw std::logic_error("matrice_punti: the head of a plan no longer held");
    char* testa = byte_.get() + layout::linea_intero * static_cast<size_t>(i);
    coding::EncodeI16(coding::EncodeU16(testa, intero), x);
    coding::EncodeI16(coding::EncodeU16(testa + finestra_, intero), y);
  }
}

bool matrice_punti::finito() const {
  constexpr std::array<tipo_elemento, 4> bordi{tipo_elemento::intero, tipo_elemento::intero,
                                               tipo_elemento::vuoto, tipo_elemento::vuoto};
  return ultimo_ >= 3 && doppi_centrali_ == ultimo_ - 3 && tipi_bordo_ == bordi;
}

std::optional<std::string_view> matrice_punti::immagine() const {
  if (in_parte() || !finito()) return std::nullopt;
  return std::string_view(byte_.get(), 2 * meta_);
}

void matrice_punti::scrivi_in(FileSystem& fs, std::string percorso, size_t finestra) {
  abbandona_scarico();
  scarico_fs_ = &fs;
  scarico_percorso_ = std::move(percorso);
  // Room for the head, the two points a stretch starts from and a whole run
  // of exact straight steps, at the least.
  scarico_finestra_ = std::max(finestra, size_t{1024});
}

int32_t matrice_punti::scorri_fino(int32_t i, int32_t fine) {
  const size_t punto = layout::linea_punto(i);
  // Only the next point, or one still held, can be set: a point set out of
  // order would leave bytes the file never gets.
  if (punto < std::max(inizio_[0], inizio_[1]) || i > std::max(segnati_fino_, int32_t{1}) + 1) {
    throw std::logic_error("matrice_punti: a point set out of order in a plan held in part");
  }
  for (size_t h = 2; h-- > 0;) {
    if (punto + layout::linea_doppio <= inizio_[h] + finestra_) continue;
    // The points of this half before i - 2 go to the file, up to a
    // multiple of allineamento_ in the file; the rest stay, with the two
    // points before i, which the next stretch starts from.
    const size_t tieni = layout::linea_punto(i - 2);
    const size_t nel_file = h * meta_;
    const size_t allineato = (nel_file + tieni) / allineamento_ * allineamento_;
    const size_t fine_parte = allineato > nel_file + inizio_[h] ? allineato - nel_file : tieni;
    scarica(h, inizio_[h], fine_parte);
    char* meta = byte_.get() + h * finestra_;
    std::memmove(meta, meta + (fine_parte - inizio_[h]), punto - fine_parte);
    inizio_[h] = fine_parte;
  }
  const auto ultimo_tenuto = static_cast<int32_t>(
      (std::min(inizio_[0], inizio_[1]) + finestra_ - layout::linea_testa) / layout::linea_doppio) + 1;
  return std::min(fine, ultimo_tenuto);
}

void matrice_punti::scarica(size_t h, size_t da, size_t a) {
  if (a <= da || errore_scarico_) return;
  scaricato_ = true;
  const std::string_view byte(byte_.get() + h * finestra_ + (da - inizio_[h]), a - da);
  if (auto error = scarico_fs_->write_at(scarico_percorso_, h * meta_ + da, byte)) errore_scarico_ = error;
}

std::optional<IoError> matrice_punti::concludi_scarico() {
  if (!in_parte() || !scarico_fs_) return std::nullopt;
  // After the last point set, each half holds zeros: in the buffer (which
  // may hold older points there) they are cleared before the last write;
  // beyond it (a plan cut short far from its end) they are written from the
  // buffer cleared whole.
  const size_t scritti = segnati_fino_ >= 2 ? layout::linea_punto(segnati_fino_ + 1) : layout::linea_testa;
  std::array<size_t, 2> tenuti{};
  for (size_t h = 2; h-- > 0;) {
    tenuti[h] = std::min(meta_, inizio_[h] + finestra_);
    std::memset(byte_.get() + h * finestra_ + (scritti - inizio_[h]), 0, tenuti[h] - scritti);
    scarica(h, inizio_[h], tenuti[h]);
  }
  std::memset(byte_.get(), 0, 2 * finestra_);
  inizio_ = {};
  for (size_t h = 2; h-- > 0;) {
    for (size_t da = tenuti[h]; da < meta_ && !errore_scarico_; da += 2 * finestra_) {
      const std::string_view zeri(byte_.get(), std::min(2 * finestra_, meta_ - da));
      errore_scarico_ = scarico_fs_->write_at(scarico_percorso_, h * meta_ + da, zeri);
    }
  }
  if (!errore_scarico_ && !finito()) {
    // Not finished: held whole again, from its file.
    std::string letti;
    errore_scarico_ = scarico_fs_->read(scarico_percorso_, &letti);
    if (!errore_scarico_ && letti.size() != 2 * meta_) {
      errore_scarico_ = IoError{scarico_percorso_, "read back " + std::to_string(letti.size()) +
                                                       " bytes of a track plan of " +
                                                       std::to_string(2 * meta_)};
    }
    if (!errore_scarico_) {
      byte_ = ZeroedBuffer(letti.size());
      std::memcpy(byte_.get(), letti.data(), letti.size());
      finestra_ = meta_;
    }
  }
  std::optional<IoError> error = std::move(errore_scarico_);
  if (error) {
    abbandona_scarico();
  } else {
    scarico_fs_ = nullptr;
    scaricato_ = false;
  }
  return error;
}

void matrice_punti::abbandona_scarico() {
  if (scaricato_) scarico_fs_->remove(scarico_percorso_);
  scarico_fs_ = nullptr;
  scarico_percorso_.clear();
  scaricato_ = false;
  errore_scarico_.reset();
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
