// SPDX-License-Identifier: MIT
// Debugger-output notes of the DirectMusic layer, prefixed "dmusic: ".
#include "diagnostics.h"

#include <windows.h>

#include <set>

namespace dmusic {

void Say(const std::string& text) {
  OutputDebugStringA(("dmusic: " + text + "\n").c_str());
}

void SayOnce(const char* feature) {
  static std::set<std::string> said;
  if (said.insert(feature).second) Say(std::string(feature) + " is not supported");
}

}  // namespace dmusic
