// SPDX-License-Identifier: MIT
// Making and keeping the Direct3D device and every display object tied to it
// (render/display_objects.h): fonts, sprite textures, vertex buffers, the
// input configuration surface and the fixed render state; display-mode
// changes, presentation and the fatal start-up errors. All of it runs on
// the loop thread.
#pragma once

#include <d3d8.h>
#include <windows.h>

#include "render/display_objects.h"

enum FatalErrorCode {
  FATAL_NO_DIRECT3D = 1,    // Direct3DCreate8 returned nothing
  FATAL_NO_DEVICE = 2,      // device creation failed
  FATAL_NO_TEXTURES = 3,    // a sprite texture file is missing or unreadable
  FATAL_NO_MODELS = 4,      // a game model cannot be loaded
  FATAL_NO_D3D_OBJECT = 5,  // a vertex buffer or the configuration surface
  FATAL_NO_INPUT = 6,       // the input device manager cannot be created
};

// Creates the device and every display object for `window`; sets
// displayReady. E_FAIL after a fatal error box (everything is released).
HRESULT CreateDisplay(HWND window);
// After creation and every successful reset: fits a windowed window to a
// 640 x 480 client area, re-creates the device meshes, text buffers and the
// configuration surface, and sets camera transforms, material, light and
// the fixed render states. E_FAIL when the surface cannot be made (fatal
// error 5 has been shown then).
HRESULT PrepareDeviceState();
// Before every reset: releases what a reset would destroy. Returns S_OK.
HRESULT ReleaseVolatileObjects();
// Switches between windowed and full-screen display (width x height).
// Ignored (S_OK) while inactive, during a reset, or when the mode is already
// the one asked for. A failed reset or restore posts WM_CLOSE, E_FAIL.
HRESULT RequestDisplayMode(bool wantFullScreen, DWORD width, DWORD height);
// The reset of a lost device or a mode change: clears displayReady,
// releases the volatile objects, resets with presentParams, sets fullScreen,
// restores the device state and puts the camera's view back as it was
// before; displayReady again on success. A failed reset or restore posts
// WM_CLOSE to mainWindow and returns E_FAIL.
HRESULT ResetDisplay(bool fullScreenAfterReset);
// Presents the whole back buffer; nothing without a device.
void ShowBackBuffer();
// Frees the display list and releases everything above; safe to call twice.
void DestroyDisplay();
// Releases everything (ShutdownAll), shows the arrow cursor, traces the
// code's line and shows its box captioned "Glorbs3D" over mainWindow.
// Sets fatalErrorShown.
void ReportFatalError(FatalErrorCode code);
// True once a fatal error box has been shown: WinMain's return value does
// not say so, the Linux entry point turns it into exit status 1.
extern bool fatalErrorShown;
