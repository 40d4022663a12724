// The card, the slow-down order and the two scenario sources tell one
// scenario: the same stations in the same order with the same times, posts
// that follow the line's chainage zones, and speeds that follow the
// service's speed limits. Everything is read back from the written texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>

#include "documents/documents.h"
#include "scenario/line_description.h"
#include "scenario/service_description.h"
#include "scenario/text_lines.h"

namespace scenario::testing {
namespace {

std::string trim(std::string s) {
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

struct zona {
  int32_t inizio, scostamento, decrescente;
};

struct stazione_letta {
  int32_t posizione;
  int sosta;
  int32_t orario;  // seconds; 0 without a time
  std::string nome;
};

struct limite_letto {
  int32_t posizione;
  int velocita;
};

struct riga_card {
  int lim = 0, marc = 0;
  int32_t km = 0;  // metres on the post
  std::string nome;
  std::string arrivo, transito, partenza;  // as printed, "+" included
  bool con_orario() const { return !arrivo.empty() || !transito.empty() || !partenza.empty(); }
};

class DocumentRelations : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto line_rows = crlf_lines(componi_testo(tabella_linea()));
    for (const auto& r : section(line_rows, "[generale]")) {
      if (!starts_with(r, "progressiva chilometrica")) continue;
      const auto c = fields(r);
      zone.push_back({number(c[1]), number(c[2]), number(c[3])});
    }
    std::sort(zone.begin(), zone.end(), [](auto& a, auto& b) { return a.inizio < b.inizio; });
    for (const auto& r : section(line_rows, "[indicazioni]")) {
      const auto c = fields(r);
      cartelli.emplace_back(number(c[1]), c[2]);
    }
    for (const auto& r : section(line_rows, "[montagne]")) {
      const auto c = fields(r);
      gallerie_lette.emplace_back(number(c[1]), number(c[2]));
    }

    const auto service_rows = crlf_lines(componi_testo(tabella_treno()));
    for (const auto& r : section(service_rows, "[stazioni]")) {
      const auto c = fields(r);
      stazioni.push_back({number(c[1]), number(c[13]),
                          (number(c[14]) * 60 + number(c[15])) * 60 + number(c[16]), c[17]});
    }
    for (const auto& r : section(service_rows, "[vel_limite]")) {
      const auto c = fields(r);
      limiti.push_back({number(c[1]), number(c[2])});
    }
    rallentamento = fields(section(service_rows, "[rallentamenti]").at(0));

    const auto card_lines = crlf_lines(componi_testo(tabella_scheda()));
    for (size_t n = 16; n < 62; ++n) {
      const std::string& r = card_lines.at(n);
      riga_card c;
      if (r.substr(2, 5) != "     ") c.lim = std::stoi(r.substr(2, 5));
      if (r.substr(8, 5) != "     ") c.marc = std::stoi(r.substr(8, 5));
      const std::string km = trim(r.substr(14, 10));
      const size_t piu = km.find('+');
      c.km = std::stoi(km.substr(0, piu)) * 1000 + std::stoi(km.substr(piu + 1));
      c.nome = trim(r.substr(31, 28));
      const std::string orario = r.substr(60, 16);
      c.arrivo = trim(orario.substr(1, 4));
      c.transito = trim(orario.substr(6, 5));
      c.partenza = trim(orario.substr(11, 4));
      card.push_back(c);
    }
    ordine = crlf_lines(componi_testo(tabella_rallentamenti())).at(12);
  }

  int32_t km(int32_t posizione) const {
    const zona* z = &zone.front();
    for (const auto& x : zone) {
      if (x.inizio <= posizione) z = &x;
    }
    return z->decrescente == 1 ? z->scostamento - posizione : posizione + z->scostamento;
  }

  static std::string ore(int32_t secondi, bool mezzo = false) {
    char t[16];
    std::snprintf(t, sizeof t, "%d.%02d%s", secondi / 3600, secondi / 60 % 60,
                  mezzo && secondi % 60 >= 30 ? "+" : "");
    return t;
  }

  const stazione_letta* stazione(const std::string& nome_card) const {
    for (const auto& s : stazioni) {
      if (s.nome.substr(0, 28) == nome_card) return &s;
    }
    return nullptr;
  }

  // The second line of the board whose first line is `prima`.
  std::pair<int32_t, std::string> cartello(const std::string& prima) const {
    for (const auto& [pos, faccia] : cartelli) {
      const std::regex due(R"(\(([^()]*)\)\(([^()]*)\))");
      std::smatch m;
      if (std::regex_match(faccia, m, due) && trim(m[1]) == prima) {
        return {pos, trim(m[2])};
      }
    }
    return {0, ""};
  }

  std::vector<zona> zone;
  std::vector<std::pair<int32_t, std::string>> cartelli;
  std::vector<std::pair<int32_t, int32_t>> gallerie_lette;
  std::vector<stazione_letta> stazioni;
  std::vector<limite_letto> limiti;
  std::vector<std::string> rallentamento;
  std::vector<riga_card> card;
  std::string ordine;
};

TEST_F(DocumentRelations, TimedStationsAreStopsDepartureAndArrival) {
  std::vector<const riga_card*> fermate;
  for (const auto& c : card) {
    if (!c.arrivo.empty() || !c.partenza.empty()) fermate.push_back(&c);
  }
  std::vector<const stazione_letta*> con_orario;
  for (const auto& s : stazioni) {
    if (s.orario != 0) con_orario.push_back(&s);
  }
  ASSERT_EQ(con_orario.size(), 23u);
  ASSERT_EQ(fermate.size(), con_orario.size());
  for (size_t i = 0; i < fermate.size(); ++i) {
    const auto& c = *fermate[i];
    const auto& s = *con_orario[i];
    EXPECT_EQ(c.nome, s.nome.substr(0, 28));
    if (i == 0) {
      EXPECT_EQ(c.arrivo, "");
      EXPECT_EQ(c.partenza, ore(s.orario)) << c.nome;
    } else if (i + 1 == fermate.size()) {
      EXPECT_EQ(c.arrivo, ore(s.orario)) << c.nome;
      EXPECT_EQ(c.partenza, "");
    } else {
      // The service gives the arrival; the train stands for its sosta.
      EXPECT_EQ(c.arrivo, ore(s.orario)) << c.nome;
      EXPECT_EQ(c.partenza, ore(s.orario + s.sosta)) << c.nome;
    }
  }
}

TEST_F(DocumentRelations, UntimedStationsArePassedThrough) {
  std::vector<std::string> transiti, senza_orario;
  for (const auto& c : card) {
    if (!c.transito.empty() && !starts_with(c.nome, "Ex stazione di ") && !starts_with(c.nome, "Bivio ")) {
      transiti.push_back(c.nome);
    }
  }
  for (const auto& s : stazioni) {
    if (s.orario == 0) senza_orario.push_back(s.nome.substr(0, 28));
  }
  EXPECT_EQ(senza_orario.size(), 11u);
  EXPECT_EQ(transiti, senza_orario);
}

TEST_F(DocumentRelations, FormerStationAndJunctionAreThoseOfTheBoards) {
  for (const auto& [testa, voce] : {std::pair<std::string, std::string>{"EX STAZIONE", "Ex stazione di "},
                                    {"BIVIO", "Bivio "}}) {
    const auto [pos, nome] = cartello(testa);
    ASSERT_FALSE(nome.empty()) << testa;
    const auto c = std::find_if(card.begin(), card.end(),
                                [&, v = voce, n = nome](auto& r) { return r.nome == v + n; });
    ASSERT_NE(c, card.end()) << voce << nome;
    EXPECT_FALSE(c->transito.empty()) << c->nome;
    EXPECT_LE(std::abs(c->km - km(pos)), 100) << c->nome;
  }
}

TEST_F(DocumentRelations, TheUndergroundStationLiesInATunnel) {
  std::string nome;
  int32_t pos = 0;
  for (const auto& [p, faccia] : cartelli) {
    std::smatch m;
    if (std::regex_match(faccia, m, std::regex(R"(\(([^()]*)\)\(SOTTERRANEA *\))"))) {
      nome = trim(m[1]);
      pos = p;
    }
  }
  const auto s = std::find_if(stazioni.begin(), stazioni.end(), [&](auto& x) { return x.nome == nome; });
  ASSERT_NE(s, stazioni.end()) << nome;
  EXPECT_NE(s->orario, 0);
  EXPECT_TRUE(std::any_of(gallerie_lette.begin(), gallerie_lette.end(), [&](auto& g) {
    return g.first < pos && pos < s->posizione && s->posizione < g.second;
  }));
}

TEST_F(DocumentRelations, TimesNeverGoBackwards) {
  int32_t prec = 0;
  for (const auto& c : card) {
    for (const std::string* t : {&c.arrivo, &c.transito, &c.partenza}) {
      if (t->empty()) continue;
      const size_t punto = t->find('.');
      const int32_t s = (std::stoi(t->substr(0, punto)) * 60 + std::stoi(t->substr(punto + 1, 2))) * 60 +
                        (t->back() == '+' ? 30 : 0);
      EXPECT_GE(s, prec) << c.nome;
      prec = s;
    }
  }
}

TEST_F(DocumentRelations, PostsFollowTheZones) {
  ASSERT_EQ(zone.size(), 3u);
  EXPECT_EQ(card.front().km, 46000);
  int controllate = 0;
  for (size_t i = 1; i < card.size(); ++i) {
    const auto& c = card[i];
    if (const auto* s = stazione(c.nome)) {
      EXPECT_LE(std::abs(c.km - km(s->posizione)), 100) << c.nome;
      ++controllate;
    }
    for (const auto& [voce, entrata] : {std::pair<std::string, bool>{"Imbocco G. ", true}, {"Sbocco G. ", false}}) {
      if (!starts_with(c.nome, voce)) continue;
      const std::string nome = c.nome.substr(voce.size());
      const auto g = std::find_if(gallerie().begin(), gallerie().end(),
                                  [&](auto& x) { return x.nome == nome; });
      ASSERT_NE(g, gallerie().end()) << c.nome;
      EXPECT_LE(std::abs(c.km - km(entrata ? g->inizio : g->fine)), 100) << c.nome;
      ++controllate;
    }
    if (c.nome == "Cippo Km 4,000") {
      EXPECT_EQ(c.km, 4000);
    }
  }
  EXPECT_EQ(controllate, 33 + 6);
  EXPECT_EQ(card.back().km, km(stazioni.back().posizione));
}

TEST_F(DocumentRelations, SpeedsAreTheServiceLimits) {
  std::vector<limite_letto> cambi;
  for (const auto& l : limiti) {
    if (cambi.empty() || cambi.back().velocita != l.velocita) cambi.push_back(l);
  }
  std::vector<const riga_card*> con_velocita;
  for (const auto& c : card) {
    if (c.lim != 0) con_velocita.push_back(&c);
  }
  ASSERT_EQ(con_velocita.size(), cambi.size());
  for (size_t i = 0; i < cambi.size(); ++i) {
    EXPECT_EQ(con_velocita[i]->lim, cambi[i].velocita) << con_velocita[i]->nome;
    EXPECT_LE(con_velocita[i]->marc, con_velocita[i]->lim);
    EXPECT_LE(std::abs(con_velocita[i]->km - km(cambi[i].posizione)), 100) << con_velocita[i]->nome;
  }
}

TEST_F(DocumentRelations, SlowDownOrderMatchesTheService) {
  const int32_t x = number(rallentamento[1]), v = number(rallentamento[2]), l = number(rallentamento[3]);
  const stazione_letta* prima = nullptr;
  const stazione_letta* dopo = nullptr;
  for (const auto& s : stazioni) {
    if (s.posizione <= x) prima = &s;
    if (dopo == nullptr && s.posizione >= x + l) dopo = &s;
  }
  ASSERT_TRUE(prima && dopo);
  const int32_t metri = km(x);
  char atteso[100];
  std::snprintf(atteso, sizeof atteso, " | 1 |%-28.28s|    %-8s|    %-6d|    %-5d|    -----   |",
                (prima->nome + "-" + dopo->nome).c_str(),
                (std::to_string(metri / 1000) + "+" + std::to_string(1000 + metri % 1000).substr(1)).c_str(),
                v, l);
  EXPECT_EQ(ordine, atteso);
}

}  // namespace
}  // namespace scenario::testing
