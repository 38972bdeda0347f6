// SPDX-License-Identifier: MIT
// Entry points of our DirectInput layer that DirectInput itself does not
// have: its diagnostics, counted per kind so tests can tell which fired, and
// where the user's saved maps live.
#pragma once

#include <string>

namespace dinput8 {

#define DINPUT8_DIAGNOSTICS(X)                                                   \
  X(DIAG_USER_MAP_DAMAGED, "a saved map could not be read; defaults were used")  \
  X(DIAG_USER_MAP_NOT_SAVED, "a map could not be saved")                         \
  X(DIAG_UNSUPPORTED_CALL, "a call or property this layer does not offer")       \
  X(DIAG_BUFFER_OVERFLOW, "a device buffer was full; newer events were dropped") \
  X(DIAG_BAD_TARGET, "the configuration target surface could not be used")

enum Diagnostic {
#define DINPUT8_ENUM(name, text) name,
  DINPUT8_DIAGNOSTICS(DINPUT8_ENUM)
#undef DINPUT8_ENUM
      DIAG_COUNT
};

// How often each diagnostic fired since the start or the last reset.
int DiagnosticCount(Diagnostic which);
void ResetDiagnostics();

// The folder of the saved maps ($XDG_CONFIG_HOME/glorbs3d or
// ~/.config/glorbs3d); "" when the environment names neither.
std::string SavedMapDirectory();
// Maps that could not be saved are kept in memory for the rest of the run;
// this forgets them (a test's fresh start).
void ForgetUnsavedMaps();

}  // namespace dinput8
