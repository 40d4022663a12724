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
inline std::vector<std::string> crlf_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line without CR LF: " << text.substr(start);
      lines.push_back(text.substr(start));
      break;
    }
    std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line break in: " << line;
    lines.push_back(std::move(line));
    start = end + 2;
  }
  return lines;
}

// The fields of a row split at every comma, blanks around each removed.
inline std::vector<std::string> fields(const std::string& row) {
  std::vector<std::string> out;
  size_t start = 0;
  while (true) {
    const size_t comma = row.find(',', start);
    std::string field = row.substr(start, comma == std::string::npos ? std::string::npos
                                                                     : comma - start);
    const size_t a = field.find_first_not_of(' ');
    const size_t b = field.find_last_not_of(' ');
    out.push_back(a == std::string::npos ? "" : field.substr(a, b - a + 1));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out;
}

inline int32_t number(const std::string& field) {
  char* end = nullptr;
  const long v = std::strtol(field.c_str(), &end, 10);
  EXPECT_TRUE(!field.empty() && *end == '\0') << "not a number: '" << field << "'";
  return static_cast<int32_t>(v);
}

// The rows of the lines from the one after `header` up to the next section
// header.
inline std::vector<std::string> section(const std::vector<std::string>& lines,
                                        const std::string& header) {
  std::vector<std::string> out;
  bool inside = false;
  for (const auto& r : lines) {
    if (!r.empty() && r.front() == '[') {
      if (inside) break;
      inside = r == header;
      continue;
    }
    if (inside) out.push_back(r);
  }
  return out;
}

inline bool starts_with(const std::string& s, const std::string& head) {
  return s.compare(0, head.size(), head) == 0;
}

}  // namespace scenario::testing
