// SPDX-License-Identifier: MIT
// Typed registry values over RegQueryValueExA and RegSetValueExA. A read
// goes to a local first, so a failed read never leaves half a value behind.
#include "app/registry_values.h"

#include <cstring>

namespace {

// Reads exactly `size` bytes of the value into `out`; false otherwise.
bool ReadExact(HKEY key, const char* name, void* out, DWORD size) {
  unsigned char buffer[16] = {};
  DWORD got = sizeof(buffer);
  if (size > sizeof(buffer)) return false;
  if (RegQueryValueExA(key, name, nullptr, nullptr, buffer, &got) != ERROR_SUCCESS || got != size)
    return false;
  std::memcpy(out, buffer, size);
  return true;
}

HRESULT Write(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
  return RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS ? S_OK
                                                                                                   : E_FAIL;
}

}  // namespace

HRESULT RegReadString(HKEY key, const char* name, char* out, DWORD length, const char* defaultValue) {
  if (!out || length == 0) return S_OK;
  DWORD size = length;
  bool ok =
      RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(out), &size) == ERROR_SUCCESS;
  if (ok && (size == 0 || out[size - 1] != '\0')) {
    ok = size < length;  // room to terminate an unterminated value
    if (ok) out[size] = '\0';
  }
  if (!ok) {
    const char* text = defaultValue ? defaultValue : "";
    size_t copied = std::strlen(text) < length ? std::strlen(text) : length - 1;
    std::memcpy(out, text, copied);
    out[copied] = '\0';
  }
  return S_OK;
}

HRESULT RegWriteString(HKEY key, const char* name, const char* text) {
  if (!text) return E_FAIL;
  return Write(key, name, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

HRESULT RegReadInt(HKEY key, const char* name, DWORD* out, DWORD defaultValue) {
  if (out && !ReadExact(key, name, out, sizeof(DWORD))) *out = defaultValue;
  return S_OK;
}

HRESULT RegWriteInt(HKEY key, const char* name, DWORD value) {
  return Write(key, name, REG_DWORD, &value, sizeof(value));
}

HRESULT RegReadBool(HKEY key, const char* name, BOOL* out, BOOL defaultValue) {
  if (out && !ReadExact(key, name, out, sizeof(BOOL))) *out = defaultValue;
  return S_OK;
}

HRESULT RegWriteBool(HKEY key, const char* name, BOOL value) {
  return Write(key, name, REG_DWORD, &value, sizeof(value));
}

HRESULT RegReadGuid(HKEY key, const char* name, GUID* out, const GUID& defaultValue) {
  if (out && !ReadExact(key, name, out, sizeof(GUID))) *out = defaultValue;
  return S_OK;
}

HRESULT RegWriteGuid(HKEY key, const char* name, const GUID& value) {
  return Write(key, name, REG_BINARY, &value, sizeof(value));
}
