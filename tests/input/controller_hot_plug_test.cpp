// SPDX-License-Identifier: MIT
// Controllers plugged in or pulled out during play: taken at the next poll
// without a menu or a re-enumeration in between, while the keyboard, the
// mouse and the other controllers keep their objects and held controls.
#include "input_fixture.h"

namespace input_test {
namespace {

class HotPlug : public InputTest {
 protected:
  static GUID InstanceAt(DWORD i) {
    DIDEVICEINSTANCEA info{};
    info.dwSize = sizeof info;
    if (DeviceAt(i)) DeviceAt(i)->GetDeviceInfo(&info);
    return info.guidInstance;
  }
  static LPDIRECTINPUTDEVICE8A DeviceAt(DWORD i) {
    LPDIRECTINPUTDEVICE8A* table = nullptr;
    DWORD count = 0;
    inputDeviceManager->GetDevices(&table, &count);
    return i < count ? table[i] : nullptr;
  }
  void Unplug(size_t which) {
    host::DetachVirtualPad(pads_[which]);
    pads_.erase(pads_.begin() + static_cast<long>(which));
    // The pads after it are renumbered by SDL.
    for (size_t i = which; i < pads_.size(); ++i) --pads_[i];
    host::PumpEvents(0);
  }
};

TEST_F(HotPlug, AControllerPluggedInDuringPlaySteersAtOnceAndTheKeyboardKeepsItsHeldKey) {
  StartInput();
  ASSERT_EQ(DeviceCount(), 2u);
  const LPDIRECTINPUTDEVICE8A keyboard = DeviceAt(0), mouse = DeviceAt(1);
  Press(HID_N);  // forward thrust held through the plugging in
  Frame();
  ASSERT_EQ(InputState.thrust, 6.0f);

  const int32_t pad = AttachPad("Late pad");
  Frame();  // the next poll takes it
  ASSERT_EQ(DeviceCount(), 3u);
  EXPECT_EQ(DeviceAt(0), keyboard);  // the same objects, not new ones
  EXPECT_EQ(DeviceAt(1), mouse);
  EXPECT_EQ(InputState.thrust, 6.0f);
  EXPECT_EQ(InputState.actionLevels.forward[0], 1.0f);

  PadAxis(pad, host::PAD_LEFTX, -32768);  // stick fully left
  PadButton(pad, host::PAD_A, true);
  Frame();
  EXPECT_EQ(InputState.lateralMove, 0.5f);
  EXPECT_EQ(InputState.fireHeld, 1);
  EXPECT_EQ(InputState.thrust, 6.0f);
  Release(HID_N);  // the keyboard still hears its own release
  Frame();
  EXPECT_EQ(InputState.thrust, 0.0f);
  EXPECT_EQ(InputState.lateralMove, 0.5f);
}

TEST_F(HotPlug, PullingOutAControllerDropsOnlyItAndTheOthersLevelsFollowThem) {
  const int32_t first = AttachPad("First");
  const int32_t second = AttachPad("Second");
  StartInput();
  ASSERT_EQ(DeviceCount(), 4u);
  const LPDIRECTINPUTDEVICE8A secondDevice = DeviceAt(3);
  Press(HID_J);                              // keyboard: turn left held
  PadAxis(first, host::PAD_LEFTY, 32767);    // first pad: down
  PadButton(first, host::PAD_A, true);       // and fire
  PadAxis(second, host::PAD_LEFTX, -32768);  // second pad: right
  Frame();
  ASSERT_EQ(InputState.turnRate, -5.0f);
  ASSERT_EQ(InputState.verticalMove, 3.0f);
  ASSERT_EQ(InputState.lateralMove, 0.5f);
  ASSERT_EQ(InputState.fireHeld, 1);

  Unplug(0);  // the first pad goes; the second moves up a place
  (void)second;
  Frame();
  ASSERT_EQ(DeviceCount(), 3u);
  EXPECT_EQ(DeviceAt(2), secondDevice);
  EXPECT_EQ(InputState.verticalMove, 0.0f);  // nothing of the pulled pad stays held
  EXPECT_EQ(InputState.fireHeld, 0);
  EXPECT_EQ(InputState.lateralMove, 0.5f);  // the second pad's stick is still pushed
  EXPECT_EQ(InputState.actionLevels.moveRight[2], 1.0f);
  EXPECT_EQ(InputState.actionLevels.moveRight[3], 0.0f);
  EXPECT_EQ(InputState.turnRate, -5.0f);  // and the keyboard's key
  Release(HID_J);
  Frame();
  EXPECT_EQ(InputState.turnRate, 0.0f);
}

TEST_F(HotPlug, WithNothingPluggedOrPulledTheTableStaysAsItIs) {
  AttachPad("Pad");
  StartInput();
  const LPDIRECTINPUTDEVICE8A pad = DeviceAt(2);
  const GUID padInstance = InstanceAt(2);
  for (int i = 0; i < 5; ++i) Frame();
  EXPECT_EQ(DeviceCount(), 3u);
  EXPECT_EQ(DeviceAt(2), pad);
  // A pad unplugged and another plugged in between two polls: one out, one in.
  Unplug(0);
  AttachPad("Other pad");
  Frame();
  EXPECT_EQ(DeviceCount(), 3u);
  EXPECT_NE(InstanceAt(2), padInstance);
}

}  // namespace
}  // namespace input_test
