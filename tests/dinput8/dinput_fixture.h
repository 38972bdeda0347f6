// SPDX-License-Identifier: MIT
// Shared set-up of the DirectInput tests: host running headless, a scratch
// configuration folder for saved maps, small action formats, and helpers
// that put keyboard, mouse and controller events into host's stream.
#pragma once

#include <dinput.h>
#include <dinput8_glorbs.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dinput8/test_events.h"
#include "scratch_config_home.h"
#include <host/host.h>

namespace dinput_test {

using namespace test_events;

inline void Pump() {
  host::PumpEvents(0);
}

// A format with the fields the game sets (in declaration order), the rest zeroed.
inline DIACTIONFORMATA MakeFormat(DIACTIONA* actions, DWORD count, const char* name,
                                  DWORD genre = DIVIRTUAL_SPACESIM) {
  DIACTIONFORMATA f{sizeof(DIACTIONFORMATA),
                    sizeof(DIACTIONA),
                    count * 4,
                    count,
                    actions,
                    {},
                    genre,
                    16,
                    -10,
                    10,
                    nullptr,
                    {},
                    0,
                    {}};
  snprintf(f.tszActionMap, sizeof f.tszActionMap, "%s", name);
  return f;
}

// Every button and axis of a standard controller.
constexpr uint32_t kAllButtons = (1u << host::PAD_BUTTON_COUNT) - 1;
constexpr uint32_t kAllAxes = (1u << host::PAD_AXIS_COUNT) - 1;

// Host runs, saved maps go to a folder of this test's own, and every
// virtual pad it attached is gone afterwards.
class DinputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    configHome_ = scratchHome_.Enter("glorbs-dinput");
    ASSERT_FALSE(configHome_.empty());
    ASSERT_TRUE(host::Init());
    host::PumpEvents(0);
    dinput8::ResetDiagnostics();
    dinput8::ForgetUnsavedMaps();
    ASSERT_EQ(DirectInput8Create(reinterpret_cast<HINSTANCE>(this), DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                 reinterpret_cast<void**>(&di_), nullptr),
              DI_OK);
  }
  void TearDown() override {
    SafeRelease(di_);
    // Last first: detaching a pad renumbers the ones after it.
    for (auto it = pads_.rbegin(); it != pads_.rend(); ++it) host::DetachVirtualPad(*it);
    host::PumpEvents(0);
    scratchHome_.Leave();
  }

  // Attaches a virtual controller and returns host's instance id for it.
  int32_t AttachPad(const char* name, uint32_t buttons, uint32_t axes) {
    const int before = host::PadCount();
    const int index = host::AttachVirtualPad(name, buttons, axes);
    EXPECT_GE(index, 0);
    pads_.push_back(index);
    host::PumpEvents(0);
    EXPECT_EQ(host::PadCount(), before + 1);
    return host::PadInstanceAt(host::PadCount() - 1);
  }

  // Creates the device of `guid` with an action map of `format` installed,
  // not yet acquired.
  IDirectInputDevice8A* Mapped(REFGUID guid, DIACTIONFORMATA& format, DWORD coop) {
    IDirectInputDevice8A* device = nullptr;
    EXPECT_EQ(di_->CreateDevice(guid, &device, nullptr), DI_OK);
    if (!device) return nullptr;
    EXPECT_EQ(device->SetCooperativeLevel(FakeWindow(), coop), DI_OK);
    EXPECT_EQ(device->BuildActionMap(&format, nullptr, 0), DI_OK);
    EXPECT_EQ(device->SetActionMap(&format, nullptr, 0), DI_OK);
    return device;
  }

  // The same, acquired (non-exclusive, background by default).
  IDirectInputDevice8A* OpenMapped(REFGUID guid, DIACTIONFORMATA& format,
                                   DWORD coop = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND) {
    IDirectInputDevice8A* device = Mapped(guid, format, coop);
    if (device) {
      EXPECT_EQ(device->Acquire(), DI_OK);
    }
    return device;
  }

  // The game controller that enumeration by `format` offers; GUID_NULL when none.
  GUID InstanceOfPad(DIACTIONFORMATA& format) {
    GUID found = GUID_NULL;
    di_->EnumDevicesBySemantics(
        nullptr, &format,
        [](LPCDIDEVICEINSTANCEA info, LPDIRECTINPUTDEVICE8A, DWORD, DWORD, LPVOID ref) -> BOOL {
          if (GET_DIDEVICE_TYPE(info->dwDevType) == DI8DEVTYPE_GAMEPAD)
            *static_cast<GUID*>(ref) = info->guidInstance;
          return DIENUM_CONTINUE;
        },
        &found, 0);
    return found;
  }

  static std::vector<DIDEVICEOBJECTDATA> Read(IDirectInputDevice8A* device, DWORD most = 64,
                                              HRESULT* result = nullptr) {
    std::vector<DIDEVICEOBJECTDATA> records(most);
    DWORD n = most;
    HRESULT hr = device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records.data(), &n, 0);
    if (result) *result = hr;
    records.resize(SUCCEEDED(hr) ? n : 0);
    return records;
  }

  std::string MapFile(const char* mapName, const std::string& deviceKey) const {
    return configHome_ + "/glorbs3d/" + mapName + "." + deviceKey + ".map";
  }

  IDirectInput8A* di_ = nullptr;
  ScratchConfigHome scratchHome_;
  std::string configHome_;
  std::vector<int> pads_;
};

}  // namespace dinput_test
