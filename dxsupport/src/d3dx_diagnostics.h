// SPDX-License-Identifier: MIT
// The extension library's one-line diagnostics on the debugger output, and
// the first line of every refused call.
#pragma once

#include <d3d8.h>

namespace dxsupport {

// Writes `text` (a complete line) to the debugger output and returns
// D3DERR_INVALIDCALL, the result of every call with a missing argument.
HRESULT InvalidCall(const char* text);

}  // namespace dxsupport
