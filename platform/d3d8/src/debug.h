// SPDX-License-Identifier: MIT
// Diagnostics of the device layer: one line each on stderr (the debugger
// output of this platform), the unsupported-feature notes only once per run.
#pragma once

#include <string>

namespace d3d8 {

void DebugOutput(const std::string& text);
// Says `text` the first time this exact text is given; later calls are silent.
void DebugOutputOnce(const char* text);

}  // namespace d3d8
