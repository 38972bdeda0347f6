// SPDX-License-Identifier: MIT
// The resource directory of the program: tables registered by the generated
// sources of the build (and by tests), searched by type and name.
#include "win32_internal.h"

#include <win32/resource_table.h>

#include <cstdlib>
#include <strings.h>

namespace win32 {
namespace {

struct Table {
  const ResourceEntry* entries;
  size_t count;
};

std::vector<Table>& Tables() {
  // Never destroyed: handles stay reachable until the process is gone.
  static auto& tables = *new std::vector<Table>();
  return tables;
}

// An id or string as the caller wrote it against one side of an entry.
bool Same(const char* entryName, uint16_t entryId, LPCSTR query) {
  if (IS_INTRESOURCE(query)) return !entryName && entryId == LOWORD(query);
  if (query[0] == '#') {
    char* end = nullptr;
    long id = std::strtol(query + 1, &end, 10);
    return !entryName && end != query + 1 && *end == '\0' && id == entryId;
  }
  return entryName && strcasecmp(entryName, query) == 0;
}

const ResourceEntry* FromHandle(HRSRC resource) {
  auto* wanted = reinterpret_cast<const ResourceEntry*>(resource);
  for (const Table& t : Tables()) {
    if (wanted >= t.entries && wanted < t.entries + t.count) return wanted;
  }
  return nullptr;
}

}  // namespace

void RegisterResources(const ResourceEntry* entries, size_t count) {
  if (entries && count) Tables().push_back({entries, count});
}

void UnregisterResources(const ResourceEntry* entries) {
  auto& tables = Tables();
  for (auto it = tables.begin(); it != tables.end(); ++it) {
    if (it->entries == entries) {
      tables.erase(it);
      return;
    }
  }
}

}  // namespace win32

using namespace win32;

HRSRC FindResourceA(HMODULE, LPCSTR name, LPCSTR type) {
  if (!name || !type) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  bool typeSeen = false;
  for (const Table& t : Tables()) {
    for (size_t i = 0; i < t.count; ++i) {
      const ResourceEntry& e = t.entries[i];
      if (!Same(e.typeName, e.typeId, type)) continue;
      typeSeen = true;
      if (Same(e.name, e.nameId, name)) return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(&e));
    }
  }
  SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
  return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
  const ResourceEntry* e = FromHandle(resource);
  if (!e) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return const_cast<unsigned char*>(e->data);
}

LPVOID LockResource(HGLOBAL data) {
  return data;
}

DWORD SizeofResource(HMODULE, HRSRC resource) {
  const ResourceEntry* e = FromHandle(resource);
  return e ? static_cast<DWORD>(e->size) : 0;
}

BOOL FreeResource(HGLOBAL) {
  return FALSE;
}
