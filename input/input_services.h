// SPDX-License-Identifier: MIT
// What the input side (the menus and the start of input) asks of the
// application above it: its window, its display state, switching display
// modes, presenting, the arrow cursor and the fatal error of a missing
// input device manager. The application fills the table at start-up
// (app/input_wiring.h); until then every service does nothing.
#pragma once

#include <windows.h>

struct InputServices {
  HWND (*mainWindow)();                             // owns the configuration window, takes the close request
  bool (*fullScreen)();                             // the device runs full screen
  bool (*playing)();                                // the application is in its playing state
  void (*screenSize)(DWORD* width, DWORD* height);  // the last full-screen resolution
  void (*showCursor)(bool shown);                   // the arrow over the window
  HRESULT (*requestDisplayMode)(bool fullScreen, DWORD width, DWORD height);
  void (*present)();        // shows the whole back buffer
  void (*reportNoInput)();  // the fatal error box: no input device manager
};

extern InputServices inputServices;
