// SPDX-License-Identifier: MIT
// One DirectInput device: the keyboard, the mouse or a game controller. It
// keeps its cooperative level, its installed action map and the buffer of
// events that reach it (through the event router) while it is acquired.
#pragma once

#include <deque>
#include <vector>

#include "device_objects.h"
#include <host/host.h>

namespace dinput8 {

class InputDevice : public ComObject<IDirectInputDevice8A> {
 public:
  explicit InputDevice(const DeviceIdentity& identity);
  ~InputDevice() override;

  STDMETHOD(QueryInterface)(REFIID riid, void** object) override;
  STDMETHOD(GetProperty)(REFGUID rguidProp, LPDIPROPHEADER pdiph) override;
  STDMETHOD(SetProperty)(REFGUID rguidProp, LPCDIPROPHEADER pdiph) override;
  STDMETHOD(Acquire)() override;
  STDMETHOD(Unacquire)() override;
  STDMETHOD(GetDeviceData)
  (DWORD cbObjectData, LPDIDEVICEOBJECTDATA rgdod, LPDWORD pdwInOut, DWORD dwFlags) override;
  STDMETHOD(SetCooperativeLevel)(HWND hwnd, DWORD dwFlags) override;
  STDMETHOD(GetDeviceInfo)(LPDIDEVICEINSTANCEA pdidi) override;
  STDMETHOD(Poll)() override;
  STDMETHOD(BuildActionMap)(LPDIACTIONFORMATA lpdiaf, LPCSTR lpszUserName, DWORD dwFlags) override;
  STDMETHOD(SetActionMap)(LPDIACTIONFORMATA lpdiaf, LPCSTR lpszUserName, DWORD dwFlags) override;

  const DeviceIdentity& Identity() const { return identity_; }
  // Called by the router for every host event; keeps axis state always and
  // buffers records only while acquired.
  void OnEvent(const host::Event& event);
  // The window went to the background (foreground devices) or the device
  // was unplugged: acquisition ends and the next read says INPUTLOST.
  void LoseAcquisition(bool unplugged);
  bool IsForeground() const { return (coopLevel_ & DISCL_FOREGROUND) != 0; }

 private:
  struct Binding {
    DWORD objId = 0;
    UINT_PTR appData = 0;
    DWORD offset = 0;  // the action's offset in the map's data format
  };
  struct AxisRange {
    LONG min = 0;
    LONG max = 65535;
  };

  void Emit(DWORD objId, DWORD data, DWORD time);
  void OnMouse(const host::Event& e);
  void OnPadAxis(const host::Event& e);
  LONG ScalePadAxis(DWORD axis, int32_t raw) const;
  void ReleaseCapture();

  DeviceIdentity identity_;
  HWND window_ = nullptr;
  DWORD coopLevel_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
  bool mapped_ = false;
  bool acquired_ = false;
  bool capturing_ = false;  // exclusive mouse: the pointer is captured
  bool lost_ = false;
  bool unplugged_ = false;
  bool overflow_ = false;
  DWORD bufferSize_ = 0;
  std::deque<DIDEVICEOBJECTDATA> buffer_;
  std::vector<Binding> bindings_;
  AxisRange range_;
  DWORD deadZone_ = 0;  // in ten-thousandths of the half range
  DWORD axisMode_ = DIPROPAXISMODE_ABS;
  LONG mouseTotal_[3] = {};
  LONG padAxis_[PAD_AXIS_OBJECTS] = {};
  bool padAxisKnown_[PAD_AXIS_OBJECTS] = {};
  bool triggerDown_[2] = {};
};

}  // namespace dinput8
