// SPDX-License-Identifier: MIT
// Reading and writing typed values of an open registry key. Reads always
// succeed: a value that is missing, of the wrong size or does not fit gets
// the default. Writes return E_FAIL when the registry refuses them.
#pragma once

#include <windows.h>

// `length` is the size of `out` in bytes; the result is always terminated
// within it.
HRESULT RegReadString(HKEY key, const char* name, char* out, DWORD length, const char* defaultValue);
HRESULT RegWriteString(HKEY key, const char* name, const char* text);
HRESULT RegReadInt(HKEY key, const char* name, DWORD* out, DWORD defaultValue);
HRESULT RegWriteInt(HKEY key, const char* name, DWORD value);
HRESULT RegReadBool(HKEY key, const char* name, BOOL* out, BOOL defaultValue);
HRESULT RegWriteBool(HKEY key, const char* name, BOOL value);
HRESULT RegReadGuid(HKEY key, const char* name, GUID* out, const GUID& defaultValue);
HRESULT RegWriteGuid(HKEY key, const char* name, const GUID& value);
