// SPDX-License-Identifier: MIT
// The device manager: its table across format swaps and re-enumeration, the
// table limit, the configuration window, and a remapping that outlives a
// restart of the manager.
#include "input_fixture.h"

namespace input_test {
namespace {

TEST_F(InputTest, GetDevicesRefusesNullOutPointers) {
  StartInput();
  LPDIRECTINPUTDEVICE8A* table = nullptr;
  DWORD count = 99;
  EXPECT_EQ(inputDeviceManager->GetDevices(nullptr, &count), E_INVALIDARG);
  EXPECT_EQ(inputDeviceManager->GetDevices(&table, nullptr), E_INVALIDARG);
  EXPECT_EQ(count, 99u);
  ASSERT_EQ(inputDeviceManager->GetDevices(&table, &count), S_OK);
  ASSERT_EQ(count, 2u);
  DIDEVICEINSTANCEA info{};
  info.dwSize = sizeof info;
  table[0]->GetDeviceInfo(&info);
  EXPECT_EQ(GET_DIDEVICE_TYPE(info.dwDevType), DI8DEVTYPE_KEYBOARD);
  table[1]->GetDeviceInfo(&info);
  EXPECT_EQ(GET_DIDEVICE_TYPE(info.dwDevType), DI8DEVTYPE_MOUSE);
}

TEST_F(InputTest, AManagerWithoutDevicesSwapsFormatsQuietly) {
  InputDeviceManager manager;
  EXPECT_EQ(manager.SetActionFormat(&menuActionFormat, FALSE), S_OK);
  EXPECT_EQ(manager.SetActionFormat(nullptr, FALSE), E_INVALIDARG);
  LPDIRECTINPUTDEVICE8A* table = nullptr;
  DWORD count = 5;
  EXPECT_EQ(manager.GetDevices(&table, &count), S_OK);
  EXPECT_EQ(count, 0u);
}

TEST_F(InputTest, ReEnumerationDropsAnUnpluggedControllerAndTakesANewOne) {
  StartInput();
  EXPECT_EQ(DeviceCount(), 2u);
  AttachPad("Pad");
  inputDeviceManager->SetActionFormat(&gameActionFormat, TRUE);
  EXPECT_EQ(DeviceCount(), 3u);
  host::DetachVirtualPad(pads_.back());
  pads_.pop_back();
  host::PumpEvents(0);
  PollInput();  // the lost controller is skipped
  inputDeviceManager->SetActionFormat(&gameActionFormat, TRUE);
  EXPECT_EQ(DeviceCount(), 2u);
}

TEST_F(InputTest, TheTableHoldsTwentyDevicesAndNoMore) {
  for (int i = 0; i < 19; ++i) AttachPad("Pad");
  ASSERT_EQ(host::PadCount(), 19);
  StartInput();
  EXPECT_EQ(DeviceCount(), INPUT_DEVICE_TABLE_SIZE);
  Frame();  // every device polls, levels only for the first ten
}

TEST_F(InputTest, ViewingTheConfigurationLeavesTableAndFormatAndUnacquiresAll) {
  StartInput();
  Press(HID_J);
  host::PumpEvents(0);
  Tap(HID_ESCAPE);  // closes the window
  ASSERT_EQ(inputDeviceManager->ConfigureDevices(FakeWindow(), nullptr, nullptr, DICD_DEFAULT), DI_OK);
  LPDIRECTINPUTDEVICE8A* table = nullptr;
  DWORD count = 0;
  inputDeviceManager->GetDevices(&table, &count);
  ASSERT_EQ(count, 2u);
  DIDEVICEOBJECTDATA record{};
  DWORD n = 1;
  EXPECT_EQ(table[0]->GetDeviceData(sizeof record, &record, &n, 0), DIERR_NOTACQUIRED);
  Frame();  // acquired again by the poll; the J press went with the unacquire
  EXPECT_EQ(InputState.turnRate, 0.0f);
}

TEST_F(InputTest, ARemappedKeySurvivesARestartOfTheManager) {
  StartInput();
  // "Turn left" is the first keyboard action: give it L.
  Tap(HID_RETURN);
  Tap(HID_L);
  Tap(HID_F10);
  ASSERT_EQ(inputDeviceManager->ConfigureDevices(FakeWindow(), nullptr, nullptr, DICD_EDIT), DI_OK);
  EXPECT_EQ(DeviceCount(), 2u);  // enumerated again with the new map
  Frame();
  Press(HID_L);
  Frame();
  EXPECT_EQ(InputState.turnRate, -5.0f);
  Release(HID_L);
  Frame();

  delete inputDeviceManager;
  inputDeviceManager = nullptr;
  StartInput();
  Press(HID_J);  // the old key does nothing now
  Frame();
  EXPECT_EQ(InputState.turnRate, 0.0f);
  Release(HID_J);
  Press(HID_L);
  Frame();
  EXPECT_EQ(InputState.turnRate, -5.0f);
  EXPECT_TRUE(std::filesystem::exists(configHome_ + "/glorbs3d/Glorbs3D_New.keyboard.map"));
}

}  // namespace
}  // namespace input_test
