// SPDX-License-Identifier: MIT
// The registry, in memory: keys by path (without case), values by name. It
// starts with the SDK key whose "DX8SDK Samples Path" is the data directory.
#include "win32_internal.h"

#include <win32/data_directory.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <unordered_set>

namespace win32 {
namespace {

struct Value {
  DWORD type = REG_NONE;
  std::vector<uint8_t> data;
};

struct OpenKey {
  uint32_t magic = 0x4B455930;  // "KEY0"
  std::string path;
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Joined with single '\' separators, no leading or trailing one.
std::string Join(const std::string& base, const char* sub) {
  std::string out = base;
  std::string part;
  for (const char* p = sub ? sub : "";; ++p) {
    if (*p == '\\' || *p == '/' || *p == '\0') {
      if (!part.empty()) out += (out.empty() ? "" : "\\") + part;
      part.clear();
      if (*p == '\0') break;
    } else {
      part += *p;
    }
  }
  return out;
}

struct Registry {
  std::map<std::string, std::map<std::string, Value>> keys;  // lower-case paths and names
  std::unordered_set<OpenKey*> open;
  Registry() {
    for (const char* root : {"HKCR", "HKCU", "HKLM", "HKU"}) keys[Lower(root)];
    std::string sdk = Lower(Join("HKLM", GLORBS_SDK_KEY));
    std::string dir = DataDirectory();
    Value v;
    v.type = REG_SZ;
    v.data.assign(dir.begin(), dir.end());
    v.data.push_back(0);
    keys[sdk][Lower(GLORBS_SDK_PATH_VALUE)] = v;
  }
};

Registry& Reg() {
  static auto& registry = *new Registry();  // never destroyed, like every handle table
  return registry;
}

// The path behind a key handle; empty for a handle that is not one.
std::string PathOf(HKEY key) {
  struct Root {
    HKEY key;
    const char* name;
  };
  static const Root kRoots[] = {{HKEY_CLASSES_ROOT, "HKCR"},
                                {HKEY_CURRENT_USER, "HKCU"},
                                {HKEY_LOCAL_MACHINE, "HKLM"},
                                {HKEY_USERS, "HKU"}};
  for (const Root& r : kRoots) {
    if (r.key == key) return r.name;
  }
  auto* k = reinterpret_cast<OpenKey*>(key);
  return Reg().open.count(k) ? k->path : std::string();
}

HKEY NewHandle(const std::string& path) {
  auto* k = new OpenKey();
  k->path = path;
  Reg().open.insert(k);
  return reinterpret_cast<HKEY>(k);
}

std::map<std::string, Value>* ValuesOf(HKEY key) {
  std::string path = PathOf(key);
  if (path.empty()) return nullptr;
  auto it = Reg().keys.find(Lower(path));
  return it == Reg().keys.end() ? nullptr : &it->second;
}

}  // namespace
}  // namespace win32

using namespace win32;

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, HKEY* result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string base = PathOf(key);
  if (base.empty()) return ERROR_INVALID_HANDLE;
  std::string path = Join(base, subKey);
  if (!Reg().keys.count(Lower(path))) return ERROR_FILE_NOT_FOUND;
  *result = NewHandle(path);
  return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM, const void*, HKEY* result,
                        LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string base = PathOf(key);
  if (base.empty()) return ERROR_INVALID_HANDLE;
  std::string path = Join(base, subKey);
  bool existed = Reg().keys.count(Lower(path)) != 0;
  Reg().keys[Lower(path)];
  if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  *result = NewHandle(path);
  return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key) {
  auto* k = reinterpret_cast<OpenKey*>(key);
  if (!Reg().open.erase(k)) return PathOf(key).empty() ? ERROR_INVALID_HANDLE : ERROR_SUCCESS;
  delete k;
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  auto* values = ValuesOf(key);
  if (!values) return PathOf(key).empty() ? ERROR_INVALID_HANDLE : ERROR_FILE_NOT_FOUND;
  auto it = values->find(Lower(valueName ? valueName : ""));
  if (it == values->end()) return ERROR_FILE_NOT_FOUND;
  const Value& v = it->second;
  if (type) *type = v.type;
  if (!data) {
    if (dataSize) *dataSize = static_cast<DWORD>(v.data.size());
    return ERROR_SUCCESS;
  }
  if (!dataSize) return ERROR_INVALID_PARAMETER;
  if (*dataSize < v.data.size()) {
    *dataSize = static_cast<DWORD>(v.data.size());
    return ERROR_MORE_DATA;
  }
  std::memcpy(data, v.data.data(), v.data.size());
  *dataSize = static_cast<DWORD>(v.data.size());
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
  auto* values = ValuesOf(key);
  if (!values) return PathOf(key).empty() ? ERROR_INVALID_HANDLE : ERROR_FILE_NOT_FOUND;
  if (!data && dataSize) return ERROR_INVALID_PARAMETER;
  Value v;
  v.type = type;
  if (data) v.data.assign(data, data + dataSize);
  (*values)[Lower(valueName ? valueName : "")] = v;
  return ERROR_SUCCESS;
}

LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName) {
  auto* values = ValuesOf(key);
  if (!values) return ERROR_INVALID_HANDLE;
  return values->erase(Lower(valueName ? valueName : "")) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}
