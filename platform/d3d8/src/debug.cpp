// SPDX-License-Identifier: MIT
// Diagnostics of the device layer on stderr.
#include "debug.h"

#include <cstdio>
#include <set>

namespace d3d8 {

void DebugOutput(const std::string& text) {
  std::fprintf(stderr, "glorbs3d d3d8: %s", text.c_str());
}

void DebugOutputOnce(const char* text) {
  static std::set<std::string> said;
  if (said.insert(text).second) DebugOutput(text);
}

}  // namespace d3d8
