// SPDX-License-Identifier: MIT
// The window model: frame and client rectangles, style changes as the
// display fits the window, the minimum tracking size, creation and
// destruction.
#include <gtest/gtest.h>
#include <host/host.h>
#include <win32/diagnostics.h>

#include "test_window.h"

namespace {

RECT Client(HWND hwnd) {
  RECT r = {};
  GetClientRect(hwnd, &r);
  return r;
}

RECT Outer(HWND hwnd) {
  RECT r = {};
  GetWindowRect(hwnd, &r);
  return r;
}

TEST(WindowFrame, OuterSizeAtCreationLeavesTheFrameOutOfTheClientArea) {
  TestWindow w;
  ASSERT_NE(w.hwnd, nullptr);
  RECT outer = Outer(w.hwnd), client = Client(w.hwnd);
  EXPECT_EQ(outer.left, 0);
  EXPECT_EQ(outer.top, 0);
  EXPECT_EQ(outer.right - outer.left, 640);
  EXPECT_EQ(outer.bottom - outer.top, 480);
  EXPECT_EQ(client.right, 634);   // fixed frame of 3 on each side
  EXPECT_EQ(client.bottom, 451);  // caption 23 and frame 3 above, 3 below

  // The client area in desktop terms, grown by AdjustWindowRectEx, is the window.
  POINT origin = {0, 0};
  ClientToScreen(w.hwnd, &origin);
  RECT grown = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  AdjustWindowRectEx(&grown, GetWindowLongA(w.hwnd, GWL_STYLE), GetMenu(w.hwnd) != nullptr,
                     GetWindowLongA(w.hwnd, GWL_EXSTYLE));
  EXPECT_EQ(grown.left, outer.left);
  EXPECT_EQ(grown.top, outer.top);
  EXPECT_EQ(grown.right, outer.right);
  EXPECT_EQ(grown.bottom, outer.bottom);
  host::Rect area = host::GetClientArea();
  EXPECT_EQ(area.w, 634);
  EXPECT_EQ(area.h, 451);
}

TEST(WindowFrame, FittingForWindowedDisplayGivesA640By480ClientArea) {
  TestWindow w;
  DWORD style = static_cast<DWORD>(GetWindowLongA(w.hwnd, GWL_STYLE));
  EXPECT_TRUE(style & WS_POPUP);
  style = (style & ~WS_POPUP) | WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX;
  SetWindowLongA(w.hwnd, GWL_STYLE, static_cast<LONG>(style));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(w.hwnd, GWL_STYLE)), style);

  RECT r = {0, 0, 640, 480};
  AdjustWindowRectEx(&r, style, GetMenu(w.hwnd) != nullptr, GetWindowLongA(w.hwnd, GWL_EXSTYLE));
  EXPECT_EQ(r.right - r.left, 656);
  EXPECT_EQ(r.bottom - r.top, 519);
  SetWindowPos(w.hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client = Client(w.hwnd);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  EXPECT_EQ(host::GetClientArea().w, 640);
  EXPECT_EQ(host::GetClientArea().h, 480);

  RECT before = Outer(w.hwnd);
  SetWindowPos(w.hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RECT after = Outer(w.hwnd);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  EXPECT_EQ(after.top, before.top);

  // Moving puts the outer corner where asked; the client area follows.
  SetWindowPos(w.hwnd, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(Outer(w.hwnd).left, 40);
  EXPECT_EQ(Outer(w.hwnd).top, 30);
  POINT p = {0, 0};
  ClientToScreen(w.hwnd, &p);
  EXPECT_EQ(p.x, 48);
  EXPECT_EQ(p.y, 30 + 8 + 23);
  EXPECT_TRUE(w.Saw(WM_SIZE));
}

TEST(WindowFrame, WorkAreaIsReported) {
  TestWindow w;
  RECT work = {};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_GT(work.right - work.left, 0);
  EXPECT_GT(work.bottom - work.top, 0);
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETWORKAREA, 0, nullptr, 0));
}

TEST(WindowFrame, MinimumTrackingSizeBoundsResizing) {
  TestWindow w(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  w.minTrack = {320, 200};
  SetWindowLongA(w.hwnd, GWL_STYLE, GetWindowLongA(w.hwnd, GWL_STYLE));  // asks for the limits again
  EXPECT_TRUE(w.Saw(WM_GETMINMAXINFO));
  SetWindowPos(w.hwnd, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
  RECT outer = Outer(w.hwnd);
  EXPECT_EQ(outer.right - outer.left, 320);
  EXPECT_EQ(outer.bottom - outer.top, 200);
}

TEST(WindowLife, CreationSendsItsMessagesAndActivates) {
  TestWindow w;
  ASSERT_GE(w.seen.size(), 4u);
  EXPECT_EQ(w.seen[0].message, static_cast<UINT>(WM_GETMINMAXINFO));
  EXPECT_EQ(w.seen[1].message, static_cast<UINT>(WM_NCCREATE));
  EXPECT_EQ(w.seen[2].message, static_cast<UINT>(WM_CREATE));
  EXPECT_EQ(w.seen[3].message, static_cast<UINT>(WM_ACTIVATEAPP));
  EXPECT_EQ(w.seen[3].wParam, static_cast<WPARAM>(TRUE));
  char title[16] = {};
  EXPECT_EQ(GetWindowTextA(w.hwnd, title, sizeof(title)), 4);
  EXPECT_STREQ(title, "Test");
}

TEST(WindowLife, OnlyOneTopLevelWindowAtATime) {
  win32::ResetDiagnostics();
  TestWindow first;
  ASSERT_NE(first.hwnd, nullptr);
  HWND second =
      CreateWindowExA(0, "TestClass", "Two", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(win32::DiagnosticCount(win32::DIAG_SECOND_WINDOW), 1);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

TEST(WindowLife, CloseThroughTheDefaultProcedureDestroysTheWindow) {
  TestWindow w;
  ASSERT_TRUE(PostMessageA(w.hwnd, WM_CLOSE, 0, 0));
  PostMessageA(w.hwnd, WM_USER, 0, 0);  // dropped with the window
  w.Drain();
  EXPECT_TRUE(w.Saw(WM_CLOSE));
  EXPECT_TRUE(w.Saw(WM_DESTROY));
  EXPECT_TRUE(w.Saw(WM_NCDESTROY));
  EXPECT_FALSE(w.Saw(WM_USER));
  EXPECT_FALSE(IsWindow(w.hwnd));
  EXPECT_FALSE(host::MainWindowExists());
  EXPECT_FALSE(PostMessageA(w.hwnd, WM_USER, 0, 0));
  EXPECT_FALSE(DestroyWindow(w.hwnd));
}

}  // namespace
