// SPDX-License-Identifier: MIT
// Diagnostics on the debugger output: a located error line and a formatted
// line, each bounded to its buffer.
#pragma once

#include <windows.h>

// "<file>(<line>): <message>", then "(hr=xxxxxxxx)" when hr is not 0, then a
// line feed. The location part is cut to 255 characters. Returns hr.
HRESULT TraceError(const char* sourceFile, DWORD line, HRESULT hr, const char* message);
// printf-style; the text is cut to 511 characters.
void TraceFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
