// SPDX-License-Identifier: MIT
// The message queue: order, filters, WM_QUIT and WM_PAINT, and desktop
// events turned into messages (keys with their codes, activation, close,
// pointer, system commands).
#include <gtest/gtest.h>
#include <host/host.h>

#include "host_events.h"
#include "test_window.h"

namespace {

host::Event Key(uint16_t hid, bool down, uint16_t mods = 0) {
  return test_events::KeyEvent(hid, down, 0, mods);
}

host::Event Of(host::EventType type) {
  host::Event e;
  e.type = type;
  return e;
}

// The next posted message (WM_PAINT aside), or WM_NULL.
MSG NextPosted() {
  MSG msg = {};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message != WM_PAINT) return msg;
    ValidateRect(msg.hwnd, nullptr);
  }
  msg = {};
  return msg;
}

TEST(MessageQueue, PostedMessagesComeInOrderThenQuitThenPaint) {
  TestWindow w;
  ValidateRect(w.hwnd, nullptr);
  ClearQueue();
  PostMessageA(w.hwnd, WM_USER + 1, 1, 0);
  PostMessageA(nullptr, WM_USER + 2, 2, 0);  // a thread message
  PostMessageA(w.hwnd, WM_USER + 3, 3, 0);
  PostQuitMessage(7);
  InvalidateRect(w.hwnd, nullptr, FALSE);

  MSG msg = {};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));  // filtered out of order
  EXPECT_EQ(msg.wParam, 3u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(msg.hwnd, w.hwnd);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(DispatchMessageA(&msg), 0);  // nowhere to go, and no harm
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);

  // WM_PAINT is handed out until the window is validated, removed or not.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  DispatchMessageA(&msg);  // the default procedure validates
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, SendCallsTheProcedureAtOnce) {
  TestWindow w;
  w.seen.clear();
  EXPECT_EQ(SendMessageA(w.hwnd, WM_USER, 5, 6), 0);
  ASSERT_EQ(w.seen.size(), 1u);
  EXPECT_EQ(w.seen[0].wParam, 5u);
  EXPECT_EQ(SendMessageA(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0), 0);
}

TEST(DesktopEvents, KeysBecomeKeyMessagesWithVirtualKeyAndScanCodes) {
  TestWindow w;
  ClearQueue();
  host::InjectEvent(Key(host::HID_ESCAPE, true));
  MSG msg = NextPosted();
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_ESCAPE));
  EXPECT_EQ((msg.lParam >> 16) & 0xFF, 0x01);
  EXPECT_EQ(msg.lParam & 0xFFFF, 1);

  host::Event repeat = Key(host::HID_A, true);
  repeat.repeat = true;
  host::InjectEvent(repeat);
  msg = NextPosted();
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('A'));
  EXPECT_TRUE(msg.lParam & (1L << 30));

  host::InjectEvent(Key(host::HID_A, false));
  msg = NextPosted();
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYUP));
  EXPECT_TRUE(msg.lParam & (1L << 31));

  host::InjectEvent(Key(host::HID_RETURN, true, host::MOD_ALT));  // Alt+Enter
  msg = NextPosted();
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_SYSKEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_RETURN));
  EXPECT_TRUE(msg.lParam & (1L << 29));

  host::InjectEvent(Key(host::HID_UP, true));  // an extended key
  msg = NextPosted();
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_UP));
  EXPECT_TRUE(msg.lParam & (1L << 24));
}

TEST(DesktopEvents, EventsStillArriveAfterTheDesktopLayerRestarts) {
  host::Shutdown();
  TestWindow w;
  ASSERT_NE(w.hwnd, nullptr);
  host::InjectEvent(Key(host::HID_SPACE, true));
  MSG msg = NextPosted();
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_SPACE));
}

TEST(DesktopEvents, FocusChangesAreSentOnceEach) {
  TestWindow w;
  w.seen.clear();
  host::InjectEvent(Of(host::EventType::FocusLost));
  host::InjectEvent(Of(host::EventType::FocusLost));
  ClearQueue();
  ASSERT_EQ(w.Count(WM_ACTIVATEAPP), 1u);
  EXPECT_EQ(w.seen.back().wParam, static_cast<WPARAM>(FALSE));
  EXPECT_EQ(GetActiveWindow(), nullptr);
  host::InjectEvent(Of(host::EventType::FocusGained));
  ClearQueue();
  EXPECT_EQ(w.Count(WM_ACTIVATEAPP), 2u);
  EXPECT_EQ(GetActiveWindow(), w.hwnd);
}

TEST(DesktopEvents, CloseRequestPostsWmClose) {
  TestWindow w;
  host::InjectEvent(Of(host::EventType::Quit));
  w.Drain();
  EXPECT_TRUE(w.Saw(WM_CLOSE));
  EXPECT_FALSE(IsWindow(w.hwnd));
}

TEST(DesktopEvents, PointerMotionAsksForTheCursor) {
  TestWindow w;
  w.seen.clear();
  host::Event motion = Of(host::EventType::MouseMotion);
  motion.a = 10;
  motion.b = 20;
  host::InjectEvent(motion);
  host::InjectEvent(motion);
  w.Drain();
  ASSERT_TRUE(w.Saw(WM_SETCURSOR));
  EXPECT_EQ(LOWORD(w.seen[0].lParam), HTCLIENT);
  EXPECT_EQ(w.Count(WM_MOUSEMOVE), 1u);  // motion is coalesced
  EXPECT_NE(GetCursor(), nullptr);       // the class arrow, from the default procedure
}

TEST(DefaultProcedure, AltF4ClosesAndAltAloneOpensTheKeyboardMenu) {
  TestWindow w;
  w.seen.clear();
  host::InjectEvent(Key(host::HID_LALT, true, host::MOD_ALT));
  host::InjectEvent(Key(host::HID_LALT, false));
  w.Drain();
  ASSERT_TRUE(w.Saw(WM_SYSCOMMAND));
  bool keyMenu = false;
  for (const SeenMessage& m : w.seen) keyMenu |= m.message == WM_SYSCOMMAND && m.wParam == SC_KEYMENU;
  EXPECT_TRUE(keyMenu);

  host::InjectEvent(Key(host::HID_LALT, true, host::MOD_ALT));
  host::InjectEvent(Key(host::HID_F4, true, host::MOD_ALT));
  w.Drain();
  EXPECT_TRUE(w.Saw(WM_CLOSE));
  EXPECT_FALSE(IsWindow(w.hwnd));
}

TEST(DefaultProcedure, DesktopMaximiseReachesTheProcedureAsASystemCommand) {
  TestWindow w;
  w.swallowSysCommands = true;
  w.seen.clear();
  host::InjectEvent(Of(host::EventType::Maximized));
  w.Drain();
  ASSERT_TRUE(w.Saw(WM_SYSCOMMAND));
  EXPECT_EQ(w.seen[0].wParam, static_cast<WPARAM>(SC_MAXIMIZE));
  EXPECT_TRUE(IsWindow(w.hwnd));
}

}  // namespace
