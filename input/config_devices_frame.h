// SPDX-License-Identifier: MIT
// The game frame behind the device configuration window in full-screen
// display, where the window cannot show itself: the game and its open menu
// drawn, the window's picture laid over them, presented.
#pragma once

#include <windows.h>

// Given to the configuration window in full-screen display: draws the game
// frame with the open menu, centres the window's 640 x 480 image from
// `target` on the back buffer and presents. Always TRUE (keep going).
BOOL CALLBACK ConfigureDevicesCallback(IUnknown* target, LPVOID reference);
