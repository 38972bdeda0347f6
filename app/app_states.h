// SPDX-License-Identifier: MIT
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
// The picture of the current state on a usable device, presented: the game
// frame in play, the intro during the intro, nothing in the other states.
// DrawApplication and the window's repaint both draw through it.
void DrawCurrentState();
// Releases whatever exists and clears it; safe to call again.
void ShutdownAll();
