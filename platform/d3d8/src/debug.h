// SPDX-License-Identifier: MIT
// Diagnostics of the device layer: counted per kind (d3d8_glorbs.h), and one
// line each on stderr (the debugger output of this platform); the notes on
// features the layer does not draw only once per run.
#pragma once

#include <string>

#include <d3d8_glorbs.h>

namespace d3d8 {

// Counts `which` and says its line, with `detail` after it when given.
void Diagnose(Diagnostic which, const std::string& detail = "");
// Counts `which`; says its line only the first time in the run.
void DiagnoseOnce(Diagnostic which);

}  // namespace d3d8
