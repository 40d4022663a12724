#include "compiler/kilometre_posts.h"

#include <algorithm>
#include <cstdio>

namespace scenario {

chilometrica::chilometrica(const std::array<record_sim, righe_tabella_sim>& tabella) {
  for (int r : {riga_progressiva_tre, riga_progressiva_due, riga_progressiva_uno}) {
    const record_sim& z = tabella[static_cast<size_t>(r)];
    if (z.inizio || z.fine || z.progressiva) zone_.push_back({z.inizio, z.fine, z.progressiva});
  }
  std::stable_sort(zone_.begin(), zone_.end(),
                   [](const zona& a, const zona& b) { return a.inizio < b.inizio; });
}

int chilometrica::indice(int64_t metro) const {
  int k = -1;
  for (size_t i = 0; i < zone_.size(); ++i) {
    if (zone_[i].inizio <= metro) k = static_cast<int>(i);
  }
  return k;
}

int64_t chilometrica::post(int64_t metro) const {
  const int k = indice(metro);
  if (k < 0) return metro;
  const zona& z = zone_[static_cast<size_t>(k)];
  if (z.flag == 1) return static_cast<int64_t>(z.scostamento) - aggiunta_zona_decrescente - metro;
  return metro + z.scostamento;
}

std::string testo_post(int64_t metri) {
  const bool negativo = metri < 0;
  const uint64_t a = negativo ? 0 - static_cast<uint64_t>(metri) : static_cast<uint64_t>(metri);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%llu+%03llu", negativo ? "-" : "",
                static_cast<unsigned long long>(a / 1000), static_cast<unsigned long long>(a % 1000));
  return buf;
}

}  // namespace scenario
