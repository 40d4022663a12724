#include "compiler/chainage_sort.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "compiler/kilometre_posts.h"

namespace scenario {

namespace {

struct terna {
  int32_t inizio = 0;       // route chainage where the system begins
  int32_t scostamento = 0;  // offset
  int32_t flag = 0;         // 1 asks for the 100 m adjustment
  SourceLocation origine;   // the row that wrote it; it moves with the values
};

}  // namespace

void progressive_ordina(stato_compilazione& s) {
  constexpr std::array<int, 3> righe{riga_progressiva_tre, riga_progressiva_due,
                                     riga_progressiva_uno};
  std::array<terna, 3> r{};
  for (size_t j = 0; j < 3; ++j) {
    const record_sim& row = s.tabella_sim[static_cast<size_t>(righe[j])];
    r[j] = {row.inizio, row.fine, row.progressiva, s.origine_riga[static_cast<size_t>(righe[j])]};
  }

  std::array<terna, 3> o{};  // all zero unless an order is found
  const int64_t somma = static_cast<int64_t>(r[0].inizio) + r[1].inizio + r[2].inizio;
  if (somma != 0) {
    // Decreasing start; among equal starts the higher-numbered row comes
    // first. This also orders rows that share the greatest start, which would
    // otherwise leave no row greatest and clear all three chainage systems.
    std::array<size_t, 3> ordine{2, 1, 0};
    std::stable_sort(ordine.begin(), ordine.end(),
                     [&](size_t a, size_t b) { return r[a].inizio > r[b].inizio; });
    for (size_t j = 0; j < 3; ++j) o[j] = r[ordine[j]];
  } else {
    // No starts: the row with a positive offset leads; later rows win.
    if (r[0].scostamento > 0) o = {r[0], r[1], r[2]};
    if (r[1].scostamento > 0) o = {r[1], r[0], r[2]};
    if (r[2].scostamento > 0) o = {r[2], r[1], r[0]};
  }

  for (size_t j = 0; j < 3; ++j) {
    terna t = o[j];
    if (t.flag == 1) t.scostamento = static_cast<int32_t>(static_cast<uint32_t>(t.scostamento) + static_cast<uint32_t>(aggiunta_zona_decrescente));
    record_sim& row = s.tabella_sim[static_cast<size_t>(righe[j])];
    row.inizio = t.inizio;
    row.fine = t.scostamento;
    row.progressiva = t.flag;
    s.origine_riga[static_cast<size_t>(righe[j])] = std::move(t.origine);
  }
}

}  // namespace scenario
