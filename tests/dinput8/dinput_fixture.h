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

#include "host/host.h"

namespace dinput_test {

// HID usages used by the tests.
enum : uint16_t {
  HID_A = 4, HID_J = 13, HID_K = 14, HID_L = 15, HID_M = 16, HID_N = 17, HID_V = 25, HID_W = 26, HID_X = 27,
  HID_Z = 29, HID_RETURN = 40, HID_ESCAPE = 41, HID_TAB = 43, HID_SPACE = 44, HID_F1 = 58, HID_F5 = 62,
  HID_F10 = 67, HID_PAUSE = 72, HID_DELETE = 76, HID_RIGHT = 79, HID_LEFT = 80, HID_DOWN = 81, HID_UP = 82,
  HID_KP_ENTER = 88,
};

inline host::Event KeyEvent(uint16_t hid, bool down, uint32_t time = 0) {
  host::Event e;
  e.type = down ? host::EventType::KeyDown : host::EventType::KeyUp;
  e.key = hid;
  e.down = down;
  e.time = time;
  return e;
}

inline void Key(uint16_t hid, bool down, uint32_t time = 0) { host::InjectEvent(KeyEvent(hid, down, time)); }
inline void Tap(uint16_t hid) {
  Key(hid, true);
  Key(hid, false);
}

inline void MouseMove(int dx, int dy) {
  host::Event e;
  e.type = host::EventType::MouseMotion;
  e.dx = dx;
  e.dy = dy;
  host::InjectEvent(e);
}

inline void MouseWheel(int notches) {
  host::Event e;
  e.type = host::EventType::MouseWheel;
  e.dy = notches;
  host::InjectEvent(e);
}

inline void MouseButton(int button, bool down, int x = 0, int y = 0) {
  host::Event e;
  e.type = host::EventType::MouseButton;
  e.button = static_cast<uint8_t>(button);
  e.down = down;
  e.a = x;
  e.b = y;
  host::InjectEvent(e);
}

inline void PadButton(int32_t pad, int button, bool down) {
  host::Event e;
  e.type = host::EventType::PadButton;
  e.device = pad;
  e.button = static_cast<uint8_t>(button);
  e.down = down;
  host::InjectEvent(e);
}

inline void PadAxis(int32_t pad, int axis, int value) {
  host::Event e;
  e.type = host::EventType::PadAxis;
  e.device = pad;
  e.a = axis;
  e.b = value;
  host::InjectEvent(e);
}

inline void Focus(bool gained) {
  host::Event e;
  e.type = gained ? host::EventType::FocusGained : host::EventType::FocusLost;
  host::InjectEvent(e);
}

inline void Pump() { host::PumpEvents(0); }

inline HWND FakeWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1000)); }

// A format: zeroed, then filled like the game fills its own.
inline DIACTIONFORMATA MakeFormat(DIACTIONA* actions, DWORD count, const char* name, DWORD genre = DIVIRTUAL_SPACESIM) {
  DIACTIONFORMATA f{};
  f.dwSize = sizeof f;
  f.dwActionSize = sizeof(DIACTIONA);
  f.dwDataSize = count * 4;
  f.dwNumActions = count;
  f.rgoAction = actions;
  f.dwGenre = genre;
  f.dwBufferSize = 16;
  f.lAxisMin = -10;
  f.lAxisMax = 10;
  snprintf(f.tszActionMap, sizeof f.tszActionMap, "%s", name);
  return f;
}

// Host runs, saved maps go to a folder of this test's own, and every
// virtual pad it attached is gone afterwards.
class DinputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/glorbs-dinput-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    configHome_ = dir;
    setenv("XDG_CONFIG_HOME", dir, 1);
    ASSERT_TRUE(host::Init());
    host::PumpEvents(0);
    dinput8::ResetDiagnostics();
    ASSERT_EQ(DirectInput8Create(reinterpret_cast<HINSTANCE>(this), DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                 reinterpret_cast<void**>(&di_), nullptr),
              DI_OK);
  }
  void TearDown() override {
    SafeRelease(di_);
    // Last first: detaching a pad renumbers the ones after it.
    for (auto it = pads_.rbegin(); it != pads_.rend(); ++it) host::DetachVirtualPad(*it);
    host::PumpEvents(0);
    std::error_code ignored;
    std::filesystem::remove_all(configHome_, ignored);
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

  // Creates the device of `guid`, with an action map of `format` installed
  // and acquired (non-exclusive, background).
  IDirectInputDevice8A* OpenMapped(REFGUID guid, DIACTIONFORMATA& format, DWORD coop = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND) {
    IDirectInputDevice8A* device = nullptr;
    EXPECT_EQ(di_->CreateDevice(guid, &device, nullptr), DI_OK);
    if (!device) return nullptr;
    EXPECT_EQ(device->SetCooperativeLevel(FakeWindow(), coop), DI_OK);
    EXPECT_EQ(device->BuildActionMap(&format, nullptr, 0), DI_OK);
    EXPECT_EQ(device->SetActionMap(&format, nullptr, 0), DI_OK);
    EXPECT_EQ(device->Acquire(), DI_OK);
    return device;
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
  std::string configHome_;
  std::vector<int> pads_;
};

}  // namespace dinput_test
