// SPDX-License-Identifier: MIT
// The game's action formats, and PollInput turning scripted keys, mouse
// motion and controller input into the exact InputState fields.
#include "input_fixture.h"

namespace input_test {
namespace {

TEST_F(InputTest, TheTwoFormatsAreFilledAsTheGameDefinesThem) {
  StartInput();
  const DIACTIONFORMATA* formats[] = {&gameActionFormat, &menuActionFormat};
  for (const DIACTIONFORMATA* f : formats) {
    EXPECT_EQ(f->dwSize, sizeof(DIACTIONFORMATA));
    EXPECT_EQ(f->dwActionSize, sizeof(DIACTIONA));
    EXPECT_EQ(f->dwDataSize, f->dwNumActions * 4);
    EXPECT_EQ(f->dwBufferSize, 16u);
    EXPECT_EQ(f->lAxisMin, -10);
    EXPECT_EQ(f->lAxisMax, 10);
    EXPECT_EQ(f->guidActionMap.Data1, 0x451F8CCCu);
    EXPECT_EQ(f->guidActionMap.Data4[7], 0x33);
    EXPECT_EQ(f->hInstString, nullptr);
    EXPECT_EQ(f->dwCRC, 0u);
  }
  EXPECT_EQ(gameActionFormat.dwNumActions, 30u);
  EXPECT_EQ(gameActionFormat.dwGenre, 0x07000000u);
  EXPECT_STREQ(gameActionFormat.tszActionMap, "Glorbs3D New");
  EXPECT_EQ(menuActionFormat.dwNumActions, 16u);
  EXPECT_EQ(menuActionFormat.dwGenre, 0x28000000u);
  EXPECT_STREQ(menuActionFormat.tszActionMap, "Glorbs New");
  EXPECT_EQ(gameActionFormat.rgoAction, gameActions);
  EXPECT_EQ(menuActionFormat.rgoAction, menuActions);
  // A control's meaning, its default and whether the user may move it are
  // fixed by the row; a row out of place or a wrong semantic binds another
  // key or axis. The values are DirectInput's own numbers, not our macros.
  struct Row {
    DWORD code, semantic, flags;
    const char* name;
  };
  const Row game[GAME_ACTION_COUNT] = {
      {1, 0x07008201, 0, "Move left/right"},
      {2, 0x07010202, 0, "Move up/down"},
      {11, 0x07000401, 0, "Fire weapons"},
      {13, 0x07004404, 0, "Change view"},
      {14, 0x07000402, 0, "Change weapons"},
      {12, 0x07004407, 0, "Change ship type"},
      {15, 0x070044FE, 0, "Display game menu"},
      {17, 0x070004FD, 0, "Start/pause"},
      {7, 0x81000424, 0, "Turn left"},
      {8, 0x81000425, 0, "Turn right"},
      {9, 0x81000431, 0, "Forward thrust"},
      {10, 0x81000432, 0, "Reverse thrust"},
      {11, 0x81000439, 0, "Fire weapons"},
      {12, 0x8100041E, 0, "Change ship type"},
      {13, 0x8100042F, 0, "Change view"},
      {14, 0x81000411, 0, "Change weapons"},
      {15, 0x8100043B, 0x10, "Display game menu"},
      {17, 0x810004C5, 0, "Start/pause"},
      {16, 0x81000401, 0x10, "Quit game"},
      {4, 0x82000300, 0, "Move left/right"},
      {5, 0x82000304, 0, "Move up/down"},
      {6, 0x82000308, 0, "Change ship type"},
      {11, 0x8200040C, 0, "Fire weapons"},
      {14, 0x8200040D, 0, "Change weapons"},
      {27, 0x810004C8, 0, "Move up"},
      {28, 0x810004D0, 0, "Move down"},
      {29, 0x8100042C, 0, "Move left"},
      {30, 0x8100042D, 0, "Move right"},
      {31, 0x810004CB, 0, "Turn Up"},
      {32, 0x810004CD, 0, "Turn Down"},
  };
  const Row menu[MENU_ACTION_COUNT] = {
      {18, 0x28008201, 0, "Left/right"}, {19, 0x28010202, 0, "Up/down"},   {25, 0x28000401, 0, "Select"},
      {21, 0x28004408, 0, "Up"},         {22, 0x28004407, 0, "Down"},      {26, 0x280044FE, 0, "Quit menu"},
      {23, 0x810004CB, 0, "Left"},       {24, 0x810004CD, 0, "Right"},     {21, 0x810004C8, 0, "Up"},
      {22, 0x810004D0, 0, "Down"},       {25, 0x81000439, 0, "Select"},    {25, 0x8100041C, 0, "Select"},
      {25, 0x8100049C, 0, "Select"},     {26, 0x81000401, 0, "Quit menu"}, {20, 0x82000308, 0, "Up/down"},
      {25, 0x8200040C, 0, "Select"},
  };
  const auto check = [](const DIACTIONA* actions, const Row* rows, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(actions[i].uAppData, rows[i].code);
      EXPECT_EQ(actions[i].dwSemantic, rows[i].semantic);
      EXPECT_EQ(actions[i].dwFlags, rows[i].flags);
      EXPECT_STREQ(actions[i].lptszActionName, rows[i].name);
    }
  };
  check(gameActions, game, GAME_ACTION_COUNT);
  check(menuActions, menu, MENU_ACTION_COUNT);
  // A machine without controllers: the keyboard and the mouse.
  EXPECT_EQ(DeviceCount(), 2u);
}

TEST_F(InputTest, KeysSteerThroughTheirLevelsAndTheSecondOfAPairWins) {
  StartInput();
  Press(HID_J);
  Frame();
  EXPECT_EQ(InputState.turnRate, -5.0f);
  EXPECT_EQ(InputState.actionLevels.turnLeft[0], 1.0f);
  Press(HID_K);
  Frame();
  EXPECT_EQ(InputState.turnRate, -5.0f);  // turn left is tested after turn right
  Release(HID_J);
  Press(HID_N);
  Press(HID_Z);
  Press(HID_UP);
  Press(HID_LEFT);
  Frame();
  EXPECT_EQ(InputState.turnRate, 5.0f);
  EXPECT_EQ(InputState.thrust, 6.0f);
  EXPECT_EQ(InputState.lateralMove, -0.5f);
  EXPECT_EQ(InputState.verticalMove, -3.0f);
  EXPECT_EQ(InputState.pitchRate, 5.0f);
  Release(HID_K);
  Release(HID_N);
  Release(HID_Z);
  Release(HID_UP);
  Release(HID_LEFT);
  Press(HID_M);
  Press(HID_X);
  Press(HID_DOWN);
  Press(HID_RIGHT);
  Frame();
  EXPECT_EQ(InputState.turnRate, 0.0f);
  EXPECT_EQ(InputState.thrust, -6.0f);
  EXPECT_EQ(InputState.lateralMove, 0.5f);
  EXPECT_EQ(InputState.verticalMove, 3.0f);
  EXPECT_EQ(InputState.pitchRate, -5.0f);
}

TEST_F(InputTest, AKeyTappedWithinOneFrameNeverSteers) {
  StartInput();
  Tap(HID_N);
  Frame();
  EXPECT_EQ(InputState.thrust, 0.0f);
  EXPECT_EQ(InputState.actionLevels.forward[0], 0.0f);
}

TEST_F(InputTest, FireFollowsTheKeyWeaponsStepAndPauseTogglesOnPressOnly) {
  StartInput();
  Press(HID_SPACE);
  Frame();
  EXPECT_EQ(InputState.fireHeld, 1);
  Release(HID_SPACE);
  Frame();
  EXPECT_EQ(InputState.fireHeld, 0);
  const DWORD expected[] = {1, 2, 3, 0};
  for (DWORD w : expected) {
    Tap(HID_W);
    Frame();
    EXPECT_EQ(Weapon, w);
  }
  Press(HID_PAUSE);
  Frame();
  EXPECT_EQ(InputState.paused, 1);
  Release(HID_PAUSE);
  Frame();
  EXPECT_EQ(InputState.paused, 1);
  Tap(HID_PAUSE);
  Frame();
  EXPECT_EQ(InputState.paused, 0);
}

TEST_F(InputTest, MouseMotionDrivesTheOppositeLevelAndPersistsUntilTheNextMotion) {
  StartInput();
  MouseMove(7, 0);  // right: the Move-left level, 0.7
  Frame();
  EXPECT_FLOAT_EQ(InputState.actionLevels.moveLeft[1], 0.7f);
  EXPECT_EQ(InputState.lateralMove, -0.5f);
  Frame();
  EXPECT_EQ(InputState.lateralMove, -0.5f);
  MouseMove(4, 0);  // 0.4: a level must exceed 0.4 to steer
  Frame();
  EXPECT_FLOAT_EQ(InputState.actionLevels.moveLeft[1], 0.4f);
  EXPECT_EQ(InputState.lateralMove, 0.0f);
  MouseMove(5, 0);
  Frame();
  EXPECT_EQ(InputState.lateralMove, -0.5f);
  MouseMove(3, 0);  // 0.3: under the threshold
  Frame();
  EXPECT_EQ(InputState.lateralMove, 0.0f);
  MouseMove(-6, 9);
  Frame();
  EXPECT_FLOAT_EQ(InputState.actionLevels.moveRight[1], 0.6f);
  EXPECT_EQ(InputState.actionLevels.moveLeft[1], 0.0f);
  EXPECT_EQ(InputState.lateralMove, 0.5f);
  EXPECT_EQ(InputState.verticalMove, 3.0f);
}

TEST_F(InputTest, WhileTheShipIsHiddenYawThrustAndFireReadZeroAndTheRestKeepsItsValue) {
  StartInput();
  Press(HID_Z);
  Press(HID_J);
  Press(HID_LEFT);
  Frame();
  PlayerShip->visible = 0;
  Press(HID_N);
  Press(HID_SPACE);
  Frame();
  EXPECT_EQ(InputState.turnRate, 0.0f);
  EXPECT_EQ(InputState.thrust, 0.0f);
  EXPECT_EQ(InputState.fireHeld, 0);
  EXPECT_EQ(InputState.lateralMove, -0.5f);
  EXPECT_EQ(InputState.pitchRate, 5.0f);
}

TEST_F(InputTest, AtMostTenEventsAFrameAndTheRestWaitForTheNext) {
  StartInput();
  for (int i = 0; i < 6; ++i) Tap(HID_W);  // 12 events
  Frame();
  EXPECT_EQ(Weapon, 1u);  // 5 presses and 5 releases read ...
  Frame();
  EXPECT_EQ(Weapon, 2u);  // ... the sixth press next frame
}

TEST_F(InputTest, TheMenuFormatSetsTheOneShotMenuFlags) {
  StartInput();
  ASSERT_EQ(inputDeviceManager->SetActionFormat(&menuActionFormat, FALSE), S_OK);
  Frame();  // a new format leaves the devices unacquired until this poll
  Press(HID_RETURN);
  Press(HID_DOWN);
  Frame();
  EXPECT_EQ(InputState.menuSelect, 1);
  EXPECT_EQ(InputState.menuDown, 1);
  Release(HID_RETURN);
  Frame();
  EXPECT_EQ(InputState.menuSelect, 1);  // combined by "or" until the menu clears it
  Tap(HID_ESCAPE);
  Frame();
  EXPECT_EQ(InputState.menuQuit, 1);
  MouseWheel(1);
  Frame();
  EXPECT_EQ(InputState.menuUp, 1);
  InputState.menuUp = InputState.menuDown = 0;
  MouseWheel(-1);  // the wheel turned towards the player steps down
  Frame();
  EXPECT_EQ(InputState.menuDown, 1);
  EXPECT_EQ(InputState.menuUp, 0);
  // The game's keys are not mapped while the menu format is installed.
  Press(HID_J);
  Frame();
  EXPECT_EQ(InputState.actionLevels.turnLeft[0], 0.0f);
}

TEST_F(InputTest, AControllerStickSteersPastFortyPercentAndTheMenuAxisStepsOncePerPush) {
  const int32_t pad = AttachPad("Pad");
  StartInput();
  ASSERT_EQ(DeviceCount(), 3u);
  PadAxis(pad, host::PAD_LEFTX, 13107);  // 40 %: nothing
  Frame();
  EXPECT_FLOAT_EQ(InputState.actionLevels.moveLeft[2], 0.4f);
  EXPECT_EQ(InputState.lateralMove, 0.0f);
  PadAxis(pad, host::PAD_LEFTX, -32768);
  PadAxis(pad, host::PAD_LEFTY, 32767);
  PadButton(pad, host::PAD_A, true);
  Frame();
  EXPECT_EQ(InputState.lateralMove, 0.5f);
  EXPECT_EQ(InputState.verticalMove, 3.0f);
  EXPECT_EQ(InputState.fireHeld, 1);
  PadButton(pad, host::PAD_A, false);
  PadButton(pad, host::PAD_X, true);
  PadButton(pad, host::PAD_START, true);
  Frame();
  EXPECT_EQ(Weapon, 1u);
  EXPECT_EQ(InputState.paused, 1);

  inputDeviceManager->SetActionFormat(&menuActionFormat, FALSE);
  Frame();
  PadAxis(pad, host::PAD_LEFTY, 9830);  // 30 %: one step down
  Frame();
  EXPECT_EQ(InputState.menuDown, 1);
  EXPECT_EQ(InputState.menuAxisLatch, 1);
  InputState.menuDown = 0;
  PadAxis(pad, host::PAD_LEFTY, 29000);  // still pushed: no second step
  Frame();
  EXPECT_EQ(InputState.menuDown, 0);
  PadAxis(pad, host::PAD_LEFTY, 3000);  // back inside 20 %
  Frame();
  EXPECT_EQ(InputState.menuAxisLatch, 0);
  PadAxis(pad, host::PAD_LEFTY, -6554);  // exactly 20 % up: enough for a step
  Frame();
  EXPECT_EQ(InputState.menuUp, 1);
  EXPECT_EQ(InputState.menuAxisLatch, 1);
  InputState.menuUp = 0;
  PadAxis(pad, host::PAD_LEFTY, -3000);  // 10 %: released, no step
  Frame();
  EXPECT_EQ(InputState.menuAxisLatch, 0);
  EXPECT_EQ(InputState.menuUp, 0);
  EXPECT_EQ(InputState.menuDown, 0);
}

TEST_F(InputTest, DevicesPastTheTenthStillActButHaveNoLevels) {
  std::vector<int32_t> pads;
  for (int i = 0; i < 9; ++i) pads.push_back(AttachPad("Pad"));
  StartInput();
  ASSERT_EQ(DeviceCount(), 11u);
  PadAxis(pads.back(), host::PAD_LEFTX, 32767);  // the 11th device: no place for its level
  PadButton(pads.back(), host::PAD_A, true);
  Frame();
  EXPECT_EQ(InputState.fireHeld, 1);
  EXPECT_EQ(InputState.lateralMove, 0.0f);
  PadAxis(pads[7], host::PAD_LEFTX, 32767);  // the 10th has one
  Frame();
  EXPECT_EQ(InputState.lateralMove, -0.5f);
}

}  // namespace
}  // namespace input_test
