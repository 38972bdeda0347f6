// SPDX-License-Identifier: MIT
// How the build's embedded resources reach FindResourceA: generated sources
// (cmake: glorbs_embed_resources) hold the bytes and register one table each
// at static initialisation. Tests may register tables of their own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace win32 {

// A type or a name is either an integer id (the string is null) or a string
// (compared without case).
struct ResourceEntry {
  const char* typeName;  // null for an integer type
  uint16_t typeId;
  const char* name;  // null for an integer id
  uint16_t nameId;
  const unsigned char* data;
  size_t size;
};

// Registers `count` entries; the table must outlive its registration. When
// two tables hold the same type and name, the one registered first wins.
void RegisterResources(const ResourceEntry* entries, size_t count);
void UnregisterResources(const ResourceEntry* entries);

}  // namespace win32
