// SPDX-License-Identifier: MIT
// Text and binary .x tokenisers. Binary lists of integers or floats are
// split into single Integer / Float tokens so that the parser reads data
// values the same way in both forms. Every read is bounds-checked first.
#include "xfile_lexer.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace dxfile {
namespace {

constexpr size_t kHeaderSize = 16;

// Binary token codes of the .x format.
enum : uint16_t {
  kTokName = 1,
  kTokString = 2,
  kTokInteger = 3,
  kTokGuid = 5,
  kTokIntegerList = 6,
  kTokFloatList = 7,
  kTokOBrace = 10,
  kTokCBrace = 11,
  kTokOParen = 12,
  kTokCParen = 13,
  kTokOBracket = 14,
  kTokCBracket = 15,
  kTokDot = 18,
  kTokComma = 19,
  kTokSemicolon = 20,
};

struct Punctuation {
  uint16_t code;
  char text;
  TokenKind kind;
};
constexpr Punctuation kPunctuation[] = {
    {kTokOBrace, '{', TokenKind::OBrace},
    {kTokCBrace, '}', TokenKind::CBrace},
    {kTokOParen, '(', TokenKind::OParen},
    {kTokCParen, ')', TokenKind::CParen},
    {kTokOBracket, '[', TokenKind::OBracket},
    {kTokCBracket, ']', TokenKind::CBracket},
    {kTokDot, '.', TokenKind::Dot},
    {kTokComma, ',', TokenKind::Comma},
    {kTokSemicolon, ';', TokenKind::Semicolon},
};

// Binary keyword tokens, given to the parser under their text spelling.
struct Keyword {
  uint16_t code;
  const char* text;
};
constexpr Keyword kKeywords[] = {
    {31, "template"}, {40, "WORD"},    {41, "DWORD"},   {42, "FLOAT"},  {43, "DOUBLE"},
    {44, "CHAR"},     {45, "UCHAR"},   {46, "SWORD"},   {47, "SDWORD"}, {48, "VOID"},
    {49, "STRING"},   {50, "UNICODE"}, {51, "CSTRING"}, {52, "array"},
};

Token Simple(TokenKind kind) {
  Token t;
  t.kind = kind;
  return t;
}

bool IsNameStart(int c) {
  return std::isalpha(c) || c == '_';
}
bool IsNameChar(int c) {
  return std::isalnum(c) || c == '_' || c == '-' || c == '.';
}

int HexValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

HRESULT ReadXFileHeader(const uint8_t* bytes, size_t size, XFileHeader* header) {
  if (!bytes || size < kHeaderSize || std::memcmp(bytes, "xof ", 4) != 0) return DXFILEERR_BADFILETYPE;
  if (std::memcmp(bytes + 4, "0302", 4) != 0 && std::memcmp(bytes + 4, "0303", 4) != 0)
    return DXFILEERR_BADFILEVERSION;
  const uint8_t* format = bytes + 8;
  if (std::memcmp(format, "txt ", 4) == 0) {
    header->binary = false;
  } else if (std::memcmp(format, "bin ", 4) == 0) {
    header->binary = true;
  } else if (std::memcmp(format, "tzip", 4) == 0 || std::memcmp(format, "bzip", 4) == 0) {
    return DXFILEERR_BADFILECOMPRESSIONTYPE;  // compressed .x files are not supported
  } else {
    return DXFILEERR_BADFILETYPE;
  }
  if (std::memcmp(bytes + 12, "0032", 4) == 0) {
    header->doubles = false;
  } else if (std::memcmp(bytes + 12, "0064", 4) == 0) {
    header->doubles = true;
  } else {
    return DXFILEERR_BADFILEFLOATSIZE;
  }
  return DXFILE_OK;
}

Lexer::Lexer(const uint8_t* bytes, size_t size, const XFileHeader& header)
    : bytes_(bytes), size_(size), pos_(size < kHeaderSize ? size : kHeaderSize), header_(header) {}

Token Lexer::Next() {
  if (havePeek_) {
    havePeek_ = false;
    return std::move(peek_);
  }
  return Lex();
}

const Token& Lexer::Peek() {
  if (!havePeek_) {
    peek_ = Lex();
    havePeek_ = true;
  }
  return peek_;
}

Token Lexer::Fail(HRESULT hr) {
  if (error_ == DXFILE_OK) error_ = hr;
  pos_ = size_;
  listLeft_ = 0;
  return Simple(TokenKind::End);
}

Token Lexer::Lex() {
  if (error_ != DXFILE_OK) return Simple(TokenKind::End);
  return header_.binary ? LexBinary() : LexText();
}

// >> text form

Token Lexer::LexText() {
  for (;;) {
    while (pos_ < size_ && std::isspace(bytes_[pos_])) ++pos_;
    if (pos_ >= size_) return Simple(TokenKind::End);
    const int c = bytes_[pos_];
    const bool slashComment = c == '/' && pos_ + 1 < size_ && bytes_[pos_ + 1] == '/';
    if (c != '#' && !slashComment) break;
    while (pos_ < size_ && bytes_[pos_] != '\n') ++pos_;
  }
  const int c = bytes_[pos_];
  for (const Punctuation& p : kPunctuation) {
    // A dot that starts a number (".5") is not punctuation.
    if (c == p.text && !(c == '.' && pos_ + 1 < size_ && std::isdigit(bytes_[pos_ + 1]))) {
      ++pos_;
      return Simple(p.kind);
    }
  }
  if (c == '<') return LexTextGuid();
  if (c == '"') {
    const size_t start = ++pos_;
    while (pos_ < size_ && bytes_[pos_] != '"') ++pos_;
    if (pos_ >= size_) return Fail(DXFILEERR_PARSEERROR);
    Token t;
    t.kind = TokenKind::String;
    t.text.assign(reinterpret_cast<const char*>(bytes_ + start), pos_ - start);
    ++pos_;
    return t;
  }
  if (IsNameStart(c)) {
    const size_t start = pos_;
    while (pos_ < size_ && IsNameChar(bytes_[pos_])) ++pos_;
    Token t;
    t.kind = TokenKind::Name;
    t.text.assign(reinterpret_cast<const char*>(bytes_ + start), pos_ - start);
    return t;
  }
  if (std::isdigit(c) || c == '-' || c == '+' || c == '.') return LexTextNumber();
  return Fail(DXFILEERR_PARSEERROR);
}

Token Lexer::LexTextNumber() {
  const size_t start = pos_;
  bool isFloat = false;
  if (bytes_[pos_] == '-' || bytes_[pos_] == '+') ++pos_;
  size_t digits = 0;
  while (pos_ < size_ && (std::isdigit(bytes_[pos_]) || bytes_[pos_] == '.')) {
    if (bytes_[pos_] == '.')
      isFloat = true;
    else
      ++digits;
    ++pos_;
  }
  if (digits == 0) return Fail(DXFILEERR_BADVALUE);
  if (pos_ < size_ && (bytes_[pos_] == 'e' || bytes_[pos_] == 'E')) {
    isFloat = true;
    ++pos_;
    if (pos_ < size_ && (bytes_[pos_] == '-' || bytes_[pos_] == '+')) ++pos_;
    if (pos_ >= size_ || !std::isdigit(bytes_[pos_])) return Fail(DXFILEERR_BADVALUE);
    while (pos_ < size_ && std::isdigit(bytes_[pos_])) ++pos_;
  }
  // A number runs into a name character only in junk such as "1.#QNAN".
  if (pos_ < size_ && (IsNameChar(bytes_[pos_]) || bytes_[pos_] == '#')) return Fail(DXFILEERR_BADVALUE);
  const std::string text(reinterpret_cast<const char*>(bytes_ + start), pos_ - start);
  if (std::count(text.begin(), text.end(), '.') > 1) return Fail(DXFILEERR_BADVALUE);
  char* end = nullptr;
  errno = 0;
  Token t;
  t.number = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(t.number)) return Fail(DXFILEERR_BADVALUE);
  if (isFloat) {
    t.kind = TokenKind::Float;
    return t;
  }
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno == ERANGE || value > 0xFFFFFFFFLL || value < INT32_MIN) return Fail(DXFILEERR_BADVALUE);
  t.kind = TokenKind::Integer;
  t.integer = value;
  return t;
}

// "<3D82AB44-62DA-11CF-AB39-0020AF71E433>"
Token Lexer::LexTextGuid() {
  ++pos_;
  while (pos_ < size_ && std::isspace(bytes_[pos_])) ++pos_;
  static const int kGroups[] = {8, 4, 4, 4, 12};
  uint8_t raw[16] = {};
  int nibble = 0;
  for (int g = 0; g < 5; ++g) {
    if (g > 0) {
      if (pos_ >= size_ || bytes_[pos_] != '-') return Fail(DXFILEERR_PARSEERROR);
      ++pos_;
    }
    for (int i = 0; i < kGroups[g]; ++i, ++nibble) {
      const int v = pos_ < size_ ? HexValue(bytes_[pos_]) : -1;
      if (v < 0) return Fail(DXFILEERR_PARSEERROR);
      raw[nibble / 2] = static_cast<uint8_t>(raw[nibble / 2] << 4 | v);
      ++pos_;
    }
  }
  while (pos_ < size_ && std::isspace(bytes_[pos_])) ++pos_;
  if (pos_ >= size_ || bytes_[pos_] != '>') return Fail(DXFILEERR_PARSEERROR);
  ++pos_;
  Token t;
  t.kind = TokenKind::Guid;
  t.guid.Data1 = uint32_t(raw[0]) << 24 | uint32_t(raw[1]) << 16 | uint32_t(raw[2]) << 8 | raw[3];
  t.guid.Data2 = static_cast<uint16_t>(raw[4] << 8 | raw[5]);
  t.guid.Data3 = static_cast<uint16_t>(raw[6] << 8 | raw[7]);
  std::memcpy(t.guid.Data4, raw + 8, 8);
  return t;
}

// >> binary form

uint16_t Lexer::ReadWord() {
  const uint16_t v = static_cast<uint16_t>(bytes_[pos_] | bytes_[pos_ + 1] << 8);
  pos_ += 2;
  return v;
}

uint32_t Lexer::ReadDword() {
  const uint32_t v = uint32_t(bytes_[pos_]) | uint32_t(bytes_[pos_ + 1]) << 8 |
                     uint32_t(bytes_[pos_ + 2]) << 16 | uint32_t(bytes_[pos_ + 3]) << 24;
  pos_ += 4;
  return v;
}

bool Lexer::ReadGuid(GUID* guid) {
  if (!Need(16)) return false;
  guid->Data1 = ReadDword();
  guid->Data2 = ReadWord();
  guid->Data3 = ReadWord();
  std::memcpy(guid->Data4, bytes_ + pos_, 8);
  pos_ += 8;
  return true;
}

Token Lexer::LexBinaryListItem() {
  --listLeft_;
  Token t;
  if (!listIsFloat_) {
    t.kind = TokenKind::Integer;
    t.integer = ReadDword();
    t.number = static_cast<double>(t.integer);
    return t;
  }
  t.kind = TokenKind::Float;
  if (header_.doubles) {
    uint64_t bits = ReadDword();
    bits |= uint64_t(ReadDword()) << 32;
    double d = 0.0;
    std::memcpy(&d, &bits, sizeof d);
    t.number = d;
  } else {
    const uint32_t bits = ReadDword();
    float f = 0.0f;
    std::memcpy(&f, &bits, sizeof f);
    t.number = f;
  }
  if (!std::isfinite(t.number)) return Fail(DXFILEERR_BADVALUE);
  return t;
}

Token Lexer::LexBinary() {
  if (listLeft_ > 0) return LexBinaryListItem();
  uint16_t code = 0;
  for (;;) {
    if (pos_ >= size_) return Simple(TokenKind::End);
    if (!Need(2)) return Fail(DXFILEERR_PARSEERROR);
    code = ReadWord();
    const bool list = code == kTokIntegerList || code == kTokFloatList;
    if (!list || !Need(4) || std::memcmp(bytes_ + pos_, "\0\0\0\0", 4) != 0) break;
    pos_ += 4;  // an empty list carries nothing
  }
  for (const Punctuation& p : kPunctuation)
    if (code == p.code) return Simple(p.kind);
  for (const Keyword& k : kKeywords) {
    if (code == k.code) {
      Token t;
      t.kind = TokenKind::Name;
      t.text = k.text;
      return t;
    }
  }
  Token t;
  switch (code) {
    case kTokName:
    case kTokString: {
      if (!Need(4)) return Fail(DXFILEERR_PARSEERROR);
      const uint32_t length = ReadDword();
      if (!Need(length) || (code == kTokString && !Need(size_t(length) + 2)))
        return Fail(DXFILEERR_PARSEERROR);
      t.kind = code == kTokName ? TokenKind::Name : TokenKind::String;
      t.text.assign(reinterpret_cast<const char*>(bytes_ + pos_), length);
      pos_ += length;
      if (code == kTokString) {
        const uint16_t terminator = ReadWord();  // a string carries its own separator
        if (terminator != kTokComma && terminator != kTokSemicolon) return Fail(DXFILEERR_PARSEERROR);
      }
      if (t.text.find('\0') != std::string::npos) return Fail(DXFILEERR_BADVALUE);
      return t;
    }
    case kTokInteger:
      if (!Need(4)) return Fail(DXFILEERR_PARSEERROR);
      t.kind = TokenKind::Integer;
      t.integer = ReadDword();
      t.number = static_cast<double>(t.integer);
      return t;
    case kTokGuid:
      if (!ReadGuid(&t.guid)) return Fail(DXFILEERR_PARSEERROR);
      t.kind = TokenKind::Guid;
      return t;
    case kTokIntegerList:
    case kTokFloatList: {
      if (!Need(4)) return Fail(DXFILEERR_PARSEERROR);
      const uint32_t count = ReadDword();
      const size_t item = code == kTokIntegerList ? 4 : (header_.doubles ? 8 : 4);
      // A list may not claim more values than the bytes that remain.
      if ((size_ - pos_) / item < count) return Fail(DXFILEERR_PARSEERROR);
      listLeft_ = count;
      listIsFloat_ = code == kTokFloatList;
      return LexBinaryListItem();
    }
    default:
      return Fail(DXFILEERR_PARSEERROR);
  }
}

}  // namespace dxfile
