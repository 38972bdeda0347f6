// SPDX-License-Identifier: MIT
// The layer's own diagnostics: counted, and said once on the debugger output.
#pragma once

#include <string>

#include <dinput8_glorbs.h>

namespace dinput8 {

void Count(Diagnostic which);
// One line on the debugger output, prefixed with the layer's name.
void Say(const std::string& text);
// Counts DIAG_UNSUPPORTED_CALL and says so the first time for `what`.
void Unsupported(const char* what);

}  // namespace dinput8
