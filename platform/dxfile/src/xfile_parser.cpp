// SPDX-License-Identifier: MIT
// Parser of .x files: template definitions and data objects, over the
// tokens of either form. Data values are read by walking the object's
// template member by member, so separators between values are optional.
// Every count is checked against the input, so a file that lies about its
// sizes fails instead of allocating or looping on its word.
#include <cstring>

#include "xfile_document.h"
#include "xfile_lexer.h"

namespace dxfile {
namespace {

struct PrimitiveName {
  const char* name;
  Primitive primitive;
};
constexpr PrimitiveName kPrimitives[] = {
    {"WORD", Primitive::Word},      {"DWORD", Primitive::Dword},  {"FLOAT", Primitive::Float},
    {"DOUBLE", Primitive::Double},  {"CHAR", Primitive::Char},    {"UCHAR", Primitive::Uchar},
    {"BYTE", Primitive::Uchar},     {"SWORD", Primitive::Sword},  {"SDWORD", Primitive::Sdword},
    {"STRING", Primitive::String},  {"LPSTR", Primitive::String}, {"CSTRING", Primitive::String},
    {"UNICODE", Primitive::String},
};

Primitive PrimitiveFromName(const std::string& name) {
  for (const PrimitiveName& p : kPrimitives)
    if (name == p.name) return p.primitive;
  return Primitive::None;
}

bool IsIntegral(Primitive p) {
  return p == Primitive::Word || p == Primitive::Dword || p == Primitive::Char || p == Primitive::Uchar ||
         p == Primitive::Sword || p == Primitive::Sdword;
}

// Bytes and value range of each integral primitive.
struct IntegralRange {
  Primitive primitive;
  size_t bytes;
  int64_t lowest;
  int64_t highest;
};
constexpr IntegralRange kIntegralRanges[] = {
    {Primitive::Word, 2, INT16_MIN, UINT16_MAX},  {Primitive::Sword, 2, INT16_MIN, UINT16_MAX},
    {Primitive::Dword, 4, INT32_MIN, UINT32_MAX}, {Primitive::Sdword, 4, INT32_MIN, UINT32_MAX},
    {Primitive::Char, 1, INT8_MIN, UINT8_MAX},    {Primitive::Uchar, 1, INT8_MIN, UINT8_MAX},
};

void Append(std::vector<uint8_t>& out, const void* bytes, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(bytes);
  out.insert(out.end(), p, p + size);
}

bool IsSeparator(TokenKind k) {
  return k == TokenKind::Comma || k == TokenKind::Semicolon;
}

class Parser {
 public:
  Parser(const uint8_t* bytes, size_t size, const XFileHeader& header, Document* doc)
      : lex_(bytes, size, header), doc_(doc) {}
  HRESULT Run();

 private:
  HRESULT Fail() const { return lex_.error() != DXFILE_OK ? lex_.error() : DXFILEERR_PARSEERROR; }
  bool Take(TokenKind kind);
  Token NextValue();
  void SkipSeparators();
  HRESULT ParseTemplate();
  HRESULT ParseMember(Template* t);
  HRESULT ParseOptions(Template* t);
  HRESULT ParseDataObject(const std::string& typeName, int depth, DataNode** out);
  HRESULT ReadValues(const Template& t, DataNode* node, std::vector<MemberSpan>* spans, int typeDepth);
  HRESULT ReadMember(const MemberDecl& m, uint64_t count, DataNode* node, int typeDepth, int64_t* value);
  HRESULT ReadPrimitive(Primitive p, DataNode* node, int64_t* value);
  HRESULT ParseChildren(DataNode* node, int depth);
  HRESULT ParseReference(ChildObject* ref);

  Lexer lex_;
  Document* doc_ = nullptr;
  uint64_t valuesTaken_ = 0;
};

bool Parser::Take(TokenKind kind) {
  if (lex_.Peek().kind != kind) return false;
  lex_.Next();
  return true;
}

void Parser::SkipSeparators() {
  while (IsSeparator(lex_.Peek().kind)) lex_.Next();
}

Token Parser::NextValue() {
  SkipSeparators();
  ++valuesTaken_;
  return lex_.Next();
}

HRESULT Parser::Run() {
  for (;;) {
    SkipSeparators();
    Token t = lex_.Next();
    if (t.kind == TokenKind::End) return lex_.error();
    if (t.kind != TokenKind::Name) return Fail();
    HRESULT hr = DXFILE_OK;
    if (t.text == "template") {
      hr = ParseTemplate();
    } else {
      DataNode* node = nullptr;
      hr = ParseDataObject(t.text, 0, &node);
      if (hr == DXFILE_OK) doc_->topLevel.push_back(node);
    }
    if (hr != DXFILE_OK) return hr;
  }
}

// template Name { <guid> members [restriction] }
HRESULT Parser::ParseTemplate() {
  auto t = std::make_shared<Template>();
  Token name = lex_.Next();
  if (name.kind != TokenKind::Name || !Take(TokenKind::OBrace)) return Fail();
  t->name = name.text;
  if (lex_.Peek().kind == TokenKind::Guid) t->id = lex_.Next().guid;
  for (;;) {
    const TokenKind k = lex_.Peek().kind;
    if (k == TokenKind::CBrace) break;
    HRESULT hr = DXFILE_OK;
    if (k == TokenKind::Semicolon) {
      lex_.Next();
    } else if (k == TokenKind::OBracket) {
      hr = ParseOptions(t.get());
      if (hr == DXFILE_OK && lex_.Peek().kind != TokenKind::CBrace) return Fail();
    } else if (k == TokenKind::Name) {
      hr = ParseMember(t.get());
    } else {
      return Fail();
    }
    if (hr != DXFILE_OK) return hr;
  }
  lex_.Next();
  doc_->templates[t->name] = t;
  return DXFILE_OK;
}

// [array] type [name] [dims] ;
HRESULT Parser::ParseMember(Template* t) {
  MemberDecl m;
  Token type = lex_.Next();
  if (type.text == "array") {
    m.isArray = true;
    type = lex_.Next();
    if (type.kind != TokenKind::Name) return Fail();
  }
  m.primitive = PrimitiveFromName(type.text);
  if (m.primitive == Primitive::None) m.typeName = type.text;
  if (lex_.Peek().kind == TokenKind::Name) m.name = lex_.Next().text;
  while (Take(TokenKind::OBracket)) {
    Token size = lex_.Next();
    Dimension d;
    if (size.kind == TokenKind::Integer && size.integer >= 0) {
      d.fixed = static_cast<uint32_t>(size.integer);
    } else if (size.kind == TokenKind::Name) {
      d.member = size.text;
    } else {
      return lex_.error() != DXFILE_OK ? lex_.error() : DXFILEERR_BADARRAYSIZE;
    }
    if (!Take(TokenKind::CBracket)) return Fail();
    m.dims.push_back(d);
  }
  if (m.isArray != !m.dims.empty() || !Take(TokenKind::Semicolon)) return Fail();
  t->members.push_back(std::move(m));
  return DXFILE_OK;
}

// [ ... ] or [ Name <guid>, Name, BINARY ]
HRESULT Parser::ParseOptions(Template* t) {
  lex_.Next();
  if (Take(TokenKind::Dot)) {
    if (!Take(TokenKind::Dot) || !Take(TokenKind::Dot) || !Take(TokenKind::CBracket)) return Fail();
    t->children = Template::Children::Open;
    return DXFILE_OK;
  }
  t->children = Template::Children::Restricted;
  for (;;) {
    Token name = lex_.Next();
    if (name.kind != TokenKind::Name) return Fail();
    TemplateOption option;
    option.name = name.text;
    if (lex_.Peek().kind == TokenKind::Guid) {
      option.id = lex_.Next().guid;
      option.hasId = true;
    }
    t->options.push_back(option);
    if (Take(TokenKind::CBracket)) return DXFILE_OK;
    if (!Take(TokenKind::Comma)) return Fail();
  }
}

// Type [name] { [<guid>] values children }
HRESULT Parser::ParseDataObject(const std::string& typeName, int depth, DataNode** out) {
  if (depth > kMaxObjectDepth) return DXFILEERR_PARSEERROR;
  auto found = doc_->templates.find(typeName);
  if (found == doc_->templates.end()) return lex_.error() != DXFILE_OK ? lex_.error() : DXFILEERR_NOTEMPLATE;
  doc_->nodes.push_back(std::make_unique<DataNode>());
  DataNode* node = doc_->nodes.back().get();
  node->type = found->second;
  if (lex_.Peek().kind == TokenKind::Name) node->name = lex_.Next().text;
  if (!Take(TokenKind::OBrace)) return Fail();
  if (lex_.Peek().kind == TokenKind::Guid) node->id = lex_.Next().guid;
  HRESULT hr = ReadValues(*node->type, node, &node->members, 0);
  if (hr != DXFILE_OK) return hr;
  hr = ParseChildren(node, depth);
  if (hr != DXFILE_OK) return hr;
  *out = node;
  return DXFILE_OK;
}

HRESULT Parser::ReadValues(const Template& t, DataNode* node, std::vector<MemberSpan>* spans, int typeDepth) {
  if (typeDepth > kMaxTypeDepth) return DXFILEERR_BADTYPE;
  std::map<std::string, int64_t> counts;  // earlier integral members, for array sizes
  for (const MemberDecl& m : t.members) {
    uint64_t count = 1;
    for (const Dimension& d : m.dims) {
      uint64_t n = d.fixed;
      if (!d.member.empty()) {
        auto c = counts.find(d.member);
        if (c == counts.end() || c->second < 0) return DXFILEERR_BADARRAYSIZE;
        n = static_cast<uint64_t>(c->second);
      }
      count *= n;
      if (count > 0x7FFFFFFF) return DXFILEERR_BADARRAYSIZE;
    }
    const size_t start = node->data.size();
    int64_t value = 0;
    const HRESULT hr = ReadMember(m, count, node, typeDepth, &value);
    if (hr != DXFILE_OK) return hr;
    if (!m.isArray && IsIntegral(m.primitive) && !m.name.empty()) counts[m.name] = value;
    if (spans) spans->push_back({m.name, start, node->data.size() - start});
  }
  return DXFILE_OK;
}

HRESULT Parser::ReadMember(const MemberDecl& m, uint64_t count, DataNode* node, int typeDepth,
                           int64_t* value) {
  const Template* sub = nullptr;
  if (m.primitive == Primitive::None) {
    auto found = doc_->templates.find(m.typeName);
    if (found == doc_->templates.end()) return DXFILEERR_NOTEMPLATE;
    sub = found->second.get();
  }
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t before = valuesTaken_;
    const HRESULT hr =
        sub ? ReadValues(*sub, node, nullptr, typeDepth + 1) : ReadPrimitive(m.primitive, node, value);
    if (hr != DXFILE_OK) return hr;
    // An element that reads nothing would let a huge count spin forever.
    if (valuesTaken_ == before && count > 1) return DXFILEERR_BADARRAYSIZE;
  }
  return DXFILE_OK;
}

HRESULT Parser::ReadPrimitive(Primitive p, DataNode* node, int64_t* value) {
  Token t = NextValue();
  if (t.kind == TokenKind::End) return Fail();
  if (p == Primitive::String) {
    if (t.kind != TokenKind::String) return DXFILEERR_PARSEERROR;
    doc_->strings.push_back(std::move(t.text));
    const char* text = doc_->strings.back().c_str();
    Append(node->data, &text, sizeof text);
    return DXFILE_OK;
  }
  if (t.kind != TokenKind::Integer && t.kind != TokenKind::Float) return DXFILEERR_PARSEERROR;
  if (p == Primitive::Float) {
    const float f = static_cast<float>(t.number);
    Append(node->data, &f, sizeof f);
    return DXFILE_OK;
  }
  if (p == Primitive::Double) {
    Append(node->data, &t.number, sizeof t.number);
    return DXFILE_OK;
  }
  if (t.kind != TokenKind::Integer) return DXFILEERR_BADVALUE;
  for (const IntegralRange& r : kIntegralRanges) {
    if (r.primitive != p) continue;
    if (t.integer < r.lowest || t.integer > r.highest) return DXFILEERR_BADVALUE;
    const uint32_t bits = static_cast<uint32_t>(t.integer);  // little-endian, like the file
    const uint8_t bytes[4] = {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
    Append(node->data, bytes, r.bytes);
    *value = t.integer;
    return DXFILE_OK;
  }
  return DXFILEERR_BADTYPE;
}

bool ChildAllowed(const Template& parent, const Template& child) {
  if (parent.children == Template::Children::Open) return true;
  if (parent.children == Template::Children::Closed) return false;
  for (const TemplateOption& o : parent.options) {
    if (o.hasId ? o.id == child.id : o.name == child.name) return true;
  }
  return false;
}

HRESULT Parser::ParseChildren(DataNode* node, int depth) {
  for (;;) {
    SkipSeparators();
    Token t = lex_.Next();
    if (t.kind == TokenKind::CBrace) return DXFILE_OK;
    ChildObject child;
    if (t.kind == TokenKind::OBrace) {
      const HRESULT hr = ParseReference(&child);
      if (hr != DXFILE_OK) return hr;
    } else if (t.kind == TokenKind::Name) {
      const HRESULT hr = ParseDataObject(t.text, depth + 1, &child.data);
      if (hr != DXFILE_OK) return hr;
      if (!ChildAllowed(*node->type, *child.data->type)) return DXFILEERR_BADOBJECT;
    } else {
      return Fail();
    }
    if (node->type->children == Template::Children::Closed) return DXFILEERR_BADOBJECT;
    node->children.push_back(std::move(child));
  }
}

// { name } or { <guid> } or { name <guid> }; the opening brace is taken.
HRESULT Parser::ParseReference(ChildObject* ref) {
  if (lex_.Peek().kind == TokenKind::Name) ref->refName = lex_.Next().text;
  if (lex_.Peek().kind == TokenKind::Guid) {
    ref->refId = lex_.Next().guid;
    ref->refHasId = true;
  }
  if ((ref->refName.empty() && !ref->refHasId) || !Take(TokenKind::CBrace)) return Fail();
  return DXFILE_OK;
}

}  // namespace

const DataNode* Document::FindByName(const std::string& name) const {
  for (const auto& n : nodes)
    if (n->name == name) return n.get();
  return nullptr;
}

const DataNode* Document::FindById(const GUID& id) const {
  for (const auto& n : nodes)
    if (n->id == id) return n.get();
  return nullptr;
}

const DataNode* Document::Resolve(const ChildObject& ref) const {
  if (ref.data) return ref.data;
  if (!ref.refName.empty()) return FindByName(ref.refName);
  return ref.refHasId ? FindById(ref.refId) : nullptr;
}

HRESULT ParseXFile(const uint8_t* bytes, size_t size, Document* doc) {
  XFileHeader header;
  const HRESULT hr = ReadXFileHeader(bytes, size, &header);
  if (hr != DXFILE_OK) return hr;
  Parser parser(bytes, size, header, doc);
  return parser.Run();
}

}  // namespace dxfile
