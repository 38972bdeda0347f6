// SPDX-License-Identifier: MIT
// Mouse axes, wheel and buttons; controllers: the default layout, an odd
// controller with few controls, axis scaling, trigger buttons, unplugging;
// enumeration with and without controllers.
#include "dinput_fixture.h"

namespace dinput_test {
namespace {

DIACTIONA mouseActions[] = {
    {4, DIMOUSE_XAXIS, 0, {"Move left/right"}, {}, 0, 0}, {5, DIMOUSE_YAXIS, 0, {"Move up/down"}, {}, 0, 0},
    {6, DIMOUSE_WHEEL, 0, {"Wheel"}, {}, 0, 0},           {11, DIMOUSE_BUTTON0, 0, {"Fire"}, {}, 0, 0},
    {14, DIMOUSE_BUTTON1, 0, {"Weapons"}, {}, 0, 0},
};

// The controller half of the game's format.
DIACTIONA padActions[] = {
    {1, DIAXIS_SPACESIM_LATERAL, 0, {"Move left/right"}, {}, 0, 0},
    {2, DIAXIS_SPACESIM_MOVE, 0, {"Move up/down"}, {}, 0, 0},
    {11, DIBUTTON_SPACESIM_FIRE, 0, {"Fire weapons"}, {}, 0, 0},
    {13, DIBUTTON_SPACESIM_VIEW, 0, {"Change view"}, {}, 0, 0},
    {14, DIBUTTON_SPACESIM_WEAPONS, 0, {"Change weapons"}, {}, 0, 0},
    {12, DIBUTTON_SPACESIM_GEAR, 0, {"Change ship type"}, {}, 0, 0},
    {15, DIBUTTON_SPACESIM_DEVICE, 0, {"Display game menu"}, {}, 0, 0},
    {17, DIBUTTON_SPACESIM_MENU, 0, {"Start/pause"}, {}, 0, 0},
    {11, DIKEYBOARD(DIK_SPACE), 0, {"Fire weapons"}, {}, 0, 0},
};

// The object an action got on the device `instance`; 0 when it went elsewhere.
DWORD ObjectOf(const DIACTIONA& action, const GUID& instance) {
  return action.dwHow == DIAH_UNMAPPED || action.guidInstance != instance ? 0 : action.dwObjID;
}
DWORD Button(DWORD n) {
  return 0x04 | (n << 8);
}
DWORD Axis(DWORD n) {
  return 0x02 | (n << 8);
}

class MouseAndPad : public DinputTest {
 protected:
  // The controller's device with the game's format mapped and acquired;
  // `instance`, when given, receives the controller's instance.
  IDirectInputDevice8A* OpenGamePad(GUID* instance = nullptr) {
    DIACTIONFORMATA format = MakeFormat(padActions, 9, "Game");
    const GUID pad = InstanceOfPad(format);
    if (instance) *instance = pad;
    EXPECT_NE(pad, GUID_NULL);
    return pad == GUID_NULL ? nullptr : OpenMapped(pad, format);
  }
};

TEST_F(MouseAndPad, MouseAxesAreRelativeAndTheWheelCountsOneHundredTwentyANotch) {
  DIACTIONFORMATA format = MakeFormat(mouseActions, 5, "Mouse");
  IDirectInputDevice8A* mouse = OpenMapped(GUID_SysMouse, format);
  MouseMove(7, -3);
  MouseMove(0, 2);
  MouseWheel(-1);
  MouseButton(3, true);  // host's right button is DirectInput's button 1
  MouseButton(1, true);
  MouseButton(2, true);  // the middle button is not in the map
  Pump();
  auto r = Read(mouse);
  ASSERT_EQ(r.size(), 6u);
  EXPECT_EQ(r[0].uAppData, 4u);
  EXPECT_EQ(static_cast<LONG>(r[0].dwData), 7);
  EXPECT_EQ(r[1].uAppData, 5u);
  EXPECT_EQ(static_cast<LONG>(r[1].dwData), -3);
  EXPECT_EQ(static_cast<LONG>(r[2].dwData), 2);
  EXPECT_EQ(r[3].uAppData, 6u);
  EXPECT_EQ(static_cast<LONG>(r[3].dwData), -120);
  EXPECT_EQ(r[4].uAppData, 14u);
  EXPECT_EQ(r[5].uAppData, 11u);
  EXPECT_EQ(r[5].dwData, 0x80u);
  mouse->Release();
}

TEST_F(MouseAndPad, InAbsoluteModeTheMouseReportsItsTotal) {
  DIACTIONFORMATA format = MakeFormat(mouseActions, 5, "Mouse");
  IDirectInputDevice8A* mouse = OpenMapped(GUID_SysMouse, format);
  mouse->Unacquire();
  DIPROPDWORD mode{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, DIPROPAXISMODE_ABS};
  ASSERT_EQ(mouse->SetProperty(DIPROP_AXISMODE, &mode.diph), DI_OK);
  mouse->Acquire();
  MouseMove(5, 0);
  MouseMove(4, 0);
  Pump();
  auto r = Read(mouse);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(static_cast<LONG>(r[1].dwData), 9);
  mouse->Release();
}

TEST_F(MouseAndPad, AnExclusiveForegroundMouseCapturesThePointerUntilReleased) {
  DIACTIONFORMATA format = MakeFormat(mouseActions, 5, "Mouse");
  IDirectInputDevice8A* mouse = Mapped(GUID_SysMouse, format, DISCL_EXCLUSIVE | DISCL_FOREGROUND);
  ASSERT_NE(mouse, nullptr);
  Focus(false);
  Pump();
  EXPECT_EQ(mouse->Acquire(), DIERR_OTHERAPPHASPRIO);
  Focus(true);
  Pump();
  EXPECT_EQ(mouse->Acquire(), DI_OK);
  MouseMove(3, 0);
  Pump();
  EXPECT_EQ(Read(mouse).size(), 1u);
  mouse->Release();
}

TEST_F(MouseAndPad, WithoutControllersOnlyTheKeyboardAndMouseAreOffered) {
  ASSERT_EQ(host::PadCount(), 0);
  DIACTIONFORMATA format = MakeFormat(padActions, 9, "Game");
  struct Seen {
    std::vector<DWORD> types, flags, remaining;
  } seen;
  ASSERT_EQ(di_->EnumDevicesBySemantics(
                nullptr, &format,
                [](LPCDIDEVICEINSTANCEA info, LPDIRECTINPUTDEVICE8A device, DWORD flags, DWORD remaining,
                   LPVOID ref) -> BOOL {
                  Seen* s = static_cast<Seen*>(ref);
                  s->types.push_back(GET_DIDEVICE_TYPE(info->dwDevType));
                  s->flags.push_back(flags);
                  s->remaining.push_back(remaining);
                  EXPECT_NE(device, nullptr);
                  return DIENUM_CONTINUE;
                },
                &seen, 0),
            DI_OK);
  // The mouse serves none of these actions, so only the keyboard comes.
  ASSERT_EQ(seen.types.size(), 1u);
  EXPECT_EQ(seen.types[0], static_cast<DWORD>(DI8DEVTYPE_KEYBOARD));
  EXPECT_EQ(seen.flags[0], static_cast<DWORD>(DIEDBS_MAPPEDPRI1 | DIEDBS_NEWDEVICE));
  EXPECT_EQ(seen.remaining[0], 0u);
  EXPECT_EQ(di_->EnumDevicesBySemantics(nullptr, &format, nullptr, nullptr, 0), DIERR_INVALIDPARAM);
  EXPECT_EQ(di_->EnumDevicesBySemantics(
                nullptr, &format,
                [](LPCDIDEVICEINSTANCEA, LPDIRECTINPUTDEVICE8A, DWORD, DWORD, LPVOID) -> BOOL {
                  return DIENUM_CONTINUE;
                },
                nullptr, 0x80000000u),
            DIERR_INVALIDPARAM);
}

TEST_F(MouseAndPad, AStandardControllerGetsTheDefaultLayout) {
  AttachPad("Standard pad", kAllButtons, kAllAxes);
  GUID pad = GUID_NULL;
  IDirectInputDevice8A* device = OpenGamePad(&pad);
  ASSERT_NE(device, nullptr);
  // The sticks move, and each action finds its button of the standard layout.
  const DWORD expected[8] = {Axis(host::PAD_LEFTX),  Axis(host::PAD_LEFTY),  Button(host::PAD_A),
                             Button(host::PAD_Y),    Button(host::PAD_X),    Button(host::PAD_B),
                             Button(host::PAD_BACK), Button(host::PAD_START)};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(ObjectOf(padActions[i], pad), expected[i]) << "action " << i;
  EXPECT_EQ(padActions[8].guidInstance, GUID_NULL);  // the keyboard's action stays the keyboard's
  device->Release();
}

TEST_F(MouseAndPad, StickValuesAreScaledToTheFormatsRangeAndOnlyChangesAreReported) {
  const int32_t id = AttachPad("Standard pad", kAllButtons, kAllAxes);
  IDirectInputDevice8A* device = OpenGamePad();
  ASSERT_NE(device, nullptr);
  PadAxis(id, host::PAD_LEFTX, 32767);
  PadAxis(id, host::PAD_LEFTX, 32767);  // unchanged: no record
  PadAxis(id, host::PAD_LEFTX, -32768);
  PadAxis(id, host::PAD_LEFTY, 13107);  // 40 % down
  PadAxis(id, host::PAD_LEFTY, 0);
  PadButton(id, host::PAD_A, true);
  PadButton(id + 1000, host::PAD_A, true);  // another controller's
  Pump();
  auto r = Read(device);
  ASSERT_EQ(r.size(), 5u);
  const LONG values[] = {10, -10, 4, 0};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(static_cast<LONG>(r[i].dwData), values[i]) << i;
  EXPECT_EQ(r[2].uAppData, 2u);
  EXPECT_EQ(r[4].uAppData, 11u);
  EXPECT_EQ(r[4].dwData, 0x80u);
  device->Release();
}

TEST_F(MouseAndPad, AnOddControllerMapsWhatItCan) {
  // Unknown to any table: a few buttons and one stick.
  const int32_t id =
      AttachPad("Odd pad", (1u << host::PAD_A) | (1u << host::PAD_B) | (1u << host::PAD_START),
                (1u << host::PAD_LEFTX) | (1u << host::PAD_LEFTY) | (1u << host::PAD_TRIGGERRIGHT));
  GUID pad = GUID_NULL;
  IDirectInputDevice8A* device = OpenGamePad(&pad);
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(ObjectOf(padActions[0], pad), Axis(host::PAD_LEFTX));
  EXPECT_EQ(ObjectOf(padActions[1], pad), Axis(host::PAD_LEFTY));
  EXPECT_EQ(ObjectOf(padActions[2], pad), Button(host::PAD_A));
  // No X and no right shoulder: weapons takes the first free button.
  EXPECT_EQ(ObjectOf(padActions[4], pad), Button(host::PAD_B));
  EXPECT_EQ(ObjectOf(padActions[7], pad), Button(host::PAD_START));
  // Priority-2 actions get what is left: the right trigger read as a button.
  EXPECT_EQ(ObjectOf(padActions[3], pad), Button(16));
  EXPECT_EQ(ObjectOf(padActions[5], pad), 0u);
  EXPECT_EQ(ObjectOf(padActions[6], pad), 0u);
  PadAxis(id, host::PAD_TRIGGERRIGHT, 30000);
  PadAxis(id, host::PAD_TRIGGERRIGHT, 14000);  // above the release point: still down
  PadAxis(id, host::PAD_TRIGGERRIGHT, 0);
  Pump();
  auto r = Read(device);
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].uAppData, 13u);
  EXPECT_EQ(r[0].dwData, 0x80u);
  EXPECT_EQ(r[1].dwData, 0u);
  DIDEVICEINSTANCEA info{};
  info.dwSize = sizeof info;
  device->GetDeviceInfo(&info);
  EXPECT_STREQ(info.tszProductName, "Odd pad");
  device->Release();
}

TEST_F(MouseAndPad, AnUnpluggedControllerSaysInputLostThenUnplugged) {
  AttachPad("Standard pad", kAllButtons, kAllAxes);
  IDirectInputDevice8A* device = OpenGamePad();
  ASSERT_NE(device, nullptr);
  host::DetachVirtualPad(pads_.back());
  pads_.pop_back();
  Pump();
  HRESULT hr = S_OK;
  Read(device, 10, &hr);
  EXPECT_EQ(hr, DIERR_INPUTLOST);
  EXPECT_EQ(device->Acquire(), DIERR_UNPLUGGED);
  DIACTIONFORMATA format = MakeFormat(padActions, 9, "Game");
  EXPECT_EQ(InstanceOfPad(format), GUID_NULL);
  device->Release();
}

}  // namespace
}  // namespace dinput_test

namespace dinput_test {
namespace {

// What EnumDevices lists of one class, by device type.
std::vector<DWORD> ListedTypes(IDirectInput8A* di, DWORD devClass) {
  std::vector<DWORD> types;
  EXPECT_EQ(di->EnumDevices(
                devClass,
                [](LPCDIDEVICEINSTANCEA info, LPVOID list) -> BOOL {
                  static_cast<std::vector<DWORD>*>(list)->push_back(GET_DIDEVICE_TYPE(info->dwDevType));
                  return DIENUM_CONTINUE;
                },
                &types, DIEDFL_ATTACHEDONLY),
            DI_OK);
  return types;
}

TEST_F(DinputTest, EnumDevicesListsTheAttachedDevicesOfAClassAndFollowsPlugging) {
  EXPECT_EQ(ListedTypes(di_, DI8DEVCLASS_GAMECTRL).size(), 0u);
  EXPECT_EQ(ListedTypes(di_, DI8DEVCLASS_KEYBOARD), std::vector<DWORD>{DI8DEVTYPE_KEYBOARD});
  EXPECT_EQ(ListedTypes(di_, DI8DEVCLASS_POINTER), std::vector<DWORD>{DI8DEVTYPE_MOUSE});
  AttachPad("Pad", (1u << host::PAD_BUTTON_COUNT) - 1, (1u << host::PAD_AXIS_COUNT) - 1);
  EXPECT_EQ(ListedTypes(di_, DI8DEVCLASS_GAMECTRL), std::vector<DWORD>{DI8DEVTYPE_GAMEPAD});
  EXPECT_EQ(ListedTypes(di_, DI8DEVCLASS_ALL).size(), 3u);
  host::DetachVirtualPad(pads_.back());
  pads_.pop_back();
  host::PumpEvents(0);
  EXPECT_EQ(ListedTypes(di_, DI8DEVCLASS_GAMECTRL).size(), 0u);
  EXPECT_EQ(di_->EnumDevices(DI8DEVCLASS_ALL, nullptr, nullptr, 0), DIERR_INVALIDPARAM);
  EXPECT_EQ(ListedTypes(di_, DI8DEVCLASS_DEVICE).size(), 0u);
}

}  // namespace
}  // namespace dinput_test
