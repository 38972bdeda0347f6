// SPDX-License-Identifier: MIT
// The menus inside the whole application: the real window, display, sound
// and input started as the program starts them, brought to play on the
// hand-turned clock; helpers give menu commands as the menu handler reads
// them, or type keys that go through the devices and the poll.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/app_fixture.h"
#include "app/app_globals.h"
#include "app/app_states.h"
#include "dinput8/test_events.h"
#include <host/host.h>
#include "input/menus.h"
#include "world/input_state.h"

namespace menus_test {

using namespace test_events;

struct MenuCommand {
  bool up = false, down = false, select = false, quit = false;
};
constexpr MenuCommand kUp = {true, false, false, false};
constexpr MenuCommand kDown = {false, true, false, false};
constexpr MenuCommand kSelect = {false, false, true, false};
constexpr MenuCommand kQuit = {false, false, false, true};

class MenuTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    InputState = InputStateRecord();
    screenWidth = 640;
    screenHeight = 480;
    ASSERT_EQ(StartupApplication(mainWindow), S_OK) << DebugText();
    appActive = true;  // mode changes are only made for the active program
  }

  // From start-up through the splash and the level intro into play.
  void ReachPlay() {
    StepApplication();  // the splash
    PressKey('X');      // level 1
    StepApplication();  // its sound and the clock reset
    ManualClock::Advance(1.5);
    StepApplication();
    ASSERT_EQ(appState, APP_PLAYING);
  }

  // One pass of the menu handler with these one-shot flags.
  static void Give(const MenuCommand& c) {
    InputState.menuUp = c.up;
    InputState.menuDown = c.down;
    InputState.menuSelect = c.select;
    InputState.menuQuit = c.quit;
    HandleMenuInput();
  }

  // One playing step whose poll acquires the devices (a new device table
  // is unacquired and drops what comes before), then a key pressed and
  // released, and the playing step that polls it.
  void TapAndStep(uint16_t hid) {
    ManualClock::Advance(0.02);
    StepApplication();
    Tap(hid);
    Pump();
    ManualClock::Advance(0.02);
    StepApplication();
  }

  // Takes a posted WM_CLOSE off the queue; true when there was one.
  static bool TakeClose() {
    MSG msg;
    return PeekMessageA(&msg, mainWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
  }

  static const char* Names(const MenuItem* menu, std::string& out) {
    out.clear();
    for (DWORD i = 0; i < menu->childCount; ++i) out += std::string(i ? "|" : "") + menu->children[i]->name;
    return out.c_str();
  }
};

}  // namespace menus_test
