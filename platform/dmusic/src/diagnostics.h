// SPDX-License-Identifier: MIT
// What the DirectMusic layer says on the debugger output: reasons for
// failures, and one note per unsupported feature the first time it is
// asked. Every one is counted under its name (dmusic/dmusic_glorbs.h).
#pragma once

#include <string>

#include <dmusic/dmusic_glorbs.h>

namespace dmusic {

// Counts `which` and says `text`.
void Diagnose(Diagnostic which, const std::string& text);
// Counts `which`; says `text` only the first time it is given in the run
// (a reason retried again and again must not repeat).
void DiagnoseOnce(Diagnostic which, const std::string& text);
// A feature this layer does not offer: DIAG_UNSUPPORTED_CALL, said once.
void Unsupported(const char* feature);

}  // namespace dmusic
