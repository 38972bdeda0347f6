// SPDX-License-Identifier: MIT
// Entry points of our DirectMusic layer that DirectMusic itself does not
// have: its diagnostics, counted per kind so tests can tell which fired.
#pragma once

namespace dmusic {

#define DMUSIC_DIAGNOSTICS(X)                                             \
  X(DIAG_UNSUPPORTED_CALL, "a call or feature this layer does not offer") \
  X(DIAG_BAD_WAV, "a recording is not a usable WAV file")                 \
  X(DIAG_AUDIO_NOT_STARTED, "SDL's audio does not start")                 \
  X(DIAG_DEVICE_NOT_OPENED, "the sound device does not open")             \
  X(DIAG_NOT_DECODED, "the mixer cannot decode a recording")              \
  X(DIAG_NO_FREE_VOICE, "every voice is playing; a new sound was not started")

enum Diagnostic {
#define DMUSIC_ENUM(name, text) name,
  DMUSIC_DIAGNOSTICS(DMUSIC_ENUM)
#undef DMUSIC_ENUM
      DIAG_COUNT
};

// How often each diagnostic fired since the start or the last reset.
int DiagnosticCount(Diagnostic which);
void ResetDiagnostics();

}  // namespace dmusic
