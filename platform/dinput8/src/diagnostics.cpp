// SPDX-License-Identifier: MIT
// Counters of the diagnostics list and the debugger output they go to.
#include "diagnostics.h"

#include <set>

#include "user_maps.h"
#include <winbase.h>

namespace dinput8 {

namespace {
int counts[DIAG_COUNT] = {};
}

int DiagnosticCount(Diagnostic which) {
  return which < DIAG_COUNT ? counts[which] : 0;
}

void ResetDiagnostics() {
  for (int& c : counts) c = 0;
}

std::string SavedMapDirectory() {
  return UserMapDirectory();
}

void Count(Diagnostic which) {
  if (which < DIAG_COUNT) ++counts[which];
}

void Say(const std::string& text) {
  OutputDebugStringA(("DirectInput: " + text + "\n").c_str());
}

void Unsupported(const char* what) {
  static std::set<std::string> said;
  Count(DIAG_UNSUPPORTED_CALL);
  if (said.insert(what).second) Say(std::string(what) + " is not supported");
}

}  // namespace dinput8
