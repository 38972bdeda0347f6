// SPDX-License-Identifier: MIT
// Counters of the diagnostics list and their debugger-output notes,
// prefixed "dmusic: ". The no-free-voice note comes under the mixer's lock,
// so the counters are atomic.
#include "diagnostics.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <set>

namespace dmusic {

namespace {
std::atomic<int> counts[DIAG_COUNT] = {};

void Count(Diagnostic which) {
  if (which < DIAG_COUNT) ++counts[which];
}

void Say(const std::string& text) {
  OutputDebugStringA(("dmusic: " + text + "\n").c_str());
}
}  // namespace

int DiagnosticCount(Diagnostic which) {
  return which < DIAG_COUNT ? counts[which].load() : 0;
}

void ResetDiagnostics() {
  for (std::atomic<int>& c : counts) c = 0;
}

void Diagnose(Diagnostic which, const std::string& text) {
  Count(which);
  Say(text);
}

void DiagnoseOnce(Diagnostic which, const std::string& text) {
  static std::mutex lock;
  static std::set<std::string> said;
  Count(which);
  bool first = false;
  {
    std::lock_guard<std::mutex> guard(lock);
    first = said.insert(text).second;
  }
  if (first) Say(text);
}

void Unsupported(const char* feature) {
  DiagnoseOnce(DIAG_UNSUPPORTED_CALL, std::string(feature) + " is not supported");
}

}  // namespace dmusic
