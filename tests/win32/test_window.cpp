// SPDX-License-Identifier: MIT
// The recording test window.
#include "test_window.h"

namespace {

TestWindow* current = nullptr;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (current) {
    current->seen.push_back({message, wParam, lParam});
    if (message == WM_SYSCOMMAND && current->swallowSysCommands) return 1;
    if (message == WM_GETMINMAXINFO && current->minTrack.x)
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = current->minTrack;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

void ClearQueue() {
  MSG msg;
  for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) DispatchMessageA(&msg);
}

TestWindow::TestWindow(DWORD style, int w, int h) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "TestClass";
    registered = RegisterClassA(&wc) != 0;
  }
  current = this;
  hwnd = CreateWindowExA(0, "TestClass", "Test", style, 0, 0, w, h, nullptr, nullptr, nullptr, nullptr);
}

TestWindow::~TestWindow() {
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  ClearQueue();
  current = nullptr;
}

bool TestWindow::Saw(UINT message) const {
  return Count(message) > 0;
}

size_t TestWindow::Count(UINT message) const {
  size_t n = 0;
  for (const SeenMessage& m : seen) n += m.message == message;
  return n;
}

int TestWindow::Drain() {
  MSG msg;
  int n = 0;
  for (; n < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++n) DispatchMessageA(&msg);
  return n;
}
