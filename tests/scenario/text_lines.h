// Reading the embedded texts back the way an author would: lines split at
// CR LF, rows split into their comma-separated fields.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace scenario::testing {

// The lines of a text whose every line ends with CR LF; a stray CR or LF,
// or a last line without its end, fails the test.
inline std::vector<std::string> linee_testo_crlf(const std::string& testo) {
  std::vector<std::string> linee_testo;
  size_t inizio = 0;
  while (inizio < testo.size()) {
    const size_t fine = testo.find("\r\n", inizio);
    if (fine == std::string::npos) {
      ADD_FAILURE() << "last line without CR LF: " << testo.substr(inizio);
      linee_testo.push_back(testo.substr(inizio));
      break;
    }
    std::string linea_testo = testo.substr(inizio, fine - inizio);
    EXPECT_EQ(linea_testo.find_first_of("\r\n"), std::string::npos) << "stray line break in: " << linea_testo;
    linee_testo.push_back(std::move(linea_testo));
    inizio = fine + 2;
  }
  return linee_testo;
}

// The fields of a row split at every comma, blanks around each removed.
inline std::vector<std::string> campi(const std::string& riga) {
  std::vector<std::string> out;
  size_t inizio = 0;
  while (true) {
    const size_t virgola = riga.find(',', inizio);
    std::string campo = riga.substr(inizio, virgola == std::string::npos ? std::string::npos
                                                                         : virgola - inizio);
    const size_t a = campo.find_first_not_of(' ');
    const size_t b = campo.find_last_not_of(' ');
    out.push_back(a == std::string::npos ? "" : campo.substr(a, b - a + 1));
    if (virgola == std::string::npos) break;
    inizio = virgola + 1;
  }
  return out;
}

inline int32_t numero(const std::string& campo) {
  char* fine = nullptr;
  const long v = std::strtol(campo.c_str(), &fine, 10);
  EXPECT_TRUE(!campo.empty() && *fine == '\0') << "not a number: '" << campo << "'";
  return static_cast<int32_t>(v);
}

// The rows of the lines from the one after `intestazione` up to the next
// section header.
inline std::vector<std::string> sezione(const std::vector<std::string>& righe,
                                        const std::string& intestazione) {
  std::vector<std::string> out;
  bool dentro = false;
  for (const auto& r : righe) {
    if (!r.empty() && r.front() == '[') {
      if (dentro) break;
      dentro = r == intestazione;
      continue;
    }
    if (dentro) out.push_back(r);
  }
  return out;
}

inline bool inizia_con(const std::string& s, const std::string& testa) {
  return s.compare(0, testa.size(), testa) == 0;
}

}  // namespace scenario::testing
