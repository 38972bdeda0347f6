// SPDX-License-Identifier: MIT
// The program's entry point, its one window and the message loop that drives
// the state machine whenever no message waits.
#pragma once

#include <windows.h>

#define GLORBS_ICON_ID 101

// Registers "GlorbsClass" (the result is ignored: a second registration in
// the same process fails harmlessly) and creates the window "Glorbs" at
// (0, 0) with an outer size of 640 x 480. Null on failure.
HWND CreateMainWindow(HINSTANCE instance);
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Runs until WM_QUIT and returns its wParam.
int RunMessageLoop();
// True when the loop sleeps until a message comes instead of stepping and
// drawing whenever the queue is empty: while inactive, and on the splash.
bool LoopWaitsForMessages();
// Stretches splashBitmap over the whole client area of mainWindow (black
// when there is no splash picture).
void PaintSplash();
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
