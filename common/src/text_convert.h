// SPDX-License-Identifier: MIT
// Conversions between the 8-bit text of the game (UTF-8 here) and the
// UTF-16 text of the wide interfaces. `count` is the size of the output in
// characters, terminator included; -1 takes the input's length plus one.
// The output is always terminated at index count - 1 at the latest; a null
// pointer, or a count below 1, writes nothing.
#pragma once

#include <windows.h>

void AnsiToWide(WCHAR* wide, const char* ansi, int count);
void WideToAnsi(char* ansi, const WCHAR* wide, int count);
void TextToWide(WCHAR* wide, const char* text, int count);
void WideToText(char* text, const WCHAR* wide, int count);

// Bounded copies of 8-bit text, the C library's way: count -1 copies the
// whole string and its terminator; any other positive count copies at most
// count characters and adds no terminator when the input is that long.
// Two names, one behaviour: text to 8-bit and 8-bit to text.
void CopyText(char* out, const char* in, int count);
void CopyAnsiText(char* out, const char* in, int count);
