// SPDX-License-Identifier: MIT
// The Win32 layer's own diagnostics: what it says on the debugger output
// when a call is refused or asks for what it does not offer, counted per
// kind so tests can tell which fired.
#pragma once

namespace win32 {

#define WIN32_DIAGNOSTICS(X)                                                              \
  X(DIAG_SECOND_WINDOW, "only one top-level window exists; another was refused")          \
  X(DIAG_TEXT_NOT_STARTED, "FreeType or fontconfig could not start; no text is drawn")    \
  X(DIAG_FONT_FILE_NOT_OPENED, "a bundled font file could not be opened")                 \
  X(DIAG_UNSUPPORTED_ROP, "a raster operation other than a copy was asked of StretchBlt") \
  X(DIAG_UNSUPPORTED_MAP_MODE, "a mapping mode other than MM_TEXT was asked")             \
  X(DIAG_BRUSH_NOT_DESCRIBED, "GetObjectA was asked to describe a brush")                 \
  X(DIAG_UNSUPPORTED_DIB_SECTION, "a DIB section of a format or size not offered")        \
  X(DIAG_BITMAP_NOT_FOUND, "a bitmap resource was not found")                             \
  X(DIAG_DAMAGED_BITMAP, "a bitmap file or resource is damaged")                          \
  X(DIAG_DAMAGED_ICON, "an icon resource is damaged")

enum Diagnostic {
#define WIN32_ENUM(name, text) name,
  WIN32_DIAGNOSTICS(WIN32_ENUM)
#undef WIN32_ENUM
      DIAG_COUNT
};

// How often each diagnostic fired since the start or the last reset.
int DiagnosticCount(Diagnostic which);
void ResetDiagnostics();

}  // namespace win32
