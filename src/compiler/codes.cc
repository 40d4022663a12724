#include "compiler/codes.h"

#include <string>

namespace scenario {

namespace {

constexpr std::string_view riempitivo = "mmnnppqqrrssttuuvvzzmmnnpp";
constexpr int caratteri_contati = 25;

// Character values of the first 25 characters of the working text. Names are
// bytes in the 8-bit code page; lower case folds A-Z and the accented capitals
// of Windows-1252 (0xC0-0xDE except 0xD7), as the system's lower case does.
std::string testo_di_lavoro(std::string_view treno, std::string_view linea) {
  std::string s;
  s.reserve(treno.size() + linea.size() + riempitivo.size());
  s.append(treno).append(linea);
  for (char& ch : s) {
    auto b = static_cast<unsigned char>(ch);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7)) ch = static_cast<char>(b + 32);
  }
  s.append(riempitivo);
  return s;
}

}  // namespace

int32_t codice_gara_og(std::string_view nome_treno, std::string_view nome_linea) {
  const std::string s = testo_di_lavoro(nome_treno, nome_linea);
  int32_t somma = 0;
  for (int i = 0; i < caratteri_contati; ++i) somma += static_cast<unsigned char>(s[i]);
  return somma;
}

int32_t codice_gara_st(std::string_view nome_treno, std::string_view nome_linea) {
  const std::string s = testo_di_lavoro(nome_treno, nome_linea);
  int32_t somma = 0;
  for (int i = 0; i < caratteri_contati; ++i) somma += static_cast<unsigned char>(s[i]) * (i + 1);
  return somma;
}

int32_t codice_gara_og(const stato_compilazione& s) {
  return codice_gara_og(s.tabella_sim[riga_ripetizione].testo, s.tabella_sim[riga_linea].testo);
}

int32_t codice_gara_st(const stato_compilazione& s) {
  return codice_gara_st(s.tabella_sim[riga_ripetizione].testo, s.tabella_sim[riga_linea].testo);
}

}  // namespace scenario
