// SPDX-License-Identifier: MIT
// Debugger trace routines over OutputDebugStringA, with bounded buffers.
#include "app/trace.h"

#include <cstdarg>
#include <cstdio>

HRESULT TraceError(const char* sourceFile, DWORD line, HRESULT hr, const char* message) {
  char location[256];
  std::snprintf(location, sizeof(location), "%s(%ld): ", sourceFile ? sourceFile : "",
                static_cast<long>(line));
  OutputDebugStringA(location);
  OutputDebugStringA(message ? message : "");
  if (hr != 0) {
    char code[32];
    std::snprintf(code, sizeof(code), "(hr=%08lx)\n", static_cast<unsigned long>(static_cast<uint32_t>(hr)));
    OutputDebugStringA(code);
  }
  OutputDebugStringA("\n");
  return hr;
}

void TraceFormat(const char* format, ...) {
  if (!format) return;
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  OutputDebugStringA(text);
}
