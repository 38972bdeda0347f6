// SPDX-License-Identifier: MIT
// The application's global flags and its state, shared by the window
// procedure, the state machine, the display and the menus. One instance
// each, defined in app/app_states.cpp, alive for the whole process.
#pragma once

#include <windows.h>

enum AppState {
  APP_STARTUP = 0,      // start-up finished, splash not yet loaded
  APP_SPLASH = 1,       // the splash picture is shown by GDI, waiting for a key
  APP_PLAYING = 2,      // input, update, collisions, menus
  APP_LEVEL_START = 3,  // one step: the level sound, the timer reset
  APP_LEVEL_INTRO = 4,  // the level intro, for one second of application time
};

extern HWND mainWindow;
extern AppState appState;
extern bool appActive;        // set from WM_ACTIVATEAPP
extern bool fullScreen;       // the device runs full screen; start is always windowed
extern bool displayReady;     // the loop runs frames only while this is set
extern HBITMAP splashBitmap;  // from loading until the first key on the splash
extern DWORD screenWidth;     // the last full-screen resolution
extern DWORD screenHeight;
extern bool cursorShown;  // show the arrow over the window
