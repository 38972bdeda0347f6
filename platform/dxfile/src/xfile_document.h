// SPDX-License-Identifier: MIT
// The parsed form of a .x file: template definitions and a tree of data
// objects whose values are already packed the way GetData hands them out.
// A Document is immutable once parsed and shared by the COM objects over it.
#pragma once

#include <dxfile.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace dxfile {

enum class Primitive { None, Word, Dword, Float, Double, Char, Uchar, Sword, Sdword, String };

struct Dimension {
  uint32_t fixed = 0;
  std::string member;  // when not empty, the value of this earlier member
};

struct MemberDecl {
  Primitive primitive = Primitive::None;
  std::string typeName;  // template type when primitive is None
  std::string name;
  bool isArray = false;
  std::vector<Dimension> dims;
};

struct TemplateOption {
  std::string name;
  GUID id = GUID_NULL;
  bool hasId = false;
};

struct Template {
  enum class Children { Closed, Open, Restricted };
  std::string name;
  GUID id = GUID_NULL;
  std::vector<MemberDecl> members;
  Children children = Children::Closed;
  std::vector<TemplateOption> options;
};

// Templates by name; copies share the definitions.
using TemplateSet = std::map<std::string, std::shared_ptr<const Template>>;

struct MemberSpan {
  std::string name;
  size_t offset = 0;
  size_t size = 0;
};

struct DataNode;

struct ChildObject {
  DataNode* data = nullptr;  // null for a reference
  std::string refName;
  GUID refId = GUID_NULL;
  bool refHasId = false;
};

struct DataNode {
  std::shared_ptr<const Template> type;
  std::string name;
  GUID id = GUID_NULL;
  std::vector<uint8_t> data;
  std::vector<MemberSpan> members;
  std::vector<ChildObject> children;
};

struct Document {
  TemplateSet templates;
  std::vector<std::unique_ptr<DataNode>> nodes;  // every data object, in file order
  std::vector<DataNode*> topLevel;
  std::deque<std::string> strings;  // targets of the string pointers in node data

  const DataNode* FindByName(const std::string& name) const;
  const DataNode* FindById(const GUID& id) const;
  // The object a reference names, or null when the file has none.
  const DataNode* Resolve(const ChildObject& ref) const;
};

// Limits that keep hostile files from exhausting the stack or looping.
constexpr int kMaxObjectDepth = 64;
constexpr int kMaxTypeDepth = 32;

// Parses a whole .x file. Templates it defines are added to `doc.templates`
// (which starts as the caller's registered set); data objects fill the tree.
// Returns DXFILE_OK or the DXFILEERR_ code of the first problem.
HRESULT ParseXFile(const uint8_t* bytes, size_t size, Document* doc);

}  // namespace dxfile
