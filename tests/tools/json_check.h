// A strict check that a text is one JSON value (RFC 8259 grammar), for the
// tests of the tool's --json output.
#pragma once

#include <cctype>
#include <string>

namespace scenario::testing {

class json_check {
 public:
  explicit json_check(const std::string& s) : s_(s) {}
  // True when the whole text is one JSON value with blanks around it.
  bool valid() {
    blanks();
    if (!value()) return false;
    blanks();
    return p_ == s_.size();
  }

 private:
  bool value() {
    if (p_ >= s_.size()) return false;
    const char c = s_[p_];
    if (c == '{') return object();
    if (c == '[') return array();
    if (c == '"') return string();
    if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) return number();
    for (const char* w : {"true", "false", "null"}) {
      if (s_.compare(p_, std::string(w).size(), w) == 0) {
        p_ += std::string(w).size();
        return true;
      }
    }
    return false;
  }
  bool object() {
    ++p_;
    blanks();
    if (peek('}')) return ++p_, true;
    for (;;) {
      blanks();
      if (!string()) return false;
      blanks();
      if (!peek(':')) return false;
      ++p_;
      blanks();
      if (!value()) return false;
      blanks();
      if (peek('}')) return ++p_, true;
      if (!peek(',')) return false;
      ++p_;
    }
  }
  bool array() {
    ++p_;
    blanks();
    if (peek(']')) return ++p_, true;
    for (;;) {
      blanks();
      if (!value()) return false;
      blanks();
      if (peek(']')) return ++p_, true;
      if (!peek(',')) return false;
      ++p_;
    }
  }
  bool string() {
    if (!peek('"')) return false;
    for (++p_; p_ < s_.size(); ++p_) {
      const auto c = static_cast<unsigned char>(s_[p_]);
      if (c == '"') return ++p_, true;
      if (c < 0x20) return false;
      if (c == '\\') {
        if (++p_ >= s_.size()) return false;
        const char e = s_[p_];
        if (e == 'u') {
          for (int i = 0; i < 4; ++i) {
            if (++p_ >= s_.size() || !std::isxdigit(static_cast<unsigned char>(s_[p_])))
              return false;
          }
        } else if (std::string("\"\\/bfnrt").find(e) == std::string::npos) {
          return false;
        }
      }
    }
    return false;
  }
  bool number() {
    if (peek('-')) ++p_;
    if (peek('0')) {
      ++p_;
    } else if (!digits()) {
      return false;
    }
    if (peek('.')) {
      ++p_;
      if (!digits()) return false;
    }
    if (peek('e') || peek('E')) {
      ++p_;
      if (peek('+') || peek('-')) ++p_;
      if (!digits()) return false;
    }
    return true;
  }
  bool digits() {
    const size_t a = p_;
    while (p_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[p_]))) ++p_;
    return p_ > a;
  }
  bool peek(char c) const { return p_ < s_.size() && s_[p_] == c; }
  void blanks() {
    while (p_ < s_.size() && std::string(" \t\r\n").find(s_[p_]) != std::string::npos) ++p_;
  }

  const std::string& s_;
  size_t p_ = 0;
};

inline size_t count_of(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + what.size())) ++n;
  return n;
}

}  // namespace scenario::testing
