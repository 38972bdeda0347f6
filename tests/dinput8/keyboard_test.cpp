// SPDX-License-Identifier: MIT
// Keyboard data through an action map: codes, sequence, time stamps, the
// buffer limit, acquisition and the format checks.
#include "dinput_fixture.h"

namespace dinput_test {
namespace {

DIACTIONA keyActions[] = {
    {7, DIKEYBOARD(DIK_J), 0, {"Turn left"}, {}, 0, 0},
    {8, DIKEYBOARD(DIK_K), 0, {"Turn right"}, {}, 0, 0},
    {11, DIKEYBOARD(DIK_SPACE), 0, {"Fire"}, {}, 0, 0},
    {16, DIKEYBOARD(DIK_ESCAPE), DIA_APPFIXED, {"Quit"}, {}, 0, 0},
    {11, DIBUTTON_SPACESIM_FIRE, 0, {"Fire"}, {}, 0, 0},  // a controller's: not the keyboard's
};

class Keyboard : public DinputTest {
 protected:
  DIACTIONFORMATA format_ = MakeFormat(keyActions, 5, "Keys");
};

TEST_F(Keyboard, KeysArriveAsTheirActionCodesInOrderWithGrowingSequenceAndTheirTime) {
  IDirectInputDevice8A* kb = OpenMapped(GUID_SysKeyboard, format_);
  Key(HID_J, true, 100);
  Key(HID_SPACE, true, 105);
  Key(HID_A, true, 107);  // not in the map: nothing
  Key(HID_J, false, 110);
  Key(HID_ESCAPE, true, 120);
  Pump();
  auto records = Read(kb);
  ASSERT_EQ(records.size(), 4u);
  const UINT_PTR codes[] = {7, 11, 7, 16};
  const DWORD data[] = {0x80, 0x80, 0, 0x80};
  const DWORD times[] = {100, 105, 110, 120};
  const DWORD offsets[] = {0, 8, 0, 12};  // four bytes per action, in table order
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(records[i].uAppData, codes[i]) << i;
    EXPECT_EQ(records[i].dwData, data[i]) << i;
    EXPECT_EQ(records[i].dwTimeStamp, times[i]) << i;
    EXPECT_EQ(records[i].dwOfs, offsets[i]) << i;
    if (i > 0) {
      EXPECT_GT(records[i].dwSequence, records[i - 1].dwSequence);
    }
  }
  EXPECT_TRUE(Read(kb).empty());  // taken out by the read
  kb->Release();
}

TEST_F(Keyboard, MappingResultsAreWrittenIntoTheCallersTable) {
  IDirectInputDevice8A* kb = OpenMapped(GUID_SysKeyboard, format_);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(keyActions[i].guidInstance, GUID_SysKeyboard) << i;
    EXPECT_NE(keyActions[i].dwHow, static_cast<DWORD>(DIAH_UNMAPPED)) << i;
  }
  EXPECT_EQ(keyActions[3].dwHow, static_cast<DWORD>(DIAH_APPREQUESTED));
  EXPECT_EQ(keyActions[4].dwHow, static_cast<DWORD>(DIAH_UNMAPPED));
  kb->Release();
}

TEST_F(Keyboard, AutoRepeatIsNotInputAndPeekLeavesRecordsInPlace) {
  IDirectInputDevice8A* kb = OpenMapped(GUID_SysKeyboard, format_);
  host::Event repeat = KeyEvent(HID_K, true);
  Key(HID_K, true);
  repeat.repeat = true;
  host::InjectEvent(repeat);
  Pump();
  DIDEVICEOBJECTDATA one{};
  DWORD n = 1;
  EXPECT_EQ(kb->GetDeviceData(sizeof one, &one, &n, DIGDD_PEEK), DI_OK);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(one.uAppData, 8u);
  EXPECT_EQ(Read(kb).size(), 1u);
  kb->Release();
}

TEST_F(Keyboard, AFullBufferKeepsTheOldestSixteenAndReportsTheOverflowOnce) {
  IDirectInputDevice8A* kb = OpenMapped(GUID_SysKeyboard, format_);
  for (int i = 0; i < 12; ++i) Tap(HID_J);  // 24 events for a buffer of 16
  Pump();
  HRESULT hr = S_OK;
  auto first = Read(kb, 10, &hr);
  EXPECT_EQ(hr, DI_BUFFEROVERFLOW);
  ASSERT_EQ(first.size(), 10u);
  EXPECT_EQ(first[0].dwData, 0x80u);  // the very first press survived
  auto rest = Read(kb, 10, &hr);
  EXPECT_EQ(hr, DI_OK);
  EXPECT_EQ(rest.size(), 6u);
  EXPECT_EQ(dinput8::DiagnosticCount(dinput8::DIAG_BUFFER_OVERFLOW), 1);
  // Room again: new events are taken.
  Tap(HID_K);
  Pump();
  EXPECT_EQ(Read(kb).size(), 2u);
  kb->Release();
}

TEST_F(Keyboard, NothingIsBufferedWhileUnacquiredAndReadsSaySo) {
  IDirectInputDevice8A* kb = OpenMapped(GUID_SysKeyboard, format_);
  EXPECT_EQ(kb->Unacquire(), DI_OK);
  Tap(HID_J);
  Pump();
  HRESULT hr = S_OK;
  Read(kb, 10, &hr);
  EXPECT_EQ(hr, DIERR_NOTACQUIRED);
  EXPECT_EQ(kb->Poll(), DIERR_NOTACQUIRED);
  EXPECT_EQ(kb->Acquire(), DI_OK);
  EXPECT_EQ(kb->Acquire(), DI_NOEFFECT);
  EXPECT_TRUE(Read(kb).empty());  // the taps before acquisition are gone
  EXPECT_EQ(kb->SetActionMap(&format_, nullptr, 0), DIERR_ACQUIRED);
  kb->Release();
}

TEST_F(Keyboard, AForegroundDeviceLosesItsInputWithTheFocus) {
  IDirectInputDevice8A* kb = Mapped(GUID_SysKeyboard, format_, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
  ASSERT_NE(kb, nullptr);
  Focus(true);
  Pump();
  ASSERT_EQ(kb->Acquire(), DI_OK);
  Focus(false);
  Tap(HID_J);
  Pump();
  HRESULT hr = S_OK;
  Read(kb, 10, &hr);
  EXPECT_EQ(hr, DIERR_INPUTLOST);
  Read(kb, 10, &hr);
  EXPECT_EQ(hr, DIERR_NOTACQUIRED);
  EXPECT_EQ(kb->Acquire(), DIERR_OTHERAPPHASPRIO);
  Focus(true);
  Pump();
  EXPECT_EQ(kb->Acquire(), DI_OK);
  kb->Release();
}

TEST_F(Keyboard, BadCallsAreRefusedWithoutTouchingMemory) {
  IDirectInputDevice8A* kb = nullptr;
  ASSERT_EQ(di_->CreateDevice(GUID_SysKeyboard, &kb, nullptr), DI_OK);
  EXPECT_EQ(kb->Acquire(), DIERR_INVALIDPARAM);  // no action map yet
  EXPECT_EQ(kb->SetCooperativeLevel(FakeWindow(), DISCL_EXCLUSIVE | DISCL_BACKGROUND), DIERR_UNSUPPORTED);
  EXPECT_EQ(kb->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DIERR_INVALIDPARAM);
  EXPECT_EQ(kb->SetCooperativeLevel(FakeWindow(), DISCL_FOREGROUND), DIERR_INVALIDPARAM);
  DIACTIONFORMATA bad = format_;
  bad.dwSize = 100;
  EXPECT_EQ(kb->BuildActionMap(&bad, nullptr, 0), DIERR_INVALIDPARAM);
  bad = format_;
  bad.rgoAction = nullptr;
  EXPECT_EQ(kb->SetActionMap(&bad, nullptr, 0), DIERR_INVALIDPARAM);
  bad = format_;
  bad.dwDataSize = 4;  // too small for five actions
  EXPECT_EQ(kb->BuildActionMap(&bad, nullptr, 0), DIERR_INVALIDPARAM);
  EXPECT_EQ(kb->BuildActionMap(nullptr, nullptr, 0), DIERR_INVALIDPARAM);
  ASSERT_EQ(kb->BuildActionMap(&format_, nullptr, 0), DI_OK);
  ASSERT_EQ(kb->SetActionMap(&format_, nullptr, 0), DI_OK);
  ASSERT_EQ(kb->Acquire(), DI_OK);
  DWORD n = 4;
  DIDEVICEOBJECTDATA rec[4];
  EXPECT_EQ(kb->GetDeviceData(12, rec, &n, 0), DIERR_INVALIDPARAM);
  EXPECT_EQ(kb->GetDeviceData(sizeof rec[0], rec, nullptr, 0), DIERR_INVALIDPARAM);
  DIPROPDWORD size{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 4};
  EXPECT_EQ(kb->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DIERR_ACQUIRED);
  size.diph.dwHeaderSize = 4;
  EXPECT_EQ(kb->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DIERR_INVALIDPARAM);
  IDirectInputDevice8A* none = reinterpret_cast<IDirectInputDevice8A*>(1);
  EXPECT_EQ(di_->CreateDevice(GUID_NULL, &none, nullptr), DIERR_DEVICENOTREG);
  EXPECT_EQ(none, nullptr);
  kb->Release();
}

TEST_F(Keyboard, TheBufferSizeIsAPropertyAndTheSmallerBufferHoldsLess) {
  IDirectInputDevice8A* kb = OpenMapped(GUID_SysKeyboard, format_);
  kb->Unacquire();
  DIPROPDWORD size{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 0};
  ASSERT_EQ(kb->GetProperty(DIPROP_BUFFERSIZE, &size.diph), DI_OK);
  EXPECT_EQ(size.dwData, 16u);
  size.dwData = 2;
  ASSERT_EQ(kb->SetProperty(DIPROP_BUFFERSIZE, &size.diph), DI_OK);
  kb->Acquire();
  Tap(HID_J);
  Tap(HID_K);
  Pump();
  HRESULT hr = S_OK;
  auto records = Read(kb, 10, &hr);
  EXPECT_EQ(hr, DI_BUFFEROVERFLOW);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].uAppData, 7u);
  size.dwData = 0;
  kb->Unacquire();
  kb->SetProperty(DIPROP_BUFFERSIZE, &size.diph);
  kb->Acquire();
  Read(kb, 10, &hr);
  EXPECT_EQ(hr, DIERR_NOTBUFFERED);
  kb->Release();
}

TEST_F(Keyboard, DeviceInformationNamesTheSystemKeyboard) {
  IDirectInputDevice8A* kb = OpenMapped(GUID_SysKeyboard, format_);
  DIDEVICEINSTANCEA info{};
  EXPECT_EQ(kb->GetDeviceInfo(&info), DIERR_INVALIDPARAM);  // dwSize not set
  info.dwSize = sizeof info;
  ASSERT_EQ(kb->GetDeviceInfo(&info), DI_OK);
  EXPECT_EQ(info.guidInstance, GUID_SysKeyboard);
  EXPECT_EQ(GET_DIDEVICE_TYPE(info.dwDevType), DI8DEVTYPE_KEYBOARD);
  kb->Release();
}

TEST(DirectInputCreate, RefusesOtherVersionsInterfacesAndAggregation) {
  ASSERT_TRUE(host::Init());
  void* out = reinterpret_cast<void*>(1);
  HINSTANCE self = reinterpret_cast<HINSTANCE>(&out);
  EXPECT_EQ(DirectInput8Create(self, 0x0700, IID_IDirectInput8A, &out, nullptr), DIERR_OLDDIRECTINPUTVERSION);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(DirectInput8Create(self, 0x0900, IID_IDirectInput8A, &out, nullptr),
            DIERR_BETADIRECTINPUTVERSION);
  EXPECT_EQ(DirectInput8Create(self, 0x0800, IID_IDirectInputDevice8A, &out, nullptr), DIERR_NOINTERFACE);
  EXPECT_EQ(DirectInput8Create(self, 0x0800, IID_IDirectInput8A, &out, reinterpret_cast<IUnknown*>(self)),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, &out, nullptr), DIERR_INVALIDPARAM);
  EXPECT_EQ(DirectInput8Create(self, 0x0800, IID_IDirectInput8A, nullptr, nullptr), DIERR_INVALIDPARAM);
}

}  // namespace
}  // namespace dinput_test
