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
  EXPECT_EQ(gameActions[6].dwSemantic, 0x070044FEu);
  EXPECT_EQ(gameActions[16].dwSemantic, 0x8100043Bu);
  EXPECT_EQ(gameActions[16].dwFlags, static_cast<DWORD>(DIA_APPFIXED));
  EXPECT_EQ(gameActions[21].dwSemantic, 0x82000308u);
  EXPECT_EQ(gameActions[29].uAppData, 32u);
  EXPECT_EQ(menuActions[12].dwSemantic, 0x8100049Cu);
  EXPECT_EQ(menuActions[14].uAppData, 20u);
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
  PadAxis(pad, host::PAD_LEFTY, -20000);
  Frame();
  EXPECT_EQ(InputState.menuUp, 1);
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
