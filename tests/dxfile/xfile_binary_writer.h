// SPDX-License-Identifier: MIT
// Test helper: turns a well-formed text .x file into the equivalent binary
// .x file (32- or 64-bit floats), so every test model can be checked in
// both forms. Deliberately simple and separate from the parser's lexer.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace xtest {

class BinaryWriter {
 public:
  explicit BinaryWriter(bool doubles) : doubles_(doubles) {}

  std::vector<uint8_t> Convert(const std::string& text) {
    out_.clear();
    const char* header = doubles_ ? "xof 0303bin 0064" : "xof 0303bin 0032";
    out_.assign(header, header + 16);
    pos_ = text.find('\n');
    text_ = &text;
    while (Lex()) {
    }
    FlushNumbers();
    return out_;
  }

  // Raw token writers, for tests that build hostile binary files by hand.
  void Word(uint16_t v) { Bytes(&v, 2); }
  void Dword(uint32_t v) { Bytes(&v, 4); }
  void Bytes(const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    out_.insert(out_.end(), b, b + n);
  }
  std::vector<uint8_t>& out() { return out_; }

 private:
  bool Lex() {
    const std::string& s = *text_;
    while (pos_ < s.size() && std::isspace(static_cast<unsigned char>(s[pos_]))) ++pos_;
    if (pos_ >= s.size()) return false;
    const char c = s[pos_];
    if (c == '/' && s.compare(pos_, 2, "//") == 0) {
      pos_ = s.find('\n', pos_);
      if (pos_ == std::string::npos) pos_ = s.size();
      return true;
    }
    if (c == ',' || c == ';') {
      ++pos_;
      // Lists and strings carry their own separators.
      if (numbers_.empty() && !afterString_) Punct(c == ',' ? 19 : 20);
      afterString_ = false;
      return true;
    }
    afterString_ = false;
    static const char kPunct[] = "{}()[].";
    static const uint16_t kCodes[] = {10, 11, 12, 13, 14, 15, 18};
    if (const char* p = std::strchr(kPunct, c)) {
      if (!(c == '.' && std::isdigit(static_cast<unsigned char>(s[pos_ + 1])))) {
        ++pos_;
        Punct(kCodes[p - kPunct]);
        return true;
      }
    }
    if (c == '<') return Guid();
    if (c == '"') {
      FlushNumbers();
      const size_t end = s.find('"', pos_ + 1);
      const std::string str = s.substr(pos_ + 1, end - pos_ - 1);
      pos_ = end + 1;
      Word(2);
      Dword(static_cast<uint32_t>(str.size()));
      Bytes(str.data(), str.size());
      // The separator that follows in the text becomes the terminator.
      size_t q = pos_;
      while (q < s.size() && std::isspace(static_cast<unsigned char>(s[q]))) ++q;
      Word(q < s.size() && s[q] == ',' ? 19 : 20);
      afterString_ = true;
      return true;
    }
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.') return Number();
    size_t end = pos_;
    while (end < s.size() && (std::isalnum(static_cast<unsigned char>(s[end])) || s[end] == '_')) ++end;
    Name(s.substr(pos_, end - pos_));
    pos_ = end;
    return true;
  }

  bool Number() {
    const std::string& s = *text_;
    size_t end = pos_ + 1;
    while (end < s.size() &&
           (std::isdigit(static_cast<unsigned char>(s[end])) || std::strchr(".eE-+", s[end])))
      ++end;
    const std::string n = s.substr(pos_, end - pos_);
    pos_ = end;
    const bool isFloat = n.find_first_of(".eE") != std::string::npos;
    if (!numbers_.empty() && isFloat != numbersFloat_) FlushNumbers();
    numbersFloat_ = isFloat;
    numbers_.push_back(n);
    return true;
  }

  bool Guid() {
    FlushNumbers();
    const std::string& s = *text_;
    const size_t end = s.find('>', pos_);
    std::string hex;
    for (size_t i = pos_ + 1; i < end; ++i)
      if (std::isxdigit(static_cast<unsigned char>(s[i]))) hex += s[i];
    pos_ = end + 1;
    Word(5);
    Dword(static_cast<uint32_t>(std::stoul(hex.substr(0, 8), nullptr, 16)));
    Word(static_cast<uint16_t>(std::stoul(hex.substr(8, 4), nullptr, 16)));
    Word(static_cast<uint16_t>(std::stoul(hex.substr(12, 4), nullptr, 16)));
    for (int i = 0; i < 8; ++i) {
      const uint8_t b = static_cast<uint8_t>(std::stoul(hex.substr(16 + 2 * i, 2), nullptr, 16));
      Bytes(&b, 1);
    }
    return true;
  }

  void Name(const std::string& name) {
    FlushNumbers();
    static const char* kKeywords[] = {"template", "WORD",   "DWORD", "FLOAT",  "DOUBLE",  "CHAR",    "UCHAR",
                                      "SWORD",    "SDWORD", "VOID",  "STRING", "UNICODE", "CSTRING", "array"};
    static const uint16_t kCodes[] = {31, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52};
    for (size_t i = 0; i < sizeof kCodes / sizeof kCodes[0]; ++i) {
      if (name == kKeywords[i]) {
        Word(kCodes[i]);
        return;
      }
    }
    Word(1);
    Dword(static_cast<uint32_t>(name.size()));
    Bytes(name.data(), name.size());
  }

  void Punct(uint16_t code) {
    FlushNumbers();
    Word(code);
  }

  void FlushNumbers() {
    if (numbers_.empty()) return;
    Word(numbersFloat_ ? 7 : 6);
    Dword(static_cast<uint32_t>(numbers_.size()));
    for (const std::string& n : numbers_) {
      if (!numbersFloat_) {
        Dword(static_cast<uint32_t>(std::stoll(n)));
      } else if (doubles_) {
        const double d = std::stod(n);
        Bytes(&d, 8);
      } else {
        const float f = std::stof(n);
        Bytes(&f, 4);
      }
    }
    numbers_.clear();
  }

  bool doubles_ = false;
  const std::string* text_ = nullptr;
  size_t pos_ = 0;
  std::vector<uint8_t> out_;
  std::vector<std::string> numbers_;
  bool numbersFloat_ = false;
  bool afterString_ = false;
};

}  // namespace xtest
