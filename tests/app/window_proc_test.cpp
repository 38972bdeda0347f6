// SPDX-License-Identifier: MIT
// The main window's procedure, row by row: destruction, painting, activation,
// cursor, size limit, keys on the splash and elsewhere, system commands.
#include <d3d8_glorbs.h>
#include <host/host.h>

#include "app/app_globals.h"
#include "app/app_states.h"
#include "app/display.h"
#include "app/main_window.h"
#include "app_fixture.h"
#include "common/src/frame_timer.h"
#include "world/game_object.h"
#include "world/game_state.h"
#include "world/random.h"
#include "world/levels.h"

#include <unistd.h>

#include <cstdlib>

namespace {

struct Shown {
  int calls = 0;
  int w = 0, h = 0;
  std::vector<uint32_t> pixels;
  static void Take(const host::Picture& p, void* user) {
    auto* s = static_cast<Shown*>(user);
    s->calls++;
    s->w = p.w;
    s->h = p.h;
    s->pixels.assign(p.pixels, p.pixels + p.h * p.pitch / 4);
  }
  uint32_t At(int x, int y) const { return pixels[y * w + x] & 0xFFFFFF; }
};

bool QuitPosted(WPARAM* code) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return *code = msg.wParam, true;
  }
  return false;
}

using WindowProc = AppTest;

TEST_F(WindowProc, DestroyShutsDownPostsQuitAndStopsFrames) {
  StartupApplication(mainWindow);
  ASSERT_NE(DisplayList, nullptr);
  ASSERT_TRUE(displayReady);
  DestroyWindow(mainWindow);
  EXPECT_EQ(DisplayList, nullptr);
  EXPECT_FALSE(displayReady);
  WPARAM code = 99;
  EXPECT_TRUE(QuitPosted(&code));
  EXPECT_EQ(code, 0u);
}

TEST_F(WindowProc, PaintOnTheSplashStretchesThePictureOverTheClientArea) {
  StartupApplication(mainWindow);
  Shown shown;
  host::SetPicturePresenter(Shown::Take, &shown);
  StepApplication();  // loads the splash and sends WM_PAINT
  host::SetPicturePresenter(nullptr, nullptr);
  ASSERT_EQ(appState, APP_SPLASH);
  ASSERT_NE(splashBitmap, nullptr);
  ASSERT_EQ(shown.calls, 1);
  RECT client = {};
  GetClientRect(mainWindow, &client);
  EXPECT_EQ(shown.w, client.right);
  EXPECT_EQ(shown.h, client.bottom);
  EXPECT_EQ(shown.At(0, 0), 0xFF0000u);
  EXPECT_EQ(shown.At(shown.w / 2 - 1, shown.h - 1), 0xFF0000u);
  EXPECT_EQ(shown.At(shown.w / 2 + 1, 0), 0x0000FFu);
  EXPECT_EQ(shown.At(shown.w - 1, shown.h - 1), 0x0000FFu);

  // Outside the splash, painting does not touch the picture.
  appState = APP_PLAYING;
  host::SetPicturePresenter(Shown::Take, &shown);
  SendMessageA(mainWindow, WM_PAINT, 0, 0);
  host::SetPicturePresenter(nullptr, nullptr);
  EXPECT_EQ(shown.calls, 1);
}

TEST_F(WindowProc, PaintOutsideTheSplashDrawsTheGameWhileTheDisplayIsReady) {
  ASSERT_EQ(StartupApplication(mainWindow), S_OK);
  // Not before the splash: start-up paints no game frame.
  ASSERT_EQ(appState, APP_STARTUP);
  uint64_t before = d3d8::GetCounters().draws;
  SendMessageA(mainWindow, WM_PAINT, 0, 0);
  EXPECT_EQ(d3d8::GetCounters().draws, before);
  appState = APP_PLAYING;
  before = d3d8::GetCounters().draws;
  SendMessageA(mainWindow, WM_PAINT, 0, 0);
  EXPECT_GT(d3d8::GetCounters().draws, before);
  displayReady = false;  // during a reset, say
  before = d3d8::GetCounters().draws;
  SendMessageA(mainWindow, WM_PAINT, 0, 0);
  EXPECT_EQ(d3d8::GetCounters().draws, before);
}

// A repaint shows what the render step would show in the same state: the
// intro during the intro, nothing at the level start or before the splash.
TEST_F(WindowProc, PaintDrawsWhatTheRenderStepDrawsInEveryState) {
  ASSERT_EQ(StartupApplication(mainWindow), S_OK);
  BeginNextLevel();
  for (AppState state : {APP_STARTUP, APP_LEVEL_START, APP_LEVEL_INTRO, APP_PLAYING}) {
    appState = state;
    SeedRandom(3);  // the intro's glow is scattered with the game's random numbers
    uint64_t before = d3d8::GetCounters().draws;
    DrawApplication();
    const uint64_t stepDraws = d3d8::GetCounters().draws - before;
    const std::vector<uint32_t> stepPicture = BackBufferPixels();
    SeedRandom(3);
    before = d3d8::GetCounters().draws;
    SendMessageA(mainWindow, WM_PAINT, 0, 0);
    EXPECT_EQ(d3d8::GetCounters().draws - before, stepDraws) << "state " << state;
    EXPECT_TRUE(BackBufferPixels() == stepPicture) << "state " << state;
  }
}

// While inactive the loop blocks in GetMessageA. Regaining the focus is
// delivered inside that wait; it must leave a message behind, or the wait
// goes on until the next key or mouse move and the game stays frozen.
TEST_F(WindowProc, RegainingTheFocusWakesTheWaitingLoop) {
  ASSERT_EQ(StartupApplication(mainWindow), S_OK);
  host::Event focus;
  focus.type = host::EventType::FocusLost;
  host::InjectEvent(focus);
  Pump();
  ASSERT_FALSE(appActive);
  focus.type = host::EventType::FocusGained;
  host::InjectEvent(focus);
  MSG msg = {};
  // The one pass of the queue a waiting GetMessageA makes when the desktop
  // wakes it: it delivers the activation and must then find a message.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(appActive);
  DispatchMessageA(&msg);

  // The real loop, inactive, on level 2 with nothing left: once the focus
  // is back it runs frames on its own until the third level closes it.
  focus.type = host::EventType::FocusLost;
  host::InjectEvent(focus);
  Pump();
  ASSERT_FALSE(appActive);
  appState = APP_PLAYING;
  Level = 2;
  for (GameObject* o = DisplayList->next; o; o = o->next)
    if (o->kind != KIND_SHIP_PART) o = FreeObjectStepBack(o);
  focus.type = host::EventType::FocusGained;
  host::InjectEvent(focus);
  alarm(60);  // a loop left waiting would never end
  EXPECT_EQ(RunMessageLoop(), 0);
  alarm(0);
  EXPECT_EQ(Level, 3u);
  EXPECT_FALSE(IsWindow(mainWindow));
}

TEST_F(WindowProc, ActivationRunsAndStopsTheClockAndTheCursor) {
  FrameTimer(TIMER_CMD_RESET);
  SendMessageA(mainWindow, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_FALSE(appActive);
  EXPECT_TRUE(cursorShown);
  ManualClock::Advance(5.0);
  EXPECT_FLOAT_EQ(FrameTimer(TIMER_CMD_APPTIME), 0.0f);
  SendMessageA(mainWindow, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_TRUE(appActive);
  EXPECT_FALSE(cursorShown);
  ManualClock::Advance(0.5);
  EXPECT_FLOAT_EQ(FrameTimer(TIMER_CMD_APPTIME), 0.5f);
}

TEST_F(WindowProc, CursorIsHiddenOnlyDuringActivePlay) {
  appState = APP_PLAYING;
  cursorShown = false;
  LPARAM overCaption = MAKELPARAM(HTCAPTION, WM_MOUSEMOVE);  // the hit test does not matter
  EXPECT_EQ(SendMessageA(mainWindow, WM_SETCURSOR, 0, overCaption), TRUE);
  EXPECT_EQ(GetCursor(), nullptr);
  appState = APP_SPLASH;
  SendMessageA(mainWindow, WM_SETCURSOR, 0, overCaption);
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
  appState = APP_PLAYING;
  cursorShown = true;
  SetCursor(nullptr);
  SendMessageA(mainWindow, WM_SETCURSOR, 0, overCaption);
  EXPECT_NE(GetCursor(), nullptr);
}

TEST_F(WindowProc, MinimumTrackingSizeIs320By200) {
  MINMAXINFO info = {};
  info.ptMinTrackSize = {1, 1};
  SendMessageA(mainWindow, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 320);
  EXPECT_EQ(info.ptMinTrackSize.y, 200);
  // Applied to the real window: it cannot be made smaller.
  SetWindowPos(mainWindow, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
  RECT r = {};
  GetWindowRect(mainWindow, &r);
  EXPECT_EQ(r.right - r.left, 320);
  EXPECT_EQ(r.bottom - r.top, 200);
}

TEST_F(WindowProc, EscapeOnTheSplashClosesTheProgram) {
  StartupApplication(mainWindow);
  StepApplication();
  EXPECT_EQ(SendMessageA(mainWindow, WM_KEYDOWN, VK_ESCAPE, 1), 0);
  EXPECT_FALSE(displayReady);
  EXPECT_EQ(appState, APP_SPLASH);
  WPARAM code = 99;
  bool quit = false;
  MSG msg;
  for (int i = 0; i < 100 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) quit = true, code = msg.wParam;
    DispatchMessageA(&msg);
  }
  EXPECT_FALSE(IsWindow(mainWindow));
  EXPECT_TRUE(quit);
  EXPECT_EQ(code, 0u);
}

TEST_F(WindowProc, AnyOtherKeyOnTheSplashStartsLevelOne) {
  StartupApplication(mainWindow);
  StepApplication();
  SendMessageA(mainWindow, WM_ACTIVATEAPP, FALSE, 0);  // the timer is stopped...
  ASSERT_NE(splashBitmap, nullptr);
  Level = 0;
  EXPECT_EQ(SendMessageA(mainWindow, WM_KEYDOWN, 'A', 1), 0);
  EXPECT_EQ(appState, APP_LEVEL_START);
  EXPECT_EQ(splashBitmap, nullptr);
  EXPECT_EQ(Level, 1u);
  EXPECT_TRUE(displayReady);
  ManualClock::Advance(1.0);  // ...and the key started it again
  EXPECT_GT(FrameTimer(TIMER_CMD_APPTIME), 0.5f);
}

TEST_F(WindowProc, KeysOutsideTheSplashAreIgnored) {
  StartupApplication(mainWindow);
  for (AppState state : {APP_STARTUP, APP_PLAYING, APP_LEVEL_START, APP_LEVEL_INTRO}) {
    appState = state;
    EXPECT_EQ(SendMessageA(mainWindow, WM_KEYDOWN, VK_ESCAPE, 1), 0);
    EXPECT_EQ(SendMessageA(mainWindow, WM_KEYDOWN, VK_SPACE, 1), 0);
    EXPECT_EQ(appState, state);
    EXPECT_TRUE(displayReady);
  }
  Pump();
  EXPECT_TRUE(IsWindow(mainWindow));
}

TEST_F(WindowProc, SystemCommandsAreSwallowedOnlyOnExactValues) {
  for (WPARAM command : {SC_SIZE, SC_MOVE, SC_MAXIMIZE, SC_KEYMENU, SC_MONITORPOWER})
    EXPECT_EQ(SendMessageA(mainWindow, WM_SYSCOMMAND, command, 0), 1) << command;
  // A move by dragging the caption carries low bits: it goes on.
  EXPECT_EQ(SendMessageA(mainWindow, WM_SYSCOMMAND, SC_MOVE + 2, 0), 0);
  EXPECT_EQ(SendMessageA(mainWindow, WM_SYSCOMMAND, SC_MONITORPOWER + 1, 0), 0);
  EXPECT_TRUE(IsWindow(mainWindow));
  SendMessageA(mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);  // not swallowed: closes
  EXPECT_FALSE(IsWindow(mainWindow));
}

TEST_F(WindowProc, CloseIsLeftToTheDefaultProcedure) {
  StartupApplication(mainWindow);
  PostMessageA(mainWindow, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindow(mainWindow));
  EXPECT_EQ(DisplayList, nullptr);
}

}  // namespace
