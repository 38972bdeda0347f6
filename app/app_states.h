// The application's state machine: start-up, one update step and one render
// step per idle pass of the message loop, and the shut-down of everything.
#pragma once

#include <windows.h>

// Brings the game up behind `window`; the first failure is returned (its
// fatal error box has been shown by then).
HRESULT StartupApplication(HWND window);
// Advances the current state once; called by the loop while displayReady.
void StepApplication();
// Draws the current state; the loop ignores the result.
HRESULT DrawApplication();
// Releases whatever exists and clears it; safe to call again.
void ShutdownAll();
