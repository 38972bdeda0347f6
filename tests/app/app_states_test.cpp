// SPDX-License-Identifier: MIT
// The state machine on a hand-turned clock: start-up, the splash, the level
// start and its one-second intro, play and the cleared level, inactivity,
// the message loop's exit, and a missing splash picture.
#include <d3d8_glorbs.h>

#include <unistd.h>

#include "app/app_globals.h"
#include "app/app_states.h"
#include "app/main_window.h"
#include "app_fixture.h"
#include "common/src/frame_timer.h"
#include "world/game_object.h"
#include "world/game_state.h"

namespace {

using States = AppTest;

void StartLevelOne() {
  StartupApplication(mainWindow);
  StepApplication();
  SendMessageA(mainWindow, WM_KEYDOWN, 'X', 1);
}

// Leaves only the ship and its parts: the level counts as cleared.
void ClearTargets() {
  for (GameObject* o = DisplayList->next; o;) {
    GameObject* next = o->next;
    if (o->kind != KIND_SHIP_PART) FreeObject(o);
    o = next;
  }
}

uint64_t Draws() {
  return d3d8::GetCounters().draws;
}

TEST_F(States, StartupBuildsTheShipAndReadiesFrames) {
  ASSERT_EQ(StartupApplication(mainWindow), S_OK);
  EXPECT_EQ(appState, APP_STARTUP);
  EXPECT_TRUE(displayReady);
  ASSERT_NE(DisplayList, nullptr);
  EXPECT_EQ(static_cast<GameObject*>(PlayerShip), DisplayList);
  StepApplication();
  EXPECT_EQ(appState, APP_SPLASH);
  StepApplication();  // the splash waits for a key
  EXPECT_EQ(appState, APP_SPLASH);
  EXPECT_EQ(DrawApplication(), S_OK);
}

TEST_F(States, LevelStartThenOneSecondOfIntroThenPlay) {
  StartLevelOne();
  ASSERT_EQ(appState, APP_LEVEL_START);
  ManualClock::Advance(3.0);
  StepApplication();  // resets the clock
  EXPECT_EQ(appState, APP_LEVEL_INTRO);
  EXPECT_FLOAT_EQ(FrameTimer(TIMER_CMD_APPTIME), 0.0f);
  ManualClock::Advance(1.0);
  StepApplication();
  EXPECT_EQ(appState, APP_LEVEL_INTRO);  // exactly one second is not enough
  ManualClock::Advance(0.01);
  StepApplication();
  EXPECT_EQ(appState, APP_PLAYING);
}

TEST_F(States, TheIntroWaitsWhileTheProgramIsInactive) {
  StartLevelOne();
  StepApplication();
  SendMessageA(mainWindow, WM_ACTIVATEAPP, FALSE, 0);
  ManualClock::Advance(5.0);
  StepApplication();
  EXPECT_EQ(appState, APP_LEVEL_INTRO);
  SendMessageA(mainWindow, WM_ACTIVATEAPP, TRUE, 0);
  ManualClock::Advance(0.6);
  StepApplication();
  EXPECT_EQ(appState, APP_LEVEL_INTRO);
  ManualClock::Advance(0.6);
  StepApplication();
  EXPECT_EQ(appState, APP_PLAYING);
}

TEST_F(States, PlayGoesOnUntilTheLevelIsClearedThenStartsTheNext) {
  StartLevelOne();
  StepApplication();
  ManualClock::Advance(1.5);
  StepApplication();
  ASSERT_EQ(appState, APP_PLAYING);
  ManualClock::Advance(0.02);
  StepApplication();
  EXPECT_EQ(appState, APP_PLAYING);  // Glorbs are left
  EXPECT_EQ(Level, 1u);
  ClearTargets();
  ManualClock::Advance(0.02);
  StepApplication();
  EXPECT_EQ(appState, APP_LEVEL_START);
  EXPECT_EQ(Level, 2u);
}

// Direct3D draws play and the level intro only; the splash stays as GDI
// painted it, and the start and level-start states draw nothing.
TEST_F(States, OnlyPlayAndTheIntroAreDrawn) {
  ASSERT_EQ(StartupApplication(mainWindow), S_OK);
  const struct {
    AppState state;
    bool drawn;
  } kCases[] = {{APP_STARTUP, false},
                {APP_SPLASH, false},
                {APP_LEVEL_START, false},
                {APP_PLAYING, true},
                {APP_LEVEL_INTRO, true}};
  for (const auto& c : kCases) {
    appState = c.state;
    const uint64_t before = Draws();
    EXPECT_EQ(DrawApplication(), S_OK);
    EXPECT_EQ(Draws() > before, c.drawn) << "state " << c.state;
  }
}

// An active loop steps and renders whenever the queue is empty: clearing
// level 2 begins level 3, whose WM_CLOSE the next pass dispatches.
TEST_F(States, AnIdleActiveLoopStepsUntilTheThirdLevelClosesTheProgram) {
  ASSERT_EQ(StartupApplication(mainWindow), S_OK);
  Pump();
  appActive = true;
  appState = APP_PLAYING;
  Level = 2;
  ClearTargets();
  alarm(60);  // a loop that never steps would never end
  EXPECT_EQ(RunMessageLoop(), 0);
  alarm(0);
  EXPECT_EQ(Level, 3u);
  EXPECT_EQ(appState, APP_LEVEL_START);
  EXPECT_FALSE(IsWindow(mainWindow));
}

TEST_F(States, ShutdownTwiceIsHarmless) {
  StartupApplication(mainWindow);
  ShutdownAll();
  EXPECT_EQ(DisplayList, nullptr);
  ShutdownAll();
  EXPECT_EQ(DisplayList, nullptr);
}

TEST_F(States, TheLoopEndsWithTheQuitCode) {
  StartupApplication(mainWindow);
  appActive = true;
  PostMessageA(mainWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_FALSE(IsWindow(mainWindow));
  EXPECT_FALSE(displayReady);
}

class NoSplash : public AppTest {
 protected:
  NoSplash() { withSplash = false; }
};

TEST_F(NoSplash, AMissingSplashPictureLeavesABlackWindowThatStillTakesKeys) {
  StartupApplication(mainWindow);
  StepApplication();
  EXPECT_EQ(appState, APP_SPLASH);
  EXPECT_EQ(splashBitmap, nullptr);
  EXPECT_NE(DebugText().find("splash"), std::string::npos);
  SendMessageA(mainWindow, WM_PAINT, 0, 0);  // paints black, no crash
  SendMessageA(mainWindow, WM_KEYDOWN, VK_SPACE, 1);
  EXPECT_EQ(appState, APP_LEVEL_START);
}

class DamagedSplash : public AppTest {
 protected:
  DamagedSplash() { damagedSplash = true; }
};

TEST_F(DamagedSplash, ADamagedSplashPictureIsRefusedWithAReason) {
  StartupApplication(mainWindow);
  StepApplication();
  EXPECT_EQ(appState, APP_SPLASH);
  EXPECT_EQ(splashBitmap, nullptr);
  EXPECT_NE(DebugText().find("damaged"), std::string::npos);
  SendMessageA(mainWindow, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_FALSE(displayReady);
}

// Only play and the level's start and intro step on an empty queue; the
// splash, a still picture until a key, sleeps in GetMessage like an
// inactive program instead of spinning a core.
TEST_F(States, TheSplashAndAnInactiveProgramWaitForMessages) {
  const struct {
    AppState state;
    bool active, waits;
  } kCases[] = {{APP_SPLASH, true, true},   {APP_SPLASH, false, true},      {APP_PLAYING, true, false},
                {APP_PLAYING, false, true}, {APP_LEVEL_START, true, false}, {APP_LEVEL_INTRO, true, false},
                {APP_STARTUP, true, false}};
  for (const auto& c : kCases) {
    appState = c.state;
    appActive = c.active;
    EXPECT_EQ(LoopWaitsForMessages(), c.waits) << "state " << c.state << " active " << c.active;
  }
}

}  // namespace
