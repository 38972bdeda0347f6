// SPDX-License-Identifier: MIT
// WinMain, the main window's procedure and the message loop. While the
// program is active the loop polls and runs one update and one render step
// whenever the queue is empty; while inactive it blocks in GetMessageA.
#include "app/main_window.h"

#include <host/replay.h>

#include "app/app_globals.h"
#include "app/app_states.h"
#include "app/display.h"
#include "common/src/frame_timer.h"
#include "world/levels.h"

namespace {

const char kClassName[] = "GlorbsClass";
const char kWindowTitle[] = "Glorbs";

// System commands the game refuses, compared with the whole wParam: a move
// started by dragging the caption (SC_MOVE plus low bits) still goes on.
const WPARAM kSwallowedCommands[] = {SC_SIZE, SC_MOVE, SC_MAXIMIZE, SC_KEYMENU, SC_MONITORPOWER};

bool IsSwallowedCommand(WPARAM command) {
  for (WPARAM c : kSwallowedCommands) {
    if (c == command) return true;
  }
  return false;
}

void OnActivateApp(HWND window, bool active) {
  appActive = active;
  cursorShown = !active;
  FrameTimer(active ? TIMER_CMD_START : TIMER_CMD_STOP);
  // Activation arrives inside the GetMessageA of the inactive loop, which
  // would go back to waiting for the next key or mouse move: a message in
  // the queue lets it return, so frames resume at once.
  if (active) PostMessageA(window, WM_NULL, 0, 0);
}

void OnPaint() {
  if (appState == APP_SPLASH) {
    PaintSplash();
    return;
  }
  if (displayReady) DrawCurrentState();
}

void OnKeyDown(HWND window, WPARAM key) {
  if (appState != APP_SPLASH) return;
  if (key == VK_ESCAPE) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    displayReady = false;
    return;
  }
  DeleteObject(splashBitmap);
  splashBitmap = nullptr;
  appState = APP_LEVEL_START;
  FrameTimer(TIMER_CMD_START);
  BeginNextLevel();
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance) {
  WNDCLASSA wc = {};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(GLORBS_ICON_ID));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);
  return CreateWindowExA(0, kClassName, kWindowTitle, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, 0,
                         640, 480, nullptr, nullptr, instance, nullptr);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      ShutdownAll();
      PostQuitMessage(0);
      displayReady = false;
      break;
    case WM_PAINT:
      OnPaint();
      break;
    case WM_ACTIVATEAPP:
      OnActivateApp(window, wParam != 0);
      break;
    case WM_SETCURSOR:
      // The hit-test code is not consulted: a hidden cursor stays hidden
      // over the caption and the frame too.
      SetCursor(cursorShown || appState == APP_SPLASH ? LoadCursorA(nullptr, IDC_ARROW) : nullptr);
      return TRUE;
    case WM_GETMINMAXINFO:
      if (lParam) reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {320, 200};
      break;
    case WM_KEYDOWN:
      OnKeyDown(window, wParam);
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_RETURN) RequestDisplayMode(!fullScreen, screenWidth, screenHeight);  // Alt+Enter
      break;
    case WM_SYSCOMMAND:
      if (IsSwallowedCommand(wParam)) return 1;
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void PaintSplash() {
  RECT client = {};
  GetClientRect(mainWindow, &client);
  HDC windowDC = GetDC(mainWindow);
  HDC memoryDC = CreateCompatibleDC(nullptr);
  BITMAP picture = {};
  HGDIOBJ previous = splashBitmap ? SelectObject(memoryDC, splashBitmap) : nullptr;
  if (previous && GetObjectA(splashBitmap, sizeof(picture), &picture)) {
    StretchBlt(windowDC, 0, 0, client.right, client.bottom, memoryDC, 0, 0, picture.bmWidth, picture.bmHeight,
               SRCCOPY);
  } else {
    FillRect(windowDC, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  if (previous) SelectObject(memoryDC, previous);
  DeleteDC(memoryDC);
  ReleaseDC(mainWindow, windowDC);
}

bool LoopWaitsForMessages() {
  // The splash is a still picture until a key: stepping it would only burn a core.
  return !appActive || appState == APP_SPLASH;
}

int RunMessageLoop() {
  MSG msg = {};
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  while (msg.message != WM_QUIT) {
    BOOL fetched = LoopWaitsForMessages() ? GetMessageA(&msg, nullptr, 0, 0)
                                          : PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    if (fetched) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else if (displayReady) {
      StepApplication();
      DrawApplication();
      host::replay::FrameMark();
    }
  }
  return static_cast<int>(msg.wParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  mainWindow = CreateMainWindow(instance);
  if (!mainWindow) return 0;
  UpdateWindow(mainWindow);
  if (FAILED(StartupApplication(mainWindow))) {
    DestroyWindow(mainWindow);
    return 0;
  }
  return RunMessageLoop();
}
