// SPDX-License-Identifier: MIT
// Tokens of a .x file, text or binary, behind one interface: the parser
// sees names, strings, numbers, GUIDs and punctuation whatever the form.
// The lexer never reads past the end of the bytes it was given.
#pragma once

#include <dxfile.h>

#include <cstdint>
#include <string>

namespace dxfile {

enum class TokenKind {
  End,
  Name,  // identifiers, and the keywords of binary files spelled as in text
  String,
  Integer,
  Float,
  Guid,
  OBrace,
  CBrace,
  OParen,
  CParen,
  OBracket,
  CBracket,
  Dot,
  Comma,
  Semicolon,
};

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;     // Name, String
  int64_t integer = 0;  // Integer
  double number = 0.0;  // Float and Integer
  GUID guid = GUID_NULL;
};

// What the 16-byte header says about the rest of the file.
struct XFileHeader {
  bool binary = false;
  bool doubles = false;  // floats are 64-bit
};

// Checks the "xof 0302txt 0032" header; fills `header` or returns the
// DXFILEERR_ code that names the problem.
HRESULT ReadXFileHeader(const uint8_t* bytes, size_t size, XFileHeader* header);

class Lexer {
 public:
  // `bytes` is the whole file including its header, which must be valid.
  Lexer(const uint8_t* bytes, size_t size, const XFileHeader& header);

  // The next token, or End at the end of input. After an error the lexer
  // keeps returning End and error() says why.
  Token Next();
  const Token& Peek();
  HRESULT error() const { return error_; }
  // Bytes consumed so far; the parser uses it to prove progress.
  size_t position() const { return pos_; }

 private:
  Token Lex();
  Token LexText();
  Token LexTextNumber();
  Token LexTextGuid();
  Token LexBinary();
  Token LexBinaryListItem();
  Token Fail(HRESULT hr);
  bool Need(size_t count) const { return size_ - pos_ >= count; }
  uint16_t ReadWord();
  uint32_t ReadDword();
  bool ReadGuid(GUID* guid);

  const uint8_t* bytes_ = nullptr;
  size_t size_ = 0;
  size_t pos_ = 0;
  XFileHeader header_;
  HRESULT error_ = DXFILE_OK;
  bool havePeek_ = false;
  Token peek_;
  // Binary integer and float lists are handed out one value at a time.
  uint32_t listLeft_ = 0;
  bool listIsFloat_ = false;
};

}  // namespace dxfile
