// SPDX-License-Identifier: MIT
// Counters of the device layer's diagnostics and their lines on stderr.
#include "debug.h"

#include <cstdio>

namespace d3d8 {

namespace {

const char* const kTexts[DIAG_COUNT] = {
#define D3D8_TEXT(name, text) text,
    D3D8_DIAGNOSTICS(D3D8_TEXT)
#undef D3D8_TEXT
};

int counts[DIAG_COUNT] = {};
bool said[DIAG_COUNT] = {};

}  // namespace

int DiagnosticCount(Diagnostic which) {
  return which < DIAG_COUNT ? counts[which] : 0;
}

void ResetDiagnostics() {
  for (int& c : counts) c = 0;
}

void Diagnose(Diagnostic which, const std::string& detail) {
  if (which >= DIAG_COUNT) return;
  ++counts[which];
  said[which] = true;
  std::fprintf(stderr, "glorbs3d d3d8: %s%s%s\n", kTexts[which], detail.empty() ? "" : ": ", detail.c_str());
}

void DiagnoseOnce(Diagnostic which) {
  if (which >= DIAG_COUNT) return;
  if (said[which]) {
    ++counts[which];
    return;
  }
  Diagnose(which);
}

}  // namespace d3d8
