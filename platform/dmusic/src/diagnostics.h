// SPDX-License-Identifier: MIT
// What the DirectMusic layer says on the debugger output: reasons for
// failures, and one note per unsupported feature the first time it is asked.
#pragma once

#include <string>

namespace dmusic {

void Say(const std::string& text);
void SayOnce(const char* feature);

}  // namespace dmusic
