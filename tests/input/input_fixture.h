// SPDX-License-Identifier: MIT
// Set-up of the input tests: host headless, a scratch folder for saved
// maps, a fresh input record and weapon, the ship in its list, and helpers
// that type, move the mouse and run one frame's poll.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dinput8/test_events.h"
#include "scratch_config_home.h"
#include <host/host.h>
#include "input/game_input.h"
#include "input/input_device_manager.h"
#include "world/game_object.h"
#include "world/game_state.h"
#include "world/input_state.h"

namespace input_test {

using namespace test_events;
inline void Press(uint16_t hid) {
  Key(hid, true);
}
inline void Release(uint16_t hid) {
  Key(hid, false);
}

// Delivers what was injected, then runs the frame's poll.
inline void Frame() {
  host::PumpEvents(0);
  PollInput();
}

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    configHome_ = scratchHome_.Enter("glorbs-input");
    ASSERT_FALSE(configHome_.empty());
    ASSERT_TRUE(host::Init());
    host::PumpEvents(0);
    InputState = InputStateRecord();
    Weapon = 0;
    BuildDisplayList();
  }
  void TearDown() override {
    delete inputDeviceManager;
    inputDeviceManager = nullptr;
    DestroyDisplayList();
    // Last first: detaching a pad renumbers the ones after it.
    for (auto it = pads_.rbegin(); it != pads_.rend(); ++it) host::DetachVirtualPad(*it);
    host::PumpEvents(0);
    scratchHome_.Leave();
  }

  // Starts input as the game does and gives the window the focus, so that
  // the exclusive, foreground mouse can be acquired.
  void StartInput() {
    ASSERT_EQ(InitInput(FakeWindow()), S_OK);
    host::Event focus;
    focus.type = host::EventType::FocusGained;
    host::InjectEvent(focus);
    Frame();
  }

  int32_t AttachPad(const char* name) {
    const int index =
        host::AttachVirtualPad(name, (1u << host::PAD_BUTTON_COUNT) - 1, (1u << host::PAD_AXIS_COUNT) - 1);
    EXPECT_GE(index, 0);
    pads_.push_back(index);
    host::PumpEvents(0);
    return host::PadInstanceAt(host::PadCount() - 1);
  }

  static DWORD DeviceCount() {
    LPDIRECTINPUTDEVICE8A* devices = nullptr;
    DWORD count = 0;
    inputDeviceManager->GetDevices(&devices, &count);
    return count;
  }

  ScratchConfigHome scratchHome_;
  std::string configHome_;
  std::vector<int> pads_;
};

}  // namespace input_test
