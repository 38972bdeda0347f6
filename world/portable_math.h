// SPDX-License-Identifier: MIT
// Sine and cosine for the rules of play, computed with nothing but IEEE
// arithmetic so that every build gets the same bits: the C libraries' sinf
// and cosf round differently (the web build's differs from the desktop's in
// a few per cent of angles), and a recorded game must replay the same
// everywhere. Both are the exact value rounded to float, but for a few
// angles in a billion and for angles beyond a million radians, where the
// answer is still the same in every build.
#pragma once

float PortableSin(float x);
float PortableCos(float x);
