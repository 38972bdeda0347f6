// SPDX-License-Identifier: MIT
// Error names and the error trace. The trace formats into one 3000-byte
// buffer; the length tests keep every write inside it, and an over-long
// path or text only drops the output it would have overflowed.
#include <dxerr8.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dxerr8_names.h"

namespace {

constexpr size_t kTraceBufferSize = 3000;
constexpr size_t kTraceSlack = 200;

size_t Length(const char* s) {
  return s ? std::strlen(s) : 0;
}

}  // namespace

const char* WINAPI DXGetErrorString8A(HRESULT hr) {
  const uint32_t value = static_cast<uint32_t>(hr);
  for (size_t i = 0; i < dxsupport::kErrorNameCount; ++i)
    if (dxsupport::kErrorNames[i].value == value) return dxsupport::kErrorNames[i].name;
  return "Unknown";
}

const WCHAR* WINAPI DXGetErrorString8W(HRESULT hr) {
  // The names are ASCII: widened once, kept for the life of the program.
  static const std::vector<std::u16string> wide = [] {
    std::vector<std::u16string> names(dxsupport::kErrorNameCount + 1);
    for (size_t i = 0; i <= dxsupport::kErrorNameCount; ++i) {
      const char* name = i < dxsupport::kErrorNameCount ? dxsupport::kErrorNames[i].name : "Unknown";
      names[i].assign(name, name + std::strlen(name));
    }
    return names;
  }();
  const char* name = DXGetErrorString8A(hr);
  for (size_t i = 0; i < dxsupport::kErrorNameCount; ++i)
    if (dxsupport::kErrorNames[i].name == name) return wide[i].c_str();
  return wide.back().c_str();
}

HRESULT WINAPI DXTraceA(const char* file, DWORD line, HRESULT hr, const char* msg, BOOL popMsgBox) {
  char buffer[kTraceBufferSize] = "";
  char lineText[32] = "";
  char errorText[128] = "";
  std::snprintf(lineText, sizeof lineText, "%ld", static_cast<long>(line));
  if (file && Length(file) + kTraceSlack < kTraceBufferSize) {
    std::snprintf(buffer, sizeof buffer, "%s(%s): ", file, lineText);
    OutputDebugStringA(buffer);
  }
  if (msg) OutputDebugStringA(msg);
  std::snprintf(errorText, sizeof errorText, "%s (0x%.8x)", DXGetErrorString8A(hr),
                static_cast<unsigned>(hr));
  std::snprintf(buffer, sizeof buffer, " (hr=%s)", errorText);
  OutputDebugStringA(buffer);
  OutputDebugStringA("\n");
  if (popMsgBox &&
      Length(file) + Length(msg) + Length(errorText) + Length(lineText) + kTraceSlack < kTraceBufferSize) {
    std::snprintf(buffer, sizeof buffer, "File: %s\nLine: %s\nError Code: %s\nCalling: %s", file ? file : "",
                  lineText, errorText, msg ? msg : "");
    MessageBoxA(nullptr, buffer, "Unexpected error encountered", MB_ICONERROR | MB_OK);
  }
  return hr;
}

HRESULT WINAPI DXTraceW(const char* file, DWORD line, HRESULT hr, const WCHAR* msg, BOOL popMsgBox) {
  if (!msg) return DXTraceA(file, line, hr, nullptr, popMsgBox);
  const int size = WideCharToMultiByte(CP_UTF8, 0, msg, -1, nullptr, 0, nullptr, nullptr);
  std::string text(size > 0 ? static_cast<size_t>(size) : 1, '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, msg, -1, &text[0], size, nullptr, nullptr);
  return DXTraceA(file, line, hr, text.c_str(), popMsgBox);
}
