// SPDX-License-Identifier: MIT
// The input device manager: owns the DirectInput object and every device
// that the installed action format can use, swaps formats between play and
// the menus, and runs DirectInput's device configuration window. It reads no
// input itself: the game's polling takes the devices from GetDevices.
#pragma once

#include <dinput.h>
#include <windows.h>

#include <vector>

// Room in the device table; enumeration stops once it is full.
constexpr DWORD INPUT_DEVICE_TABLE_SIZE = 20;

class InputDeviceManager {
 public:
  // Starts COM on this thread; no DirectInput yet and no devices.
  InputDeviceManager();
  // Unacquires and releases every device, then DirectInput; ends COM.
  ~InputDeviceManager();
  InputDeviceManager(const InputDeviceManager&) = delete;
  InputDeviceManager& operator=(const InputDeviceManager&) = delete;

  // Creates DirectInput and takes the devices that `format` can use. Only
  // DirectInput's own creation can fail; an enumeration failure leaves the
  // table empty and still returns S_OK. `userName` may be null and must
  // outlive the manager, as must `format`'s action array.
  HRESULT Create(HWND window, const char* userName, DIACTIONFORMATA* format);
  // Installs a copy of `format`. With `reenumerate`, the table is emptied
  // and filled again from the attached devices; without it, the same
  // devices are re-mapped. The devices are left unacquired either way.
  HRESULT SetActionFormat(DIACTIONFORMATA* format, BOOL reenumerate);
  // The table and the number of valid entries; E_INVALIDARG for a null out
  // pointer. The table stays owned by the manager.
  HRESULT GetDevices(LPDIRECTINPUTDEVICE8A** devices, DWORD* count);
  // Runs the configuration window (modal) for the installed format; in edit
  // mode (DICD_EDIT) the table is enumerated again so that the new mapping
  // takes effect.
  HRESULT ConfigureDevices(HWND window, IUnknown* target, LPDICONFIGUREDEVICESCALLBACK callback, DWORD flags);
  void UnacquireDevices();
  // Controllers come and go during play: takes a newly attached one into
  // the table and drops one that is gone, leaving every other device as it
  // was (the same object, acquired, its buffered events intact). Costs one
  // look at the attached controllers when nothing changed. On TRUE the table
  // changed and movedFrom[i] is the old index of entry i, or -1 for a new
  // device; the new ones are unacquired, like every newly taken device.
  BOOL RefreshControllers(LONG movedFrom[INPUT_DEVICE_TABLE_SIZE]);
  // Takes one enumerated device; called by the enumeration callback only.
  HRESULT AddDevice(const DIDEVICEINSTANCEA* instance, LPDIRECTINPUTDEVICE8A device);

 private:
  static BOOL CALLBACK EnumerateDevice(LPCDIDEVICEINSTANCEA instance, LPDIRECTINPUTDEVICE8A device,
                                       DWORD flags, DWORD remaining, LPVOID context);
  static BOOL CALLBACK EnumerateNewDevice(LPCDIDEVICEINSTANCEA instance, LPDIRECTINPUTDEVICE8A device,
                                          DWORD flags, DWORD remaining, LPVOID context);
  void ReleaseDevices();
  bool Holds(REFGUID instance) const;

  HWND window = nullptr;
  const char* userName = nullptr;
  LPDIRECTINPUT8A directInput = nullptr;
  LPDIRECTINPUTDEVICE8A devices[INPUT_DEVICE_TABLE_SIZE] = {};
  DWORD deviceCount = 0;
  GUID instances[INPUT_DEVICE_TABLE_SIZE] = {};  // of each table entry
  std::vector<GUID> controllersSeen;             // attached at the last look
  DIACTIONFORMATA actionFormat = {};
};
