#include "compiler/recorders.h"

#include <cstdint>
#include <string>
#include <utility>

namespace scenario {

namespace {

// The cell of y: y in floating point rounded to the nearest integer, halves
// to even. Positions are 32-bit, so the result always fits 64 bits.
int64_t cella_di(double y) { return static_cast<int64_t>(near(y)); }

// The cell one after the cell that holds the position: where signals,
// boards and slow-down marks stand.
int64_t cella_dopo(double posizione) { return cella_di(posizione / 50.0 + 1.0); }

// The cell c when it lies on the route, else nullptr: recorders skip the
// cells a row reaches outside 0 .. P.
cella* cella_in(stato_compilazione& s, int64_t c) {
  if (c < 0 || c > s.ultima_cella()) return nullptr;
  return &s.percorso[static_cast<size_t>(c)];
}

// A cell outside the route holds nothing that could refuse a mark.
bool libera_o_fuori(const cella* c) { return c == nullptr || libera(*c); }

// Stores keep the low bits of the value, as the 16- and 8-bit fields of the
// route file do.
int16_t basso16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF)); }
uint8_t basso8(int64_t v) { return static_cast<uint8_t>(v & 0xFF); }

esito_registro rifiuta(int32_t numero, int64_t cella = -1) {
  esito_registro e;
  e.numero = numero;
  e.cella = cella;
  return e;
}

esito_registro fallisce(std::string motivo) {
  esito_registro e;
  e.numero = errori::lettura_fallita;
  e.motivo = std::move(motivo);
  return e;
}

// near(y) as a 16-bit value; false when it does not fit.
bool intero16(double y, int16_t& out) {
  const double r = near(y);
  if (!(r >= -32768.0 && r <= 32767.0)) return false;
  out = static_cast<int16_t>(r);
  return true;
}

}  // namespace

esito_registro memo_montagna(stato_compilazione& s, int32_t inizio, int32_t fine, int32_t tipo) {
  // The tables hold 80 tunnels; a further one is bad input, not a reason to
  // grow them (the simulator reads at most 80).
  if (s.numero_montagne >= massimo_montagne) {
    return fallisce("a line description holds at most " + std::to_string(massimo_montagne) +
                    " tunnels");
  }

  int64_t t = tipo;
  const bool marcatori = t > 10;
  if (marcatori) t -= 10;

  const int32_t n = ++s.numero_montagne;
  s.montagna_inizio[static_cast<size_t>(n)] = inizio;
  s.montagna_fine[static_cast<size_t>(n)] = fine;
  // Two tunnels 150 m apart or closer are one stretch for the simulator.
  if (n > 1 && static_cast<int64_t>(inizio) - s.montagna_fine[static_cast<size_t>(n - 1)] <= 150) t = 3;

  const int64_t prima = cella_di(inizio / 50.0);
  const int64_t ultima = cella_di(fine / 50.0 - 1.0);
  // Only the cells on the route are marked; k counts from the tunnel's own
  // first cell so the markers stay every fourth cell of the tunnel.
  const int64_t da = prima < 0 ? 0 : prima;
  esito_registro esito;
  const int64_t a = ultima > s.ultima_cella() ? s.ultima_cella() : ultima;
  for (int64_t c = da; c <= a; ++c) {
    cella& z = s.percorso[static_cast<size_t>(c)];
    z.galleria = basso8(t);
    const int64_t k = c - prima + 1;
    if (marcatori && k % 4 == 0 && z.tipo == oggetto::nulla) z.tipo = oggetto::marcatore_galleria;
  }
  return esito;
}

esito_registro memo_rallentamento(stato_compilazione& s, int32_t x, int32_t v, int32_t l, int32_t f_tt,
                                  int32_t f_ta, int32_t d_v) {
  const double xd = x;
  const int64_t inizio = cella_dopo(xd);
  const int64_t fine_c = cella_dopo(xd + l);
  const int64_t avviso = cella_dopo(xd - 1200.0);
  const int64_t prima_del_avviso = cella_di((xd - 1200.0) / 50.0);

  cella* cs = cella_in(s, inizio);
  // A slow-down whose start is not on the route cannot be recorded.
  if (cs == nullptr) return fallisce("its start cell lies outside the route");
  cella* ce = cella_in(s, fine_c);
  // x > 1500 puts the warning board at cell 7 or after, below the start.
  cella* cw = x > 1500 ? cella_in(s, avviso) : nullptr;

  if (x > 1500) {
    if (!libera_o_fuori(cw)) return rifiuta(errori::avviso_occupato, avviso);
  } else {
    f_ta = 0;  // too near the route start for a warning board
  }
  if (!libera(*cs)) return rifiuta(errori::inizio_occupato, inizio);
  if (!libera_o_fuori(ce)) return rifiuta(errori::fine_occupata, fine_c);

  esito_registro esito;
  // Written in this order so that, on a slow-down too short to span two
  // cells, the start mark wins over the end mark.
  if (ce != nullptr) {
    ce->tipo = oggetto::fine_rallentamento;
    if (d_v != 0) ce->dato2 = basso16(d_v);
    esito.posta(fine_c);
  }
  cs->tipo = oggetto::inizio_rallentamento;
  if (d_v != 0) cs->dato2 = basso16(d_v);
  esito.posta(inizio);
  if (cw != nullptr) {
    cw->tipo = oggetto::avviso_rallentamento;
    if (d_v != 0) cw->dato2 = basso16(d_v);
    cw->dato1 = basso16(v);
    esito.posta(avviso);
  }
  cs->dato1 = basso16(v);
  if (ce != nullptr) ce->dato1 = basso16(v);
  cs->dato3 = basso16(f_tt);
  if (ce != nullptr) ce->dato3 = basso16(f_tt);

  if (f_ta != 0) {
    for (int64_t i = 0; i < 4; ++i) {
      if (!libera_o_fuori(cella_in(s, prima_del_avviso - i))) {
        esito.numero = errori::preavviso_occupato;
        esito.cella = prima_del_avviso - i;
        return esito;
      }
    }
    for (int64_t i = 0; i < 4; ++i) {
      cella* cb = cella_in(s, prima_del_avviso - i);
      if (cb == nullptr) continue;
      cb->tipo = oggetto::preavviso_rallentamento;
      cb->dato1 = basso16(i + 1);
      if (d_v != 0) cb->dato2 = basso16(i + 1);
      esito.posta(prima_del_avviso - i);
    }
  }
  return esito;
}

esito_registro memo_segnale(stato_compilazione& s, int32_t posizione, int32_t sx, int32_t s1,
                            int32_t s2, int32_t s3, int32_t rapp, int32_t dx, int32_t d1, int32_t d2,
                            int32_t d3, int32_t tempo) {
  const int64_t c = cella_dopo(posizione);
  cella* z = cella_in(s, c);
  if (z == nullptr) return fallisce("its cell lies outside the route");
  if (!libera(*z)) return rifiuta(errori::segnale_occupato, c);

  esito_registro esito;
  z->tipo = oggetto::segnale;
  z->dato4 = basso16(static_cast<int64_t>(rapp) * 10 + static_cast<int64_t>(sx) * 3 + dx);
  z->dato1 = basso16(static_cast<int64_t>(s1) * 10 + d1);
  z->dato2 = basso16(static_cast<int64_t>(s2) * 10 + d2);
  z->dato3 = basso16(static_cast<int64_t>(s3) * 10 + d3);
  esito.posta(c);

  // Every short waiting time is stored as the same 101.
  int64_t tau = tempo;
  if (tau >= 1 && tau <= 100) tau = 101;
  z->tempo = sx == 2 ? basso8(tau) : 0;

  const int64_t aspetto = (static_cast<int64_t>(sx) * 3 + dx) * 10;
  for (int64_t k = 1; k <= 4; ++k) {
    cella* a = cella_in(s, c - 2 * k);
    if (a == nullptr) continue;
    const uint8_t nuovo = basso8(aspetto + k);
    if (a->avvicinamento != 0 && a->avvicinamento != nuovo) {
      esito.sovrascritte[static_cast<size_t>(esito.quante_sovrascritte++)] = {c - 2 * k, a->avvicinamento};
    }
    a->avvicinamento = nuovo;
  }
  return esito;
}

esito_registro memo_indicatori_v_max(stato_compilazione& s, int32_t posizione, int32_t vas,
                                     int32_t vbs, int32_t vcs, int32_t strisces, int32_t vad,
                                     int32_t vbd, int32_t vcd, int32_t strisced) {
  const int64_t c = cella_dopo(posizione);
  cella* z = cella_in(s, c);
  if (z == nullptr) return fallisce("its cell lies outside the route");
  if (!libera(*z)) return rifiuta(errori::indicatore_occupato, c);

  // Fields are stored in order; a speed that does not fit 16 bits ends the
  // reading with what was stored before it, like any other failed store.
  z->tipo = oggetto::indicatore_v_max;
  esito_registro esito;
  esito.posta(c);
  const struct {
    int32_t d, s;
    int16_t& campo;
    const char* nome;
  } velocita[] = {{vad, vas, z->dato1, "vad / 5 + vas * 20"},
                  {vbd, vbs, z->dato2, "vbd / 5 + vbs * 20"},
                  {vcd, vcs, z->dato3, "vcd / 5 + vcs * 20"}};
  for (const auto& v : velocita) {
    if (!intero16(v.d / 5.0 + v.s * 20.0, v.campo)) {
      esito_registro e = fallisce(std::string("the board value ") + v.nome +
                                  " does not fit its field (-32768 to 32767)");
      e.poste = esito.poste;
      e.quante_poste = esito.quante_poste;
      return e;
    }
  }
  z->dato4 = basso16(static_cast<int64_t>(strisces) * 10 + strisced);
  return esito;
}

}  // namespace scenario
