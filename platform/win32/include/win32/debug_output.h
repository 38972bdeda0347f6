// SPDX-License-Identifier: MIT
// Where debugger output goes besides stderr: a hook that tests set to see
// what a call said (which of the layer's own diagnostics fired is counted in
// win32/diagnostics.h).
#pragma once

namespace win32 {

typedef void (*DebugOutputHook)(const char* text, void* user);
// Null removes the hook. The hook sees every OutputDebugStringA text.
void SetDebugOutputHook(DebugOutputHook hook, void* user);
// Turns the stderr copy off and on (tests that expect noise keep it quiet).
void SetDebugOutputToStderr(bool on);

}  // namespace win32
