// SPDX-License-Identifier: MIT
// DirectX error names and the error trace: an HRESULT's symbolic name as
// the DirectX 8 headers spell it, and a one-line trace of a failed call on
// the debugger output, optionally with a message box.
#pragma once

#include <objbase.h>

// The name of `hr` ("E_FAIL", "DMUS_E_NOT_FOUND", ...) or "Unknown"; never
// null, and valid for the life of the program.
const char* WINAPI DXGetErrorString8A(HRESULT hr);
const WCHAR* WINAPI DXGetErrorString8W(HRESULT hr);

// Writes "<file>(<line>): <msg> (hr=<name> (0x<hr>))" to the debugger output
// and, when `popMsgBox` is set, shows it in a message box. A null file or
// message leaves that part out; over-long texts suppress the part they
// would overflow. Returns `hr`, so a caller can return the trace directly.
HRESULT WINAPI DXTraceA(const char* file, DWORD line, HRESULT hr, const char* msg, BOOL popMsgBox);
// The same with a wide message (written to the debugger output as UTF-8).
HRESULT WINAPI DXTraceW(const char* file, DWORD line, HRESULT hr, const WCHAR* msg, BOOL popMsgBox);

#define DXGetErrorString8 DXGetErrorString8A
#define DXTrace DXTraceA

// The sound layer reports every failed call through these in every build.
#define DXTRACE_MSG(str) DXTrace(__FILE__, (DWORD)__LINE__, 0, str, FALSE)
#define DXTRACE_ERR(str, hr) DXTrace(__FILE__, (DWORD)__LINE__, hr, str, TRUE)
#define DXTRACE_ERR_NOMSGBOX(str, hr) DXTrace(__FILE__, (DWORD)__LINE__, hr, str, FALSE)
