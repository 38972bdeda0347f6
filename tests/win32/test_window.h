// SPDX-License-Identifier: MIT
// A window for tests of the window layer: its procedure records every
// message and can be told to swallow system commands.
#pragma once

#include <windows.h>

#include <vector>

struct SeenMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

struct TestWindow {
  HWND hwnd = nullptr;
  std::vector<SeenMessage> seen;
  bool swallowSysCommands = false;
  POINT minTrack = {0, 0};  // set by the procedure when not zero

  TestWindow(DWORD style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, int w = 640, int h = 480);
  ~TestWindow();
  bool Saw(UINT message) const;
  size_t Count(UINT message) const;
  // Dispatches everything that is waiting (WM_PAINT is validated by the
  // default procedure); returns the messages handed out.
  int Drain();
};

// Empties the queue of any leftover posted message and WM_QUIT.
void ClearQueue();
