// SPDX-License-Identifier: MIT
// Text conversion through the ANSI code page calls of the window layer.
#include "common/src/text_convert.h"

#include <algorithm>
#include <cstring>

namespace {

int WideLength(const WCHAR* wide) {
  int n = 0;
  while (wide[n]) ++n;
  return n;
}

}  // namespace

void AnsiToWide(WCHAR* wide, const char* ansi, int count) {
  if (!wide || !ansi) return;
  if (count == -1) count = static_cast<int>(std::strlen(ansi)) + 1;
  if (count < 1) return;
  // At most count - 1 characters; a count of 1 leaves room for the
  // terminator only (an output size of 0 would merely ask for the size).
  // A character that no longer fits whole (a surrogate pair here, several
  // bytes the other way) is left out; the cleared output keeps that gap
  // from showing old memory before the terminator.
  std::fill(wide, wide + count - 1, WCHAR(0));
  if (count > 1) MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide, count - 1);
  wide[count - 1] = 0;
}

void WideToAnsi(char* ansi, const WCHAR* wide, int count) {
  if (!ansi || !wide) return;
  if (count == -1) count = WideLength(wide) + 1;
  if (count < 1) return;
  std::fill(ansi, ansi + count - 1, '\0');
  if (count > 1) WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, count - 1, nullptr, nullptr);
  ansi[count - 1] = '\0';
}

void TextToWide(WCHAR* wide, const char* text, int count) {
  if (!wide || !text) return;
  AnsiToWide(wide, text, count);
}

void WideToText(char* text, const WCHAR* wide, int count) {
  if (!text || !wide) return;
  WideToAnsi(text, wide, count);
}

void CopyText(char* out, const char* in, int count) {
  if (!out || !in) return;
  if (count == -1) {
    std::strcpy(out, in);
  } else if (count > 0) {
    std::strncpy(out, in, static_cast<size_t>(count));
  }
}

void CopyAnsiText(char* out, const char* in, int count) {
  CopyText(out, in, count);
}
